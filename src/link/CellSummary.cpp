#include "link/CellSummary.h"

#include <cstdio>

namespace kx {

CellSummary SummariseCells(std::span<const double> cells) {
  CellSummary s;
  s.extremes = FindCellExtremes(cells);
  double sum = 0;
  for (double v : cells) {
    if (CellNotFitted(v)) continue;
    sum += v;
    ++s.fitted;
  }
  if (s.fitted > 0) s.meanV = sum / static_cast<double>(s.fitted);
  return s;
}

std::string CellSummaryLine(const CellSummary& summary) {
  if (!summary.extremes) return "没有接入的电池（所有电池读数为 0.000V）";
  const CellExtremes& e = *summary.extremes;
  char line[160];
  std::snprintf(line, sizeof line, "最高 电池%zu %.3fV  最低 电池%zu %.3fV  压差 %.0fmV  平均 %.3fV", e.maxIndex, e.maxV,
                e.minIndex, e.minV, e.spreadMv, summary.meanV);
  return line;
}

}  // namespace kx
