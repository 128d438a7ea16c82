#include "widgets/IconButton.h"

#include <QDebug>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace kx {

IconLayout LayoutIconAndCaption(int placement, const QRect& inner, double iw, double ih,
                                int tw, int th) {
  const int l = inner.left(), t = inner.top(), W = inner.width(), H = inner.height();
  // Icon and caption form one group with a 2-pixel gap, centred in the inner rectangle.
  IconLayout out;
  switch (placement) {
    case kIconLeft: {
      const int x0 = static_cast<int>(l + (W - (iw + tw + 2)) * 0.5);
      out.icon = {x0, static_cast<int>(t + (H - ih) * 0.5)};
      out.caption = {x0 + static_cast<int>(iw) + 2, t + (H - th) / 2};
      break;
    }
    case kIconRight: {
      const int x1 = static_cast<int>(l + (W - (iw + tw + 2)) * 0.5);
      out.icon = {x1 + tw + 2, static_cast<int>(t + (H - ih) * 0.5)};
      out.caption = {x1, t + (H - th) / 2};
      break;
    }
    case kIconAbove: {
      const int y0 = static_cast<int>(t + (H - (ih + th + 2)) * 0.5);
      out.icon = {static_cast<int>(l + (W - iw) * 0.5 + 1), y0};
      out.caption = {l + (W - tw) / 2, y0 + static_cast<int>(ih) + 2};
      break;
    }
    case kIconBelow: {
      const int y3 = static_cast<int>(t + (H - (ih + th + 2)) * 0.5);
      out.icon = {static_cast<int>(l + (W - iw) * 0.5), y3 + th + 2};
      out.caption = {l + (W - tw) / 2 + 1, y3};
      break;
    }
    default:
      out.valid = false;
      break;
  }
  return out;
}

QColor ButtonGradientColour(bool hovered, bool emphasised, int i) {
  i = std::clamp(i, 0, 63);
  if (!hovered && !emphasised) return QColor(250 - i / 3, 253 - i / 3, 252 - i / 5);
  if (!hovered) return QColor(250 - i / 3, 253 - i / 3, 252 - i / 4);
  if (!emphasised) return QColor(250 - i / 4, 253 - i / 4, 252 - i / 5);
  return QColor(250 - i / 4, 253 - i / 4, 252 - i / 3);
}

}  // namespace kx

namespace {

// The inner rectangle in edge coordinates: right and bottom are exclusive, as the
// outline, gradient and edge rules are stated that way.
struct Inner {
  int left, top, right, bottom;
};

// The system's standard edge: 2 pixels on every side.
constexpr int kEdge = 2;

// A thick line as a line drawing would set it: end point excluded, the pen's width
// spread across the line, the odd pixel of an even width before it.
void PenLine(QPainter& p, const kx::EdgePen& pen, QPoint from, QPoint to) {
  const int across = -(pen.width / 2);
  if (from.x() == to.x()) {
    const int y0 = from.y() < to.y() ? from.y() : to.y() + 1;
    const int y1 = from.y() < to.y() ? to.y() - 1 : from.y();
    if (y1 < y0) return;
    p.fillRect(QRect(from.x() + across, y0, pen.width, y1 - y0 + 1), pen.colour);
  } else {
    const int x0 = from.x() < to.x() ? from.x() : to.x() + 1;
    const int x1 = from.x() < to.x() ? to.x() - 1 : from.x();
    if (x1 < x0) return;
    p.fillRect(QRect(x0, from.y() + across, x1 - x0 + 1, pen.width), pen.colour);
  }
}

Inner InnerOf(const QRect& r) {
  return {r.left() + kEdge, r.top() + kEdge, r.left() + r.width() - kEdge,
          r.top() + r.height() - kEdge};
}

}  // namespace

CIconButton::CIconButton(QWidget* parent) : CIconButton(QString(), parent) {}

CIconButton::CIconButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent), m_pIcon(std::make_unique<CIconPicture>()) {
  // Mouse moves without a button held start hover tracking, as entering does.
  setMouseTracking(true);
  m_hoverTimer.setSingleShot(true);
  m_hoverTimer.setInterval(1);
  connect(&m_hoverTimer, &QTimer::timeout, this, &CIconButton::OnMouseHover);
}

CIconButton::~CIconButton() = default;

int CIconButton::SetIconFile(const QString& path) {
  const int result = m_pIcon->LoadFromFile(path);
  update();
  return result;
}

void CIconButton::StartTracking() {
  m_bTracking = 1;
  m_hoverTimer.start();
}

void CIconButton::OnMouseHover() {
  m_bHover = 1;
  update();
}

void CIconButton::OnMouseLeave() {
  m_hoverTimer.stop();
  m_bHover = 0;
  m_bTracking = 0;
  update();
}

void CIconButton::enterEvent(QEnterEvent* event) {
  // A disabled button gets no mouse moves, so it never lights up.
  if (isEnabled() && !m_bTracking) StartTracking();
  QPushButton::enterEvent(event);
}

void CIconButton::mouseMoveEvent(QMouseEvent* event) {
  if (isEnabled() && !m_bTracking) StartTracking();
  QPushButton::mouseMoveEvent(event);
}

void CIconButton::leaveEvent(QEvent* event) {
  OnMouseLeave();
  QPushButton::leaveEvent(event);
}

void CIconButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();

  // Rounded outline over the whole button; the corners outside it keep the parent's look.
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(m_penBorder.colour, m_penBorder.width));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
  p.restore();

  const bool pressed = isDown();
  const bool focused = hasFocus();
  const bool disabled = !isEnabled();
  m_bFocus = focused ? 1 : 0;
  m_bEmphasis = (focused || pressed || isDefault()) ? 1 : 0;

  const Inner in = InnerOf(r);
  const QRect inner(in.left, in.top, in.right - in.left, in.bottom - in.top);
  DrawBackground(p, inner);
  if (m_bHover || m_bFocus) DrawEdges(p, inner);

  const QString caption = text();
  const QFontMetrics fm(font());
  const int tw = fm.horizontalAdvance(caption);
  const int th = fm.height();
  const double iw = m_pIcon->WidthPixels(this);
  const double ih = m_pIcon->HeightPixels(this);

  kx::IconLayout layout = kx::LayoutIconAndCaption(m_nIconPlacement, inner, iw, ih, tw, th);
  if (!layout.valid && !m_bPlacementReported) {
    // A message box from here would re-enter painting; say it once on the log instead.
    m_bPlacementReported = true;
    qWarning("CIconButton \"%s\": icon placement %d is not 0 to 3; drawing at (0, 0)",
             qPrintable(caption), m_nIconPlacement);
  }
  QPoint shift(0, 0);
  if (pressed) shift += QPoint(1, 1);
  if (m_bHover) shift -= QPoint(1, 1);
  layout.icon += shift;
  layout.caption += shift;

  const QRect box(layout.caption, QSize(tw, th));
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
  p.setFont(font());
  if (disabled) {
    // Embossed: a light copy one pixel down-right under the grey text.
    p.setPen(QColor(255, 255, 255));
    p.drawText(box.translated(1, 1), flags, caption);
    p.setPen(QColor(128, 128, 128));
    p.drawText(box, flags, caption);
  } else {
    p.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
    p.drawText(box, flags, caption);
  }

  if (m_pIcon->m_bLoaded) m_pIcon->RenderAt(&p, layout.icon.x(), layout.icon.y());
}

void CIconButton::DrawBackground(QPainter& p, const QRect& inner) {
  // Rows from the top to the bottom of the inner rectangle, both inclusive, run through
  // c_0 … c_63 from top to bottom.
  const int top = inner.top();
  const int bottom = inner.top() + inner.height();
  const int H = inner.height();
  for (int y = top; y <= bottom; ++y) {
    const int k = H > 0 ? (y - top) * 63 / H : 0;
    p.fillRect(QRect(inner.left(), y, inner.width(), 1),
               kx::ButtonGradientColour(m_bHover != 0, m_bEmphasis != 0, k));
  }
}

void CIconButton::DrawEdges(QPainter& p, const QRect& inner) {
  const bool focusPens = m_bFocus && !m_bHover;
  const kx::EdgePen& left = focusPens ? m_penFocusLeft : m_penHotLeft;
  const kx::EdgePen& right = focusPens ? m_penFocusRight : m_penHotRight;
  const kx::EdgePen& top = focusPens ? m_penFocusTop : m_penHotTop;
  const kx::EdgePen& bottom = focusPens ? m_penFocusBottom : m_penHotBottom;
  const int l = inner.left(), t = inner.top();
  const int r = l + inner.width(), b = t + inner.height();
  PenLine(p, left, {l, b - 1}, {l, t + 1});
  PenLine(p, right, {r - 1, b - 1}, {r - 1, t});
  PenLine(p, top, {l - 1, t}, {r - 1, t});
  PenLine(p, bottom, {l, b}, {r - 1, b});
}
