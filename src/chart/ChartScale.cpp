#include "chart/ChartScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "chart/ChartDraw.h"

namespace kx {

int ValueAxis::Divisions() const {
  return step > 0 ? static_cast<int>(std::lround((high - low) / step)) : 0;
}

ValueAxis FitAxis(double lo, double hi, int divisions) {
  if (!(hi >= lo)) std::swap(lo, hi);
  if (hi - lo < 1e-9) {  // one value: a band of 0.1 V around it
    lo -= 0.05;
    hi += 0.05;
  }
  const double rough = (hi - lo) / std::max(1, divisions);
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    step = f * power;
    if (step >= rough * (1 - 1e-9)) break;
  }
  ValueAxis axis;
  axis.step = step;
  axis.low = std::floor(lo / step + 1e-9) * step;
  axis.high = std::ceil(hi / step - 1e-9) * step;
  if (axis.high <= axis.low) axis.high = axis.low + step;
  axis.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  return axis;
}

std::optional<ValueAxis> FitVisibleCells(const CCurveGroup& group, std::optional<double> include) {
  float lo = std::numeric_limits<float>::max(), hi = std::numeric_limits<float>::lowest();
  for (int k = 0; k < kCellCount && k < static_cast<int>(group.m_curves.size()); ++k) {
    if (group.m_visible[k] == 0) continue;
    for (float v : group.m_curves[k]->m_values) {
      if (v == 0.0f) continue;  // a cell not fitted
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  if (lo > hi) return std::nullopt;
  if (include) return FitAxis(std::min<double>(lo, *include), std::max<double>(hi, *include));
  return FitAxis(lo, hi);
}

std::string AxisLabel(const ValueAxis& axis, double volts) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*fV", axis.decimals, volts);
  return text;
}

Rect PlotRect(const Rect& area) {
  const int64_t w = int64_t{area.right} - area.left;
  const int64_t h = int64_t{area.bottom} - area.top;
  const int32_t insetX = Trunc(static_cast<double>(w) * 0.05);
  const int32_t insetY = Trunc(static_cast<double>(h) * 0.05);
  return {Trunc(static_cast<double>(area.left) + insetX), Trunc(static_cast<double>(area.top) + insetY),
          Trunc(static_cast<double>(area.right) - insetX), Trunc(static_cast<double>(area.bottom) - insetY)};
}

}  // namespace kx
