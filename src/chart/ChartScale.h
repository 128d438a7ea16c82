#pragma once
// What the chart can tell beyond the fixed 0..15 V picture: a voltage axis fitted
// to the data, the curve under the mouse and the group's extremes. No Qt.

#include <optional>
#include <string>
#include <vector>

#include "analysis/CurveStats.h"
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

// The visible cell curve nearest to (x, y) within radius pixels, as drawn into
// area (on the fitted axis when axis is given, else the fixed one).
struct CurvePick {
  int cell = 0;  // 0-based
  float volts = 0;
  CurveTime time = 0;
};
std::optional<CurvePick> PickCurve(const CCurveGroup& group, const Rect& area, const ValueAxis* axis, int x, int y,
                                   int radius = 4);
// "电池17 3.412V 10:20:30".
std::string PickText(const CurvePick& pick);

// The visible cells' extremes over the group and the largest spread between
// cells at one record point (cells reading 0 V left out).
struct Extreme {
  int cell = -1;  // 0-based; -1 when there is none
  float volts = 0;
  CurveTime time = 0;
};
struct GroupExtremes {
  Extreme highest, lowest;
  float spread = 0;  // volts
  CurveTime spreadTime = 0;
  bool Valid() const { return highest.cell >= 0; }
};
GroupExtremes FindExtremes(const CCurveGroup& group, bool visibleOnly = true);
// "最高 电池17 3.412V 10:20:30  最低 电池5 3.281V 10:21:30  最大压差 131mV 10:25:30".
std::string ExtremesText(const GroupExtremes& extremes);

// Per-cell statistics as CSV: cell,min_V,min_time,max_V,max_time,mean_V,first_V,last_V
// for the 40 cells (values of exactly 0 V left out), then the largest spread.
std::string CellStatsCsv(const CCurveGroup& group);

}  // namespace kx
