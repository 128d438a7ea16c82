#pragma once

#include <QColor>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QTimer>
#include <memory>

#include "widgets/IconPicture.h"

namespace kx {
// The values of CIconButton::m_nIconPlacement: where the icon stands against the caption.
enum IconPlacement : int { kIconLeft = 0, kIconRight = 1, kIconAbove = 2, kIconBelow = 3 };

// Where icon and caption go inside the inner rectangle of a button, by IconPlacement.
// Any other placement puts both at (0, 0) and reports valid = false.
struct IconLayout {
  QPoint icon;
  QPoint caption;
  bool valid = true;
};
IconLayout LayoutIconAndCaption(int placement, const QRect& inner, double iw, double ih,
                                int tw, int th);

// Gradient colour c_i (i = 0 … 63) of a button's background; indexes past 63 take c_63.
QColor ButtonGradientColour(bool hovered, bool emphasised, int i);

// A pen of the button's edges: colour and width in pixels.
struct EdgePen {
  QColor colour;
  int width;
};
}  // namespace kx

// A push button that paints itself: rounded blue outline, a state-dependent vertical
// gradient, coloured edges while hovered or focused, the caption and an optional icon.
class CIconButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CIconButton(QWidget* parent = nullptr);
  CIconButton(const QString& text, QWidget* parent = nullptr);
  ~CIconButton() override;

  // Loads the icon; 0 when the file cannot be opened. A file that opens but does not
  // decode leaves the button without an icon as well.
  int SetIconFile(const QString& path);

  bool IsHovered() const { return m_bHover != 0; }
  bool IsTracking() const { return m_bTracking != 0; }
  bool IsEmphasised() const { return m_bEmphasis != 0; }
  const CIconPicture& Icon() const { return *m_pIcon; }

  // Set by the owner before the first drawing; see kx::LayoutIconAndCaption.
  int m_nIconPlacement = 0;

 public slots:
  // The mouse has rested on the button / has left it.
  void OnMouseHover();
  void OnMouseLeave();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

  virtual void DrawBackground(QPainter& painter, const QRect& inner);
  virtual void DrawEdges(QPainter& painter, const QRect& inner);

 private:
  void StartTracking();

  const kx::EdgePen m_penBorder{{0, 91, 183}, 1};
  const kx::EdgePen m_penHotLeft{{250, 196, 88}, 3};
  const kx::EdgePen m_penHotRight{{251, 202, 106}, 3};
  const kx::EdgePen m_penHotTop{{252, 210, 121}, 2};
  const kx::EdgePen m_penHotBottom{{229, 151, 0}, 2};
  const kx::EdgePen m_penFocusLeft{{153, 198, 252}, 3};
  const kx::EdgePen m_penFocusRight{{162, 189, 252}, 3};
  const kx::EdgePen m_penFocusTop{{162, 201, 255}, 2};
  const kx::EdgePen m_penFocusBottom{{162, 201, 255}, 2};
  int m_bHover = 0;
  int m_bTracking = 0;
  int m_bFocus = 0;
  int m_bEmphasis = 0;
  std::unique_ptr<CIconPicture> m_pIcon;

  QTimer m_hoverTimer;
  bool m_bPlacementReported = false;
};
