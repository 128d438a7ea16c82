#pragma once
// The curve chart: cell voltages against time on a fixed 0..15 V axis (or a fitted one).

#include <cstdint>
#include <string>
#include <vector>

#include "chart/Canvas.h"
#include "curves/CurveGroup.h"

namespace kx {

// Size the chart control paints from its top-left corner.
inline constexpr int32_t kChartWidth = 890;
inline constexpr int32_t kChartHeight = 560;

// The 255 curve colours the chart gives its group: entry i has
// red = (255 - 49 i) mod 256, green = blue = (51 i) mod 256.
std::vector<Rgb> BuildCurveColors();

struct ValueAxis;

// Draws the group into area. Screen mode uses the group's colours and 2-unit
// pens; printer mode draws black 15-unit curves with wider label offsets.
// Writes the group's working values (curve and point count, both scales).
// With a fitted axis the volts run from axis->low to axis->high instead of 0..15.
void Draw(CCurveGroup& group, Canvas& canvas, const Rect& area, bool forPrinter, const ValueAxis* axis = nullptr);

// Truncation toward zero that is defined for every input: NaN gives 0 and
// values beyond 32 bits are clamped.
int32_t Trunc(double value);

// A time value as local "%H:%M:%S".
std::string FormatClock(CurveTime t);

}  // namespace kx
