#pragma once
// A canvas that records every operation with its exact numbers and the state
// it was made in, so tests can check the chart's geometry and colours.

#include <optional>
#include <string>
#include <vector>

#include "chart/Canvas.h"

namespace kx {

class RecordingCanvas final : public Canvas {
 public:
  enum class Kind { Rectangle, Ellipse, MoveTo, LineTo, Text };

  struct State {
    Pen pen{PenStyle::Solid, 1, {0, 0, 0}};
    std::optional<Rgb> brush;  // none selected yet
    std::string fontFace;
    int fontTenths = 0;
    Rgb textColor{0, 0, 0};
    TextAlign align = TextAlign::LeftTop;
    bool transparent = false;
  };

  struct Op {
    Kind kind;
    Rect rect;           // Rectangle, Ellipse
    int32_t x = 0, y = 0;  // MoveTo, LineTo, Text
    std::string text;
    State state;         // selected objects when the operation was made
  };

  // Fail the n-th pen (or brush) creation, counted from 1; 0 never fails.
  int failPenAt = 0;
  int failBrushAt = 0;

  void Save() override;
  void Restore() override;
  bool SetPen(const Pen& pen) override;
  bool SetBrush(Rgb color) override;
  void SetFont(const std::string& face, int pointSizeTenths) override;
  void SetTextColor(Rgb color) override;
  void SetTextAlign(TextAlign align) override;
  void SetTransparentBackground() override;
  void Rectangle(const Rect& r) override;
  void Ellipse(const Rect& box) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Text(int32_t x, int32_t y, const std::string& utf8) override;

  std::vector<Op> ops;
  int pensCreated = 0;
  int brushesCreated = 0;
  int saveDepth = 0;  // 0 again when every Save was matched
  int maxSaveDepth = 0;
  State state;

  // Helpers for tests.
  std::vector<Op> Of(Kind kind) const;
  const Op* FindText(const std::string& text) const;
  // Lines drawn (as from/to pairs) with a pen of the given colour and style.
  struct Segment {
    int32_t x1, y1, x2, y2;
    Pen pen;
  };
  std::vector<Segment> Segments() const;

 private:
  std::vector<State> m_saved;
};

}  // namespace kx
