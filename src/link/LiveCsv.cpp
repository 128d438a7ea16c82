#include "link/LiveCsv.h"

#include "link/LiveValues.h"

namespace kx {

std::string LiveCsvHeader() {
  std::string h = "time";
  for (int i = 1; i <= 40; ++i) h += ",cell" + std::to_string(i) + "_V";
  h += ",total_V,current_A,temp1_C,temp2_C,temp3_C,analog1_V,analog2_V,ok\n";
  return h;
}

std::string LiveCsvRow(const std::string& time, const std::vector<std::string>* values) {
  const bool ok = values != nullptr && values->size() == kLiveValueCount;
  std::string row = time;
  for (size_t i = 0; i < kLiveValueCount; ++i) {
    row += ',';
    if (ok) row += (*values)[i];
  }
  row += ok ? ",1\n" : ",0\n";
  return row;
}

}  // namespace kx
