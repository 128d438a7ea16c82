#pragma once
// The cell curve under the mouse, as the chart draws it. No Qt.

#include <optional>
#include <string>

#include "chart/Canvas.h"
#include "chart/ChartScale.h"
#include "curves/CurveGroup.h"

namespace kx {

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
// The same for any cell's value at a time (cell 0-based).
std::string CellValueText(int cell, float volts, CurveTime time);

}  // namespace kx
