// The wiring checks at their thresholds: how many readings raise and clear each
// fault, and the units they must leave alone.

#include <gtest/gtest.h>

#include "monitor/WiringChecks.h"

namespace kx::monitor {
namespace {

// A string of cells at volts each (0 from cell `fitted` on), the total as given;
// raw counts follow the volts, and `tick` changes them all.
LiveReading String(double volts, double total, int fitted = 40, uint16_t tick = 0) {
  LiveReading r;
  for (int i = 0; i < 40; ++i) {
    r.shown[i] = i < fitted ? volts : 0.0;
    r.raw[i] = i < fitted ? static_cast<uint16_t>(volts * 1000 + tick) : 0;
  }
  r.shown[kLiveTotal] = total;
  return r;
}

std::string Changes(const std::vector<FaultChange>& changes) {
  std::string s;
  for (const FaultChange& c : changes)
    s += std::string(c.raised ? "+" : "-") + FaultKindKey(c.kind) + (c.cell ? "@" + std::to_string(c.cell) : "") + " ";
  return s;
}

TEST(WiringChecks, SumMismatchNeedsThreeReadingsPastTheToleranceAndClearsAfterThree) {
  WiringChecks checks;
  // 30 cells of 3.4 V make 102 V: exactly 2 % above a total of 100 V is within.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Changes(checks.Check(String(3.4, 100.0, 30, i))), "");
  const double over = 102.1 / 30;
  EXPECT_EQ(Changes(checks.Check(String(over, 100.0, 30, 1))), "");
  EXPECT_EQ(Changes(checks.Check(String(over, 100.0, 30, 2))), "");
  const auto raised = checks.Check(String(over, 100.0, 30, 3));
  ASSERT_EQ(Changes(raised), "+sum_mismatch ");
  EXPECT_NE(raised[0].detail.find("102.10 V"), std::string::npos) << raised[0].detail;
  EXPECT_EQ(checks.Active(), std::vector{FaultKind::SumMismatch});
  // A good reading between bad ones does not clear it; three in a row do.
  EXPECT_EQ(Changes(checks.Check(String(3.4, 100.0, 30, 4))), "");
  EXPECT_EQ(Changes(checks.Check(String(over, 100.0, 30, 5))), "");
  EXPECT_EQ(Changes(checks.Check(String(3.4, 100.0, 30, 6))), "");
  EXPECT_EQ(Changes(checks.Check(String(3.4, 100.0, 30, 7))), "");
  EXPECT_EQ(Changes(checks.Check(String(3.4, 100.0, 30, 8))), "-sum_mismatch ");
  EXPECT_TRUE(checks.Active().empty());

  // The tolerance is an option; a unit whose total reads 0 is never compared.
  WiringChecks tight({.sumTolerance = 0.001});
  WiringChecks noTotal;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Changes(noTotal.Check(String(3.4, 0.0, 30, i))), "");
    const std::string c = Changes(tight.Check(String(3.4, 101.0, 30, i)));
    EXPECT_EQ(c, i == 2 ? "+sum_mismatch " : "");
  }
}

TEST(WiringChecks, CellLostOnlyForACellThatWasConnected) {
  WiringChecks checks;
  // Cells 31..40 were never connected: they raise nothing, now or later.
  EXPECT_EQ(Changes(checks.Check(String(3.3, 99.0, 30))), "");
  LiveReading lost = String(3.3, 99.0, 30, 1);
  lost.shown[16] = 0.0;
  const auto raised = checks.Check(lost);
  ASSERT_EQ(Changes(raised), "+cell_lost@17 ");
  EXPECT_NE(raised[0].detail.find("Cell 17 reads 0.000 V after 3.300 V"), std::string::npos) << raised[0].detail;
  EXPECT_EQ(Changes(checks.Check(lost)), "");  // told once
  EXPECT_EQ(Changes(checks.Check(String(3.3, 99.0, 30, 2))), "-cell_lost@17 ");
  EXPECT_TRUE(checks.Active().empty());
}

TEST(WiringChecks, StuckCellNeedsTheRunAndTheOthersMoving) {
  WiringChecks checks({.stuckReadings = 5});
  // Cell 3 keeps its raw count; the others climb 0.2 % a reading: 0.8 % over 5 readings.
  auto reading = [](int n, double step) {
    LiveReading r = String(3.3 * (1 + step * n), 132.0 * (1 + step * n), 40, static_cast<uint16_t>(n));
    r.shown[2] = 3.3;
    r.raw[2] = 3300;
    return r;
  };
  for (int n = 0; n < 4; ++n) EXPECT_EQ(Changes(checks.Check(reading(n, 0.002))), "") << n;
  const auto raised = checks.Check(reading(4, 0.002));
  ASSERT_EQ(Changes(raised), "+stuck_cell@3 ");
  EXPECT_NE(raised[0].detail.find("in 5 readings in a row"), std::string::npos) << raised[0].detail;
  // It moves again: cleared on the third reading without the condition.
  EXPECT_EQ(Changes(checks.Check(String(3.3, 132.0, 40, 10))), "");
  EXPECT_EQ(Changes(checks.Check(String(3.3, 132.0, 40, 11))), "");
  EXPECT_EQ(Changes(checks.Check(String(3.3, 132.0, 40, 12))), "-stuck_cell@3 ");

  // Others moving 0.1 % a reading (0.4 % over the run) is a steady string, not a stuck cell;
  // and a string that does not move at all never makes one (every raw count stays).
  WiringChecks slow({.stuckReadings = 5}), still({.stuckReadings = 5});
  for (int n = 0; n < 8; ++n) {
    EXPECT_EQ(Changes(slow.Check(reading(n > 4 ? 4 : n, 0.001))), "") << n;
    EXPECT_EQ(Changes(still.Check(String(3.3, 132.0))), "") << n;
  }
}

}  // namespace
}  // namespace kx::monitor
