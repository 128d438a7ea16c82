#include "chart/QPainterCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QString>
#include <QStringList>

#include "lang/Language.h"

namespace kx {
namespace {
QColor ToQColor(Rgb c) { return QColor(c.red, c.green, c.blue); }
// Pens up to this width (device units) end square.
constexpr int kSquareCapWidth = 2;
}  // namespace

QFont TextFont(const QString& face) {
  QFont font(face);
  if (CurrentLanguage() == Language::English) font.setFamilies({QStringLiteral("DejaVu Serif"), face});
  return font;
}

void DrawFittedText(QPainter& painter, const QRectF& box, int flags, const QString& text) {
  const QFont font = painter.font();
  const double wide = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
  if (wide > box.width() && box.width() > 0) {
    QFont smaller = font;
    smaller.setPointSizeF(font.pointSizeF() * box.width() / wide * 0.98);
    painter.setFont(smaller);
  }
  painter.drawText(box, flags, text);
  painter.setFont(font);
}

QPainterCanvas::QPainterCanvas(QPainter& painter) : m_painter(painter) {}

void QPainterCanvas::Save() {
  m_painter.save();
  m_saved.push_back(m_extra);
}

void QPainterCanvas::Restore() {
  if (m_saved.empty()) return;
  m_painter.restore();
  m_extra = m_saved.back();
  m_saved.pop_back();
}

bool QPainterCanvas::SetPen(const Pen& pen) {
  if (pen.style == PenStyle::Null) {
    m_painter.setPen(Qt::NoPen);
    return true;
  }
  QPen qpen(ToQColor(pen.color));
  qpen.setWidth(pen.width);
  qpen.setStyle(pen.style == PenStyle::DashDotDot ? Qt::DashDotDotLine : Qt::SolidLine);
  // Wide pens end and join round, so polylines have no notches at the corners.
  // Thin ones (the screen's 2-pixel curves) end square instead: the raster engine
  // draws those segments directly, ten times faster than stroking round ends, and
  // at two pixels the overlapping square ends leave no notch either.
  const bool thin = pen.width <= kSquareCapWidth;
  qpen.setCapStyle(thin ? Qt::SquareCap : Qt::RoundCap);
  qpen.setJoinStyle(thin ? Qt::MiterJoin : Qt::RoundJoin);
  m_painter.setPen(qpen);
  return true;
}

bool QPainterCanvas::SetBrush(Rgb color) {
  m_painter.setBrush(ToQColor(color));
  return true;
}

void QPainterCanvas::SetFont(const std::string& face, int pointSizeTenths) {
  // The chart keeps its face in every language: its axis figures are laid out for it.
  QFont font(QString::fromStdString(face));
  // QPainter resolves points with its device's own resolution.
  font.setPointSizeF(pointSizeTenths / 10.0);
  m_painter.setFont(font);
}

void QPainterCanvas::SetTextColor(Rgb color) { m_extra.textColor = ToQColor(color); }
void QPainterCanvas::SetTextAlign(TextAlign align) { m_extra.align = align; }
void QPainterCanvas::SetTransparentBackground() { m_painter.setBackgroundMode(Qt::TransparentMode); }

void QPainterCanvas::Rectangle(const Rect& r) {
  // The pen is centred on the outline; the fill covers [left, right) x [top, bottom).
  m_painter.drawRect(QRectF(r.left, r.top, static_cast<double>(r.right) - r.left, static_cast<double>(r.bottom) - r.top));
}

void QPainterCanvas::Ellipse(const Rect& box) {
  m_painter.drawEllipse(QRectF(box.left, box.top, static_cast<double>(box.right) - box.left, static_cast<double>(box.bottom) - box.top));
}

void QPainterCanvas::MoveTo(int32_t x, int32_t y) { m_position = QPoint(x, y); }

void QPainterCanvas::LineTo(int32_t x, int32_t y) {
  const QPoint to(x, y);
  m_painter.drawLine(m_position, to);
  m_position = to;
}

void QPainterCanvas::Text(int32_t x, int32_t y, const std::string& utf8) {
  const QString text = QString::fromStdString(utf8);
  const QFontMetricsF metrics(m_painter.font(), m_painter.device());
  QPointF baseline(x, y);
  if (m_extra.align == TextAlign::RightBaseline)
    baseline.rx() -= metrics.horizontalAdvance(text);
  else
    baseline.ry() += metrics.ascent();
  const QPen pen = m_painter.pen();
  m_painter.setPen(m_extra.textColor);
  m_painter.drawText(baseline, text);
  m_painter.setPen(pen);
}

}  // namespace kx
