#include "link/LiveCsv.h"

namespace kx {

std::string LiveCsvHeader() {
  std::string h = "time";
  for (size_t i = 1; i <= kLiveCells; ++i) h += ",cell" + std::to_string(i) + "_V";
  h += ",total_V,current_A,temp1_C,temp2_C,temp3_C,analog1_V,analog2_V,ok\n";
  return h;
}

std::string LiveCsvRow(const std::string& time, const LiveReading* reading) {
  std::string row = time;
  for (size_t i = 0; i < kLiveValueCount; ++i) {
    row += ',';
    if (reading) row += reading->Text(i);
  }
  row += reading ? ",1\n" : ",0\n";
  return row;
}

}  // namespace kx
