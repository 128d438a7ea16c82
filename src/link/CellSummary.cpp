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

}  // namespace kx
