#include <gtest/gtest.h>

#include "../curves/GroupImageBuilder.h"
#include "chart/CellStatistics.h"
#include "chart/ChartDraw.h"
#include "chart/ChartScale.h"
#include "chart/CurvePick.h"
#include "chart/RecordingCanvas.h"

namespace {

using kx::FitAxis;

uint16_t Raw(double volts) { return static_cast<uint16_t>(volts / kx::kCellScale + 0.5); }

// Three records a minute apart; cell 17 the highest, cell 5 the lowest, cells
// 33..40 not fitted (0 V), the others at 3.35 V; at 08:01 cell 5 sags further.
CCurveGroup& Battery(CCurveGroup& group) {
  std::vector<kxtest::PointSpec> points(3);
  for (int k = 0; k < 3; ++k) {
    points[k].hour = 8;
    points[k].minute = k;
    points[k].second = 0;
    for (int j = 0; j < 32; ++j) points[k].raw[j] = Raw(3.35);
    points[k].raw[16] = Raw(3.412);
    points[k].raw[4] = Raw(k == 1 ? 3.281 : 3.30);
  }
  group.LoadGroupImage(kxtest::BuildImage(points));
  return group;
}

TEST(ChartScale, FittedAxesTakeRoundStepsAndLabelThemAsNeeded) {
  const auto cells = FitAxis(3.281, 3.412);
  EXPECT_DOUBLE_EQ(cells.step, 0.05);
  EXPECT_NEAR(cells.low, 3.25, 1e-9);
  EXPECT_NEAR(cells.high, 3.45, 1e-9);
  EXPECT_EQ(cells.Divisions(), 4);
  EXPECT_EQ(kx::AxisLabel(cells, cells.low), "3.25V");

  const auto full = FitAxis(0, 15);
  EXPECT_EQ(full.low, 0);
  EXPECT_EQ(full.high, 15);
  EXPECT_EQ(kx::AxisLabel(full, 15), "15V");

  // One value, and the 16 V a raw 0x7800 gives: a band around it, never a zero span.
  for (double v : {3.3, 16.0}) {
    const auto one = FitAxis(v, v);
    EXPECT_LT(one.low, v);
    EXPECT_GT(one.high, v);
    EXPECT_GE(one.Divisions(), 1);
  }
}

TEST(ChartScale, DrawOnAFittedAxisPutsTheDataBetweenItsEnds) {
  CCurveGroup group;
  Battery(group);
  const auto axis = kx::FitVisibleCells(group);
  ASSERT_TRUE(axis.has_value());  // the 0 V cells are left out: 3.281..3.412
  EXPECT_NEAR(axis->low, 3.25, 1e-9);
  kx::RecordingCanvas canvas;
  kx::Draw(group, canvas, {0, 0, 890, 560}, false, &*axis);
  // Labels from the top (3.45V at y 28) to the bottom (3.25V at y 532).
  const auto* top = canvas.FindText("3.45V");
  const auto* bottom = canvas.FindText("3.25V");
  ASSERT_NE(top, nullptr);
  ASSERT_NE(bottom, nullptr);
  EXPECT_EQ(top->y, 28);
  EXPECT_EQ(bottom->y, 532);
  EXPECT_EQ(canvas.FindText("15.0V"), nullptr);
  // Cell 17's 3.412 V: (3.45 - 3.412) / 0.2 of the way down from the top.
  const auto* label = canvas.FindText("#17");
  ASSERT_NE(label, nullptr);
  EXPECT_NEAR(label->y - 4, 28 + (3.45 - 3.412) / 0.2 * 504, 1.5);
}

TEST(ChartScale, PickingFindsTheCurveUnderTheMouse) {
  CCurveGroup group;
  Battery(group);
  const kx::Rect area{0, 0, 890, 560};
  // Cell 5's sag at 08:01 sits half way across, at 3.281 V on the fixed axis.
  const int x = 44 + 802 / 2;
  const int y = static_cast<int>(532 - 3.281 * 504 / 15.0);
  auto pick = kx::PickCurve(group, area, nullptr, x, y + 1);
  ASSERT_TRUE(pick.has_value());
  EXPECT_NE(kx::PickText(*pick).find(" 08:01:00"), std::string::npos);
  // The fixed axis crowds the cells: on a fitted one, cell 5 stands alone.
  const auto axis = kx::FitVisibleCells(group);
  const int yFitted = static_cast<int>(532 - (3.281 - axis->low) * 504 / (axis->high - axis->low));
  pick = kx::PickCurve(group, area, &*axis, x, yFitted);
  ASSERT_TRUE(pick.has_value());
  EXPECT_EQ(kx::PickText(*pick), "电池5 3.281V 08:01:00");
  EXPECT_FALSE(kx::PickCurve(group, area, &*axis, x, 40).has_value());  // nothing near
  group.m_visible[4] = 0;
  pick = kx::PickCurve(group, area, &*axis, x, yFitted);
  EXPECT_TRUE(!pick || pick->cell != 4);  // a hidden curve is not picked
}

TEST(ChartScale, ExtremesAndStatisticsLeaveUnfittedCellsOut) {
  CCurveGroup group;
  Battery(group);
  const auto e = kx::FindExtremes(group);
  EXPECT_EQ(kx::ExtremesText(e), "最高 电池17 3.412V 08:00:00  最低 电池5 3.281V 08:01:00  最大压差 131mV 08:01:00");
  const std::string csv = kx::CellStatsCsv(group);
  EXPECT_NE(csv.find("\n5,3.281,2014-03-05 08:01:00,3.300,2014-03-05 08:00:00,3.294,3.300,3.300\n"), std::string::npos)
      << csv;
  EXPECT_NE(csv.find("\n40,,,,,,,\n"), std::string::npos);
  EXPECT_NE(csv.find("largest_spread_mV,time\n131,2014-03-05 08:01:00\n"), std::string::npos);

  CCurveGroup empty;
  EXPECT_EQ(kx::ExtremesText(kx::FindExtremes(empty)), "没有可统计的电池数据");
}

}  // namespace
