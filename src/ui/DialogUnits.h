#pragma once
// Window templates are laid out in dialog units; one constant turns them into
// pixels (宋体 9 pt at 96 dpi gives 1.5 px per unit in x and in y).

#include <QRect>
#include <cmath>

namespace kx {

inline constexpr double kDluPixels = 1.5;

inline int DluToPixels(int units) { return static_cast<int>(std::lround(units * kDluPixels)); }

inline QRect DluRect(int x, int y, int w, int h) {
  const int left = DluToPixels(x), top = DluToPixels(y);
  return QRect(left, top, DluToPixels(x + w) - left, DluToPixels(y + h) - top);
}

}  // namespace kx
