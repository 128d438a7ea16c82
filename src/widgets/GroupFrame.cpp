#include "widgets/GroupFrame.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

// One-pixel line that leaves out its end point, so that joined segments meet exactly.
void Segment(QPainter& p, const QColor& c, QPoint from, QPoint to) {
  if (from.x() == to.x()) {
    if (from.y() == to.y()) return;
    const int y0 = from.y() < to.y() ? from.y() : to.y() + 1;
    const int y1 = from.y() < to.y() ? to.y() - 1 : from.y();
    p.fillRect(QRect(from.x(), y0, 1, y1 - y0 + 1), c);
  } else if (from.y() == to.y()) {
    const int x0 = from.x() < to.x() ? from.x() : to.x() + 1;
    const int x1 = from.x() < to.x() ? to.x() - 1 : from.x();
    p.fillRect(QRect(x0, from.y(), x1 - x0 + 1, 1), c);
  }
}

void Polyline(QPainter& p, const QColor& c, std::initializer_list<QPoint> points) {
  const QPoint* prev = nullptr;
  for (const QPoint& pt : points) {
    if (prev) Segment(p, c, *prev, pt);
    prev = &pt;
  }
}

}  // namespace

CGroupFrame::CGroupFrame(QWidget* parent) : CGroupFrame(QString(), parent) {}

CGroupFrame::CGroupFrame(const QString& caption, QWidget* parent)
    : QWidget(parent), m_strCaption(caption) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void CGroupFrame::SetCaption(const QString& caption) {
  m_strCaption = caption;
  update();
}

int CGroupFrame::TopLineY() const {
  return QFontMetrics(font()).height() / 2;
}

void CGroupFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Frame rectangle with exclusive right and bottom, one pixel in from the widget's edge.
  const int left = 0, top = 0, right = width() - 1, bottom = height() - 1;
  const QFontMetrics fm(font());
  const int cw = fm.horizontalAdvance(m_strCaption);
  const int g = m_strCaption.isEmpty() ? 0 : 6;
  const int yT = top + fm.height() / 2;
  const int gapEnd = left + cw + 2 * g + 8;

  Segment(p, m_penDark, {left, yT}, {left + 8, yT});
  Polyline(p, m_penDark, {{gapEnd, yT}, {right - 1, yT}, {right - 1, bottom - 1},
                          {left, bottom - 1}, {left, yT}});

  Segment(p, m_penLight, {left + 1, yT + 1}, {left + 9, yT + 1});
  Segment(p, m_penLight, {gapEnd + 1, yT + 1}, {right - 1, yT + 1});
  Polyline(p, m_penLight, {{right, yT}, {right, bottom}, {left - 1, bottom}});
  Segment(p, m_penLight, {left + 1, bottom - 2}, {left + 1, yT + 1});

  if (!m_strCaption.isEmpty()) {
    p.setPen(m_penDark);
    p.setFont(font());
    p.drawText(QPoint(left + 8 + g, top + fm.ascent()), m_strCaption);
  }
}
