#include "chart/ChartScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "chart/ChartDraw.h"
#include "link/LocalTime.h"

namespace kx {

namespace {

std::string Printf(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string FullTime(CurveTime t) { return FormatLocalTime(static_cast<std::time_t>(t)); }

std::string CellName(int cell) { return "电池" + std::to_string(cell + 1); }

bool Fitted(float v) { return v != 0.0f; }

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
      if (!Fitted(v)) continue;
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

std::string PickText(const CurvePick& pick) {
  return CellName(pick.cell) + Printf(" %.3fV ", pick.volts) + FormatClock(pick.time);
}

GroupExtremes FindExtremes(const CCurveGroup& group, bool visibleOnly) {
  GroupExtremes e;
  if (group.m_curves.empty()) return e;
  const size_t points = group.m_curves[0]->m_values.size();
  for (size_t j = 0; j < points; ++j) {
    float rowHigh = std::numeric_limits<float>::lowest(), rowLow = std::numeric_limits<float>::max();
    CurveTime t = 0;
    for (int k = 0; k < kCellCount && k < static_cast<int>(group.m_curves.size()); ++k) {
      const CCurve& c = *group.m_curves[k];
      if ((visibleOnly && group.m_visible[k] == 0) || j >= c.m_values.size() || !Fitted(c.m_values[j])) continue;
      const float v = c.m_values[j];
      t = c.m_times[j];
      rowHigh = std::max(rowHigh, v);
      rowLow = std::min(rowLow, v);
      if (e.highest.cell < 0 || v > e.highest.volts) e.highest = {k, v, t};
      if (e.lowest.cell < 0 || v < e.lowest.volts) e.lowest = {k, v, t};
    }
    if (rowLow <= rowHigh && rowHigh - rowLow > e.spread) {
      e.spread = rowHigh - rowLow;
      e.spreadTime = t;
    }
  }
  return e;
}

std::string ExtremesText(const GroupExtremes& e) {
  if (!e.Valid()) return "没有可统计的电池数据";
  return "最高 " + CellName(e.highest.cell) + Printf(" %.3fV ", e.highest.volts) + FormatClock(e.highest.time) +
         "  最低 " + CellName(e.lowest.cell) + Printf(" %.3fV ", e.lowest.volts) + FormatClock(e.lowest.time) +
         "  最大压差 " + Printf("%.0fmV ", std::round(e.spread * 1000.0)) + FormatClock(e.spreadTime);
}

std::string CellStatsCsv(const CCurveGroup& group) {
  std::string csv = "cell,min_V,min_time,max_V,max_time,mean_V,first_V,last_V\n";
  for (const CellCurveStats& s : CurveCellStats(group)) {
    csv += std::to_string(s.cell + 1);
    if (s.points == 0) {
      csv += ",,,,,,,\n";
      continue;
    }
    csv += Printf(",%.3f,", s.lowest) + FullTime(s.lowestTime) + Printf(",%.3f,", s.highest) +
           FullTime(s.highestTime) + Printf(",%.3f", s.mean) + Printf(",%.3f", s.first) + Printf(",%.3f\n", s.last);
  }
  // Over all 40 cells, whatever the viewer shows.
  const GroupExtremes e = FindExtremes(group, false);
  csv += "\nlargest_spread_mV,time\n";
  if (e.Valid()) csv += Printf("%.0f,", std::round(e.spread * 1000.0)) + FullTime(e.spreadTime) + "\n";
  return csv;
}

}  // namespace kx
