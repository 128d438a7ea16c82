#pragma once
// The drawing operations the chart needs, so that Draw serves the screen, the
// printer, image and PDF export, and a recording target for tests alike.

#include <cstdint>
#include <string>

#include "curves/CurveGroup.h"

namespace kx {

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle { Solid, DashDotDot, Null };

struct Pen {
  PenStyle style = PenStyle::Solid;
  int width = 1;
  Rgb color;
  friend bool operator==(const Pen&, const Pen&) = default;
};

enum class TextAlign {
  LeftTop,         // the point is the text's top-left corner
  RightBaseline,   // the point is the right end of the baseline
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Save and restore the selected pen, brush, font, text colour, alignment and
  // background mode; saves nest.
  virtual void Save() = 0;
  virtual void Restore() = 0;

  // Selecting a pen or brush creates it; false when it cannot be made.
  virtual bool SetPen(const Pen& pen) = 0;
  virtual bool SetBrush(Rgb color) = 0;  // solid
  // Face and size in tenths of a point, converted with the target's own resolution.
  virtual void SetFont(const std::string& face, int pointSizeTenths) = 0;
  virtual void SetTextColor(Rgb color) = 0;
  virtual void SetTextAlign(TextAlign align) = 0;
  virtual void SetTransparentBackground() = 0;

  // Filled with the brush, outlined with the pen; right and bottom are exclusive.
  virtual void Rectangle(const Rect& r) = 0;
  virtual void Ellipse(const Rect& box) = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual void Text(int32_t x, int32_t y, const std::string& utf8) = 0;
};

}  // namespace kx
