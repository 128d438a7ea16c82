#pragma once
// The chart's axes beyond the fixed 0..15 V picture: a voltage axis fitted to the
// data, and the plot area inside the chart area. No Qt.

#include <optional>
#include <string>

#include "chart/Canvas.h"
#include "curves/CurveGroup.h"

namespace kx {

// A voltage axis from low to high volts with grid lines every step; labels carry
// the decimals the step needs.
struct ValueAxis {
  double low = 0.0;
  double high = 15.0;
  double step = 1.0;
  int decimals = 1;
  int Divisions() const;
};

// Round steps (1, 2 or 5 times a power of ten) covering [lo, hi] in about
// `divisions` steps; a single value gets a small band around it.
ValueAxis FitAxis(double lo, double hi, int divisions = 5);
// The axis fitted to the visible cells' values over the group; cells reading
// exactly 0 V are not fitted and left out. nullopt when nothing is left. The
// axis also reaches include, when given (a line drawn over the curves).
std::optional<ValueAxis> FitVisibleCells(const CCurveGroup& group, std::optional<double> include = std::nullopt);
// "3.25V" for 3.25 on an axis of 0.05 steps.
std::string AxisLabel(const ValueAxis& axis, double volts);

// The area the curves are drawn in: the chart area less 5 % on every side.
Rect PlotRect(const Rect& area);

}  // namespace kx
