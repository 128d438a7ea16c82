#pragma once
// One reading's cells at a glance: the extremes, the spread and the mean over the
// fitted cells (the line the panel and the command line show is CellSummaryLine).

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

}  // namespace kx
