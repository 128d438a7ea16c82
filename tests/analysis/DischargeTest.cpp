// The discharge analysis on groups built here, whose answers follow from their
// construction: straight-line discharges with known crossings, exact thresholds.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "analysis/AnalysisText.h"
#include "analysis/Discharge.h"

namespace {

using kx::analysis::Analyse;
using kx::analysis::Parameters;
using kx::analysis::Result;
using kx::analysis::Status;
using Series = std::vector<double>;

constexpr kx::CurveTime kStart = 1400000000;

// Cells 1.. as given (a channel not given reads 0 V), the total channel as given or 0.
std::unique_ptr<CCurveGroup> Group(const Series& minutes, const std::vector<Series>& cells, const Series& total = {}) {
  auto group = std::make_unique<CCurveGroup>();
  group->LoadGroupImage({});  // 41 empty curves
  for (int ch = 0; ch < kx::kChannelCount; ++ch) {
    for (size_t j = 0; j < minutes.size(); ++j) {
      double v = 0;
      if (ch < static_cast<int>(cells.size())) v = cells[static_cast<size_t>(ch)][j];
      if (ch == kx::kTotalChannel && !total.empty()) v = total[j];
      group->m_curves[static_cast<size_t>(ch)]->m_times.push_back(kStart + static_cast<kx::CurveTime>(minutes[j] * 60));
      group->m_curves[static_cast<size_t>(ch)]->m_values.push_back(static_cast<float>(v));
    }
  }
  return group;
}

const Series kMinutes{0, 10, 20, 30, 40};
// Cell 1 crosses 1.75 V half-way from 20 to 30 min, cell 2 exactly on the point at
// 30, cell 3 is below at the first point, cells 4 and 6 never get there; cell 5
// has no cell. The mean is 1.97, 1.91, 1.84, 1.77, 1.71: it crosses a third of
// the way from 30 to 40 min.
const std::vector<Series> kFive{{2.00, 1.90, 1.80, 1.70, 1.60}, {2.00, 1.95, 1.85, 1.75, 1.70},
                                {1.70, 1.65, 1.60, 1.55, 1.50}, {2.10, 2.05, 2.00, 1.95, 1.90},
                                {0, 0, 0, 0, 0},                {2.05, 2.00, 1.95, 1.90, 1.85}};

TEST(Discharge, CrossingsTimesRanksAndDeviationsOfLinearDischarges) {
  const auto group = Group(kMinutes, kFive);
  Parameters p;
  p.ratedMinutes = 40;
  const Result r = Analyse(*group, p);
  ASSERT_EQ(r.status, Status::Ok);
  EXPECT_EQ(r.points, 5);
  EXPECT_DOUBLE_EQ(r.durationMin, 40.0);
  // The empty channel takes part in nothing: not in the median, the mean or the table.
  EXPECT_EQ(r.connectedCells, 5);
  ASSERT_EQ(r.cells.size(), 5u);
  EXPECT_EQ(r.Cell(4), nullptr);
  EXPECT_TRUE(r.endVoltageAssumed);
  EXPECT_DOUBLE_EQ(r.endVoltage, 1.75);  // the median 2.00 V is a 2 V cell
  EXPECT_DOUBLE_EQ(r.nominalV, 2.0);

  EXPECT_NEAR(*r.Cell(0)->endMin, 25.0, 1e-3);
  EXPECT_DOUBLE_EQ(*r.Cell(1)->endMin, 30.0);
  EXPECT_DOUBLE_EQ(*r.Cell(2)->endMin, 0.0);
  EXPECT_FALSE(r.Cell(3)->endMin);
  EXPECT_FALSE(r.Cell(5)->endMin);
  ASSERT_TRUE(r.stringEndMin);
  EXPECT_NEAR(*r.stringEndMin, 100.0 / 3, 1e-3);
  EXPECT_DOUBLE_EQ(r.refMin, *r.stringEndMin);
  EXPECT_EQ(r.limitingCell, 2);

  // At the string's end the mean is the end voltage; each cell 1/3 of its last step on.
  EXPECT_NEAR(r.Cell(0)->voltsAtRef, 1.70 - 0.1 / 3, 1e-5);
  EXPECT_NEAR(r.Cell(0)->deviationPercent, (1.70 - 0.1 / 3 - 1.75) / 1.75 * 100, 1e-3);
  EXPECT_NEAR(r.Cell(3)->deviationMv, (1.95 - 0.05 / 3 - 1.75) * 1000, 1e-2);
  EXPECT_EQ(r.weakCells, (std::vector<int>{0, 2}));
  // Reached in time order, then the others from the lowest voltage.
  std::vector<int> order;
  for (const auto* c : r.ByRank()) order.push_back(c->cell);
  EXPECT_EQ(order, (std::vector<int>{2, 0, 1, 5, 3}));

  ASSERT_TRUE(r.capacityPercent);
  EXPECT_NEAR(*r.capacityPercent, 100.0 / 3 / 40 * 100, 1e-3);
  EXPECT_FALSE(r.capacityLowerBound);
  EXPECT_EQ(r.pass, true);
  EXPECT_EQ(kx::analysis::VerdictLine(r), "容量 83.3%  合格  最先到达终止电压: 电池3 0.0 分钟");

  // The temperature factor stretches the rated time: 33.3 / (40 x 1.25) is 66.7 %.
  p.kFactor = 1.25;
  const Result warm = Analyse(*group, p);
  EXPECT_NEAR(*warm.capacityPercent, 100.0 / 3 / 50 * 100, 1e-3);
  EXPECT_EQ(warm.pass, false);
}

TEST(Discharge, TiesGoToTheLowerNumberAndARecordingThatStopsEarlyGivesALowerBound) {
  // Cells 2 and 3 reach 1.75 V together at 15 min, cell 1 at 25; the mean never does.
  const auto group = Group(kMinutes, {{2.0, 1.9, 1.8, 1.7, 1.6}, {2.0, 1.8, 1.7, 1.6, 1.6},
                                      {2.0, 1.8, 1.7, 1.6, 1.6}, {2.3, 2.3, 2.3, 2.3, 2.3}});
  Parameters p;
  p.ratedMinutes = 50;
  p.kFactor = 0.8;
  Result r = Analyse(*group, p);
  EXPECT_EQ(r.limitingCell, 1);
  EXPECT_EQ(r.Cell(1)->rank, 1);
  EXPECT_EQ(r.Cell(2)->rank, 2);
  EXPECT_FALSE(r.stringEndMin);
  EXPECT_DOUBLE_EQ(r.refMin, 40.0);
  EXPECT_TRUE(r.capacityLowerBound);
  EXPECT_NEAR(*r.capacityPercent, 100.0, 1e-9);  // at least 40 / (50 x 0.8)
  EXPECT_EQ(r.pass, true);                      // already past the mark

  // A lower bound short of the mark decides nothing.
  p.kFactor = 1.0;
  r = Analyse(*group, p);
  EXPECT_NEAR(*r.capacityPercent, 80.0, 1e-9);
  p.passPercent = 90;
  r = Analyse(*group, p);
  EXPECT_FALSE(r.pass.has_value());
  EXPECT_EQ(kx::analysis::VerdictLine(r), "容量 ≥ 80.0%  未定  最先到达终止电压: 电池2 15.0 分钟");
  // Not rated: no capacity and no verdict on it.
  r = Analyse(*group, Parameters{});
  EXPECT_FALSE(r.capacityPercent || r.pass);
}

TEST(Discharge, WeakAndDriftedCellsAtTheEdgesOfTheirThresholds) {
  // Never reaching 1 V, the reference is the last point, where the mean is 2.0 V
  // and cell 3 lies exactly 3.125 % below it, cell 4 as far above.
  const Series minutes{0, 60};
  const auto now = Group(minutes, {{2.5, 2.0}, {2.5, 2.0}, {2.5, 1.9375}, {2.5, 2.0625}});
  const auto then = Group(minutes, {{2.5, 2.0}, {2.5, 2.0}, {2.5, 2.0}});  // cell 4 not fitted then
  Parameters p;
  p.endVoltage = 1.0;
  p.weakPercent = 3.125;
  p.driftPercent = 3.125;
  Result r = Analyse(*now, p, then.get());
  EXPECT_FALSE(r.endVoltageAssumed);
  EXPECT_DOUBLE_EQ(r.Cell(2)->deviationPercent, -3.125);
  EXPECT_DOUBLE_EQ(r.Cell(2)->deviationMv, -62.5);
  EXPECT_TRUE(r.weakCells.empty());  // at the threshold is not below it
  ASSERT_TRUE(r.baseline);
  EXPECT_EQ(r.BaselineOf(2)->driftPoints, -3.125);
  EXPECT_TRUE(r.baseline->driftedCells.empty());
  EXPECT_FALSE(r.BaselineOf(3)->rank);  // nothing to compare with
  EXPECT_FALSE(r.BaselineOf(3)->drifted);
  EXPECT_EQ(r.BaselineOf(0)->rank, 1);  // equal voltages: by number

  p.weakPercent = 3.12;
  p.driftPercent = 3.12;
  r = Analyse(*now, p, then.get());
  EXPECT_EQ(r.weakCells, std::vector<int>{2});
  EXPECT_EQ(r.baseline->driftedCells, std::vector<int>{2});
  EXPECT_EQ(r.Cell(2)->rank, 1);
}

TEST(Discharge, SumCheckAndAStuckCellAreWarnings) {
  // Cell 2 reads 2.05 V throughout while the others fall by 10 %; at the second
  // point the total channel reads 0.2 V more than the cells' sum (3.4 %).
  const Series minutes{0, 30, 60};
  const std::vector<Series> cells{{2.0, 1.9, 1.8}, {2.05, 2.05, 2.05}, {2.0, 1.9, 1.8}};
  const auto group = Group(minutes, cells, {6.05, 6.05, 5.65});
  Result r = Analyse(*group, Parameters{});
  EXPECT_EQ(r.stuckCells, std::vector<int>{1});
  EXPECT_EQ(r.sumCheck.pointsChecked, 3);
  EXPECT_EQ(r.sumCheck.pointsOver, 1);
  EXPECT_NEAR(r.sumCheck.maxDifferenceV, 0.2, 1e-5);
  const auto lines = kx::analysis::FindingLines(r, Parameters{});
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("警告: "); }), 2);

  // Others moving by less than 1 % leave a steady reading alone; a total of 0 V is not checked.
  const auto steady = Group(minutes, {{2.0, 1.995, 1.99}, {2.05, 2.05, 2.05}});
  r = Analyse(*steady, Parameters{});
  EXPECT_TRUE(r.stuckCells.empty());
  EXPECT_EQ(r.sumCheck.pointsChecked, 0);
}

TEST(Discharge, NothingToAnalyseAndTheAssumedEndVoltages) {
  EXPECT_EQ(Analyse(*Group({}, {}), Parameters{}).status, Status::NoPoints);
  EXPECT_EQ(Analyse(*Group({0, 1}, {{0, 0}}), Parameters{}).status, Status::NoConnectedCells);
  // A baseline with nothing in it is said to be so, not compared.
  const auto group = Group(kMinutes, kFive);
  const Result r = Analyse(*group, Parameters{}, Group({0, 1}, {{0, 0}}).get());
  EXPECT_EQ(r.baseline->status, Status::NoConnectedCells);

  const std::pair<double, double> edges[] = {{2.599, 1.75}, {2.6, 2.5}, {3.999, 2.5}, {4.0, 5.25}, {7.999, 5.25}, {8.0, 10.5}};
  for (const auto& [median, end] : edges) EXPECT_DOUBLE_EQ(kx::analysis::NominalFor(median).endVoltage, end) << median;
}

}  // namespace
