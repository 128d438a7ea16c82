#include "analysis/CurveStats.h"

#include <optional>

namespace kx {

std::vector<CellCurveStats> CurveCellStats(const CCurveGroup& group) {
  std::vector<CellCurveStats> stats;
  for (int k = 0; k < kCellCount && k < static_cast<int>(group.m_curves.size()); ++k) {
    const CCurve& c = *group.m_curves[k];
    CellCurveStats s;
    s.cell = k;
    std::optional<size_t> lo, hi, first, last;
    double sum = 0;
    for (size_t j = 0; j < c.m_values.size() && j < c.m_times.size(); ++j) {
      const float v = c.m_values[j];
      if (v == 0.0f) continue;  // a channel without a cell reads 0 V
      if (!first) first = j;
      last = j;
      if (!lo || v < c.m_values[*lo]) lo = j;
      if (!hi || v > c.m_values[*hi]) hi = j;
      sum += v;
      ++s.points;
    }
    if (s.points > 0) {
      s.lowest = c.m_values[*lo];
      s.lowestTime = c.m_times[*lo];
      s.highest = c.m_values[*hi];
      s.highestTime = c.m_times[*hi];
      s.mean = sum / static_cast<double>(s.points);
      s.first = c.m_values[*first];
      s.last = c.m_values[*last];
    }
    stats.push_back(s);
  }
  return stats;
}

}  // namespace kx
