#include "chart/CurvePick.h"

#include <algorithm>
#include <cmath>

#include "analysis/AnalysisText.h"
#include "chart/ChartDraw.h"
#include "texts/Translate.h"

namespace kx {

namespace {

// Where a group's points land in a plot: the same float steps as Draw takes.
struct Mapping {
  Rect plot;
  float pps = 0, ppv = 0, low = 0;
  int32_t X(const CCurveGroup& g, CurveTime t) const {
    return Trunc(static_cast<double>(plot.left) + static_cast<float>(t - g.m_startTime) * pps);
  }
  int32_t Y(float v) const { return Trunc(static_cast<double>(plot.bottom) - (v - low) * ppv); }
};

Mapping MapFor(const CCurveGroup& group, const Rect& area, const ValueAxis* axis) {
  Mapping m;
  m.plot = PlotRect(area);
  const int64_t plotW = int64_t{m.plot.right} - m.plot.left;
  const int64_t plotH = int64_t{m.plot.bottom} - m.plot.top;
  const int64_t span = group.m_endTime - group.m_startTime;
  m.pps = span == 0 ? 0.0f : static_cast<float>(plotW) / static_cast<float>(span);
  m.ppv = axis ? static_cast<float>(plotH / (axis->high - axis->low)) : static_cast<float>(plotH) * 0.06666667f;
  m.low = axis ? static_cast<float>(axis->low) : 0.0f;
  return m;
}

double Distance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double length2 = dx * dx + dy * dy;
  double t = length2 == 0 ? 0 : ((px - ax) * dx + (py - ay) * dy) / length2;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace

std::optional<CurvePick> PickCurve(const CCurveGroup& group, const Rect& area, const ValueAxis* axis, int x, int y,
                                   int radius) {
  if (group.m_curves.empty()) return std::nullopt;
  const Mapping m = MapFor(group, area, axis);
  std::optional<CurvePick> best;
  double bestDistance = radius + 0.5;
  for (int k = 0; k < kCellCount && k < static_cast<int>(group.m_curves.size()); ++k) {
    if (group.m_visible[k] == 0) continue;
    const CCurve& c = *group.m_curves[k];
    const size_t n = std::min(c.m_times.size(), c.m_values.size());
    for (size_t j = 0; j < n; ++j) {
      const double ax = m.X(group, c.m_times[j]), ay = m.Y(c.m_values[j]);
      const size_t next = j + 1 < n ? j + 1 : j;
      const double bx = m.X(group, c.m_times[next]), by = m.Y(c.m_values[next]);
      const double d = Distance(x, y, ax, ay, bx, by);
      if (d < bestDistance) {
        bestDistance = d;
        // The record nearer the mouse along the segment.
        const bool nearer = std::hypot(x - ax, y - ay) <= std::hypot(x - bx, y - by);
        const size_t at = nearer ? j : next;
        best = CurvePick{k, c.m_values[at], c.m_times[at]};
      }
    }
  }
  return best;
}

std::string PickText(const CurvePick& pick) { return CellValueText(pick.cell, pick.volts, pick.time); }

std::string CellValueText(int cell, float volts, CurveTime time) {
  return analysis::Format(Tr("Chart", "电池%d %.3fV %s"), cell + 1, static_cast<double>(volts), FormatClock(time).c_str());
}

}  // namespace kx
