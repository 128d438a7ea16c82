#pragma once
// One reading's cells at a glance: the extremes, the spread and the mean over the
// fitted cells, and the one line the panel and the command line both show.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "link/CellStats.h"

namespace kx {

struct CellSummary {
  std::optional<CellExtremes> extremes;  // nullopt when no cell is fitted
  double meanV = 0;                      // over the fitted cells
  size_t fitted = 0;
};

CellSummary SummariseCells(std::span<const double> cells);

// "最高 电池17 3.412V  最低 电池5 3.281V  压差 131mV  平均 3.350V", or a plain
// sentence when no cell is fitted.
std::string CellSummaryLine(const CellSummary& summary);

}  // namespace kx
