#include "chart/CellStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "analysis/AnalysisText.h"
#include "analysis/CurveStats.h"
#include "chart/ChartDraw.h"
#include "chart/CurvePick.h"
#include "link/LocalTime.h"
#include "texts/Translate.h"

namespace kx {

namespace {

std::string Printf(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string FullTime(CurveTime t) { return FormatLocalTime(static_cast<std::time_t>(t)); }

bool Fitted(float v) { return v != 0.0f; }

}  // namespace

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
  if (!e.Valid()) return Tr("Chart", "没有可统计的电池数据");
  return analysis::Format(Tr("Chart", "最高 %s  最低 %s  最大压差 %.0fmV %s"),
                          CellValueText(e.highest.cell, e.highest.volts, e.highest.time).c_str(),
                          CellValueText(e.lowest.cell, e.lowest.volts, e.lowest.time).c_str(),
                          std::round(e.spread * 1000.0), FormatClock(e.spreadTime).c_str());
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
