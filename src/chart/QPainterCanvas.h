#pragma once
// The chart canvas over a QPainter: screen, printer, QImage and PDF targets.

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRectF>
#include <QString>
#include <vector>

#include "chart/Canvas.h"

class QPainter;

namespace kx {

// The font a report text is drawn in: face, in English with a Latin serif before it (the Song face's Latin letters are its narrow typewriter ones);
// a Chinese title or port name still finds its glyphs in face.
QFont TextFont(const QString& face);

// Draws text into box with the painter's font, made smaller when the text is
// wider than the box (a translation longer than its table cell), never cut.
void DrawFittedText(QPainter& painter, const QRectF& box, int flags, const QString& text);

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
