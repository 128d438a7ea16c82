#include <gtest/gtest.h>

#include <vector>

#include "link/CellStats.h"

namespace kx {
namespace {

TEST(CellStats, SkipsCellsNotFittedAndNumbersFromOne) {
  // Cells 1 and 5 are not fitted; 0.0004 V still shows as 0.000.
  const std::vector<double> cells{0.0, 3.301, 3.310, 3.299, 0.0004, 3.310};
  const auto e = FindCellExtremes(cells);
  ASSERT_TRUE(e);
  EXPECT_DOUBLE_EQ(e->maxV, 3.310);
  EXPECT_EQ(e->maxIndex, 3u);  // the first of two equal highest
  EXPECT_DOUBLE_EQ(e->minV, 3.299);
  EXPECT_EQ(e->minIndex, 4u);
  EXPECT_DOUBLE_EQ(e->spreadMv, 11.0);

  EXPECT_FALSE(FindCellExtremes(std::vector<double>{0.0, 0.0001}));
  const auto one = FindCellExtremes(std::vector<double>{0.0, 0.001});
  ASSERT_TRUE(one);
  EXPECT_EQ(one->maxIndex, 2u);
  EXPECT_EQ(one->minIndex, 2u);
  EXPECT_DOUBLE_EQ(one->spreadMv, 0.0);
}

}  // namespace
}  // namespace kx
