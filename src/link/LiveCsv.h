#pragma once
// The live CSV: one row per reading, the 47 values as the panel shows them, a
// failed reading as a row of empty values with ok = 0. The command line, the
// monitor and the panel's log all write it through here, so the columns agree.

#include <string>

#include "link/LiveReading.h"

namespace kx {

// "time,cell1_V,…,cell40_V,total_V,current_A,temp1_C,temp2_C,temp3_C,analog1_V,analog2_V,ok\n"
std::string LiveCsvHeader();
// One row; reading null for a failed reading. time is written as given: each
// writer keeps its own precision.
std::string LiveCsvRow(const std::string& time, const LiveReading* reading);

}  // namespace kx
