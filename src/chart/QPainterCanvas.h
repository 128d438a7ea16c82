#pragma once
// The chart canvas over a QPainter: screen, printer, QImage and PDF targets.

#include <QColor>
#include <QPoint>
#include <vector>

#include "chart/Canvas.h"

class QPainter;

namespace kx {

class QPainterCanvas final : public Canvas {
 public:
  // The painter must be active; its state is left as it was found only when
  // every Save is matched by a Restore.
  explicit QPainterCanvas(QPainter& painter);

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

 private:
  struct Extra {
    QColor textColor;
    TextAlign align;
  };
  QPainter& m_painter;
  // QPainter draws text with its pen; the chart's text colour is kept apart.
  Extra m_extra{Qt::black, TextAlign::LeftTop};
  std::vector<Extra> m_saved;
  QPoint m_position;
};

}  // namespace kx
