#pragma once
// The highest and lowest cell of a reading and their spread. A cell that reads
// exactly 0.000 V is a channel with no cell fitted and takes no part.

#include <cstddef>
#include <optional>
#include <span>

namespace kx {

struct CellExtremes {
  double maxV = 0;
  size_t maxIndex = 0;  // from 1, as the cells are numbered on the panel
  double minV = 0;
  size_t minIndex = 0;
  double spreadMv = 0;  // (max - min) in whole millivolts of the three-decimal readings
};

// True when the cell reads 0.000 V as shown (three decimals).
bool CellNotFitted(double volts);

// nullopt when no cell is fitted. Ties go to the lowest-numbered cell.
std::optional<CellExtremes> FindCellExtremes(std::span<const double> cells);

}  // namespace kx
