#pragma once
// A curve group's statistics per cell: the extremes over the group, the largest
// spread between cells at one record point, and the per-cell table as CSV. No Qt.

#include <string>

#include "curves/CurveGroup.h"

namespace kx {

// The cells' extremes over the group and the largest spread between cells at one
// record point (cells reading 0 V left out).
struct Extreme {
  int cell = -1;  // 0-based; -1 when there is none
  float volts = 0;
  CurveTime time = 0;
};
struct GroupExtremes {
  Extreme highest, lowest;
  float spread = 0;  // volts
  CurveTime spreadTime = 0;
  bool Valid() const { return highest.cell >= 0; }
};
// Over the visible cells, or over all 40 when visibleOnly is false.
GroupExtremes FindExtremes(const CCurveGroup& group, bool visibleOnly = true);
// "最高 电池17 3.412V 10:20:30  最低 电池5 3.281V 10:21:30  最大压差 131mV 10:25:30".
std::string ExtremesText(const GroupExtremes& extremes);

// Per-cell statistics as CSV: cell,min_V,min_time,max_V,max_time,mean_V,first_V,last_V
// for the 40 cells (values of exactly 0 V left out), then the largest spread.
std::string CellStatsCsv(const CCurveGroup& group);

}  // namespace kx
