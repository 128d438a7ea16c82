#include "link/CellStats.h"

#include <cmath>

namespace kx {

bool CellNotFitted(double volts) { return std::lround(volts * 1000.0) == 0; }

std::optional<CellExtremes> FindCellExtremes(std::span<const double> cells) {
  std::optional<CellExtremes> e;
  for (size_t i = 0; i < cells.size(); ++i) {
    const double v = cells[i];
    if (CellNotFitted(v)) continue;
    if (!e) {
      e = CellExtremes{v, i + 1, v, i + 1, 0};
      continue;
    }
    if (v > e->maxV) e->maxV = v, e->maxIndex = i + 1;
    if (v < e->minV) e->minV = v, e->minIndex = i + 1;
  }
  // Computed on the millivolts so that 3.301 - 3.299 reads 2, not 1.9999999.
  if (e) e->spreadMv = static_cast<double>(std::lround(e->maxV * 1000.0) - std::lround(e->minV * 1000.0));
  return e;
}

}  // namespace kx
