#include "chart/RecordingCanvas.h"

namespace kx {

void RecordingCanvas::Save() {
  m_saved.push_back(state);
  ++saveDepth;
  if (saveDepth > maxSaveDepth) maxSaveDepth = saveDepth;
}

void RecordingCanvas::Restore() {
  if (m_saved.empty()) return;
  state = m_saved.back();
  m_saved.pop_back();
  --saveDepth;
}

bool RecordingCanvas::SetPen(const Pen& pen) {
  ++pensCreated;
  if (failPenAt != 0 && pensCreated == failPenAt) return false;
  state.pen = pen;
  return true;
}

bool RecordingCanvas::SetBrush(Rgb color) {
  ++brushesCreated;
  if (failBrushAt != 0 && brushesCreated == failBrushAt) return false;
  state.brush = color;
  return true;
}

void RecordingCanvas::SetFont(const std::string& face, int pointSizeTenths) {
  state.fontFace = face;
  state.fontTenths = pointSizeTenths;
}

void RecordingCanvas::SetTextColor(Rgb color) { state.textColor = color; }
void RecordingCanvas::SetTextAlign(TextAlign align) { state.align = align; }
void RecordingCanvas::SetTransparentBackground() { state.transparent = true; }

void RecordingCanvas::Rectangle(const Rect& r) { ops.push_back({Kind::Rectangle, r, 0, 0, {}, state}); }
void RecordingCanvas::Ellipse(const Rect& box) { ops.push_back({Kind::Ellipse, box, 0, 0, {}, state}); }
void RecordingCanvas::MoveTo(int32_t x, int32_t y) { ops.push_back({Kind::MoveTo, {}, x, y, {}, state}); }
void RecordingCanvas::LineTo(int32_t x, int32_t y) { ops.push_back({Kind::LineTo, {}, x, y, {}, state}); }
void RecordingCanvas::Text(int32_t x, int32_t y, const std::string& utf8) {
  ops.push_back({Kind::Text, {}, x, y, utf8, state});
}

std::vector<RecordingCanvas::Op> RecordingCanvas::Of(Kind kind) const {
  std::vector<Op> out;
  for (const auto& op : ops)
    if (op.kind == kind) out.push_back(op);
  return out;
}

const RecordingCanvas::Op* RecordingCanvas::FindText(const std::string& text) const {
  for (const auto& op : ops)
    if (op.kind == Kind::Text && op.text == text) return &op;
  return nullptr;
}

std::vector<RecordingCanvas::Segment> RecordingCanvas::Segments() const {
  std::vector<Segment> out;
  int32_t cx = 0, cy = 0;
  for (const auto& op : ops) {
    if (op.kind == Kind::MoveTo) {
      cx = op.x;
      cy = op.y;
    } else if (op.kind == Kind::LineTo) {
      out.push_back({cx, cy, op.x, op.y, op.state.pen});
      cx = op.x;
      cy = op.y;
    }
  }
  return out;
}

}  // namespace kx
