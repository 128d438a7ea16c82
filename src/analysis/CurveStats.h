#pragma once
// Each cell's curve over a group: lowest, highest, mean, first and last value.

#include <cstddef>
#include <vector>

#include "curves/CurveGroup.h"

namespace kx {

// One cell's curve over the group (values of exactly 0 V left out); the values
// are meaningful only when points > 0.
struct CellCurveStats {
  int cell = 0;  // 0-based
  size_t points = 0;
  float lowest = 0, highest = 0;
  CurveTime lowestTime = 0, highestTime = 0;
  double mean = 0;
  float first = 0, last = 0;
};
// The 40 cells' statistics (fewer when the group holds fewer curves).
std::vector<CellCurveStats> CurveCellStats(const CCurveGroup& group);

}  // namespace kx
