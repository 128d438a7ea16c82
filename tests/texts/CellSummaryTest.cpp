#include <gtest/gtest.h>

#include <vector>

#include "link/CellSummary.h"
#include "texts/ChineseTexts.h"

namespace {

TEST(CellSummary, LineTellsExtremesSpreadAndTheMeanOverFittedCellsOnly) {
  std::vector<double> cells(40, 3.350);
  cells[16] = 3.412;
  cells[4] = 3.281;
  for (int c = 32; c < 40; ++c) cells[c] = 0.0;  // cells 33..40 not fitted
  const kx::CellSummary s = kx::SummariseCells(cells);
  EXPECT_EQ(s.fitted, 32u);
  EXPECT_NEAR(s.meanV, (30 * 3.350 + 3.412 + 3.281) / 32, 1e-12);
  EXPECT_EQ(kx::CellSummaryLine(s), "最高 电池17 3.412V  最低 电池5 3.281V  压差 131mV  平均 3.350V");

  const kx::CellSummary none = kx::SummariseCells(std::vector<double>(40, 0.0));
  EXPECT_EQ(none.fitted, 0u);
  EXPECT_FALSE(none.extremes);
  EXPECT_EQ(kx::CellSummaryLine(none).rfind("没有接入的电池", 0), 0u);
}

}  // namespace
