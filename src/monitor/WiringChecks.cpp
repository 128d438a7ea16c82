#include "monitor/WiringChecks.h"

#include <cmath>
#include <cstdio>

namespace kx::monitor {

namespace {

std::string Format(const char* format, auto... args) {
  char text[256];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

}  // namespace

const char* FaultKindKey(FaultKind kind) {
  switch (kind) {
    case FaultKind::SumMismatch: return "sum_mismatch";
    case FaultKind::CellLost: return "cell_lost";
    case FaultKind::StuckCell: break;
  }
  return "stuck_cell";
}

void WiringChecks::CheckSum(const LiveReading& r, std::vector<FaultChange>& out) {
  const double total = r.Total();
  double sum = 0;
  for (double v : r.Cells()) sum += v;
  // A unit without a total voltage reads 0 there: nothing to compare with.
  const bool holds = total > 0 && std::fabs(sum - total) > limits_.sumTolerance * total + 1e-9;
  sumRun_ = holds ? sumRun_ + 1 : 0;
  sumQuiet_ = holds ? 0 : sumQuiet_ + 1;
  const double apart = total > 0 ? std::fabs(sum - total) / total * 100 : 0;
  if (!sumRaised_ && sumRun_ >= limits_.sumReadings) {
    sumRaised_ = true;
    out.push_back({FaultKind::SumMismatch, 0, true,
                   Format("The cells add up to %.2f V but the total reads %.2f V (%.1f %% apart, more than %.1f %%) "
                          "in %d readings in a row.",
                          sum, total, apart, limits_.sumTolerance * 100, sumRun_)});
  } else if (sumRaised_ && sumQuiet_ >= limits_.clearReadings) {
    sumRaised_ = false;
    out.push_back({FaultKind::SumMismatch, 0, false,
                   Format("The cells add up to the total again: %.2f V against %.2f V.", sum, total)});
  }
}

std::vector<FaultChange> WiringChecks::Check(const LiveReading& r) {
  std::vector<FaultChange> out;
  CheckSum(r, out);
  const auto volts = r.Cells();
  for (size_t i = 0; i < kLiveCells; ++i) {
    Cell& c = cells_[i];
    const int n = static_cast<int>(i + 1);
    if (volts[i] > 0 && c.lost) {
      c.lost = false;
      out.push_back({FaultKind::CellLost, n, false, Format("Cell %d reads %.3f V again.", n, volts[i])});
    } else if (volts[i] <= 0 && c.connected && !c.lost) {
      c.lost = true;
      out.push_back({FaultKind::CellLost, n, true,
                     Format("Cell %d reads 0.000 V after %.3f V: its sense lead may be off.", n, c.lastVolts)});
    }
    if (volts[i] > 0) {
      c.connected = true;
      c.lastVolts = volts[i];
    }
  }

  // The mean of the cells reading now, for each cell without itself.
  double sum = 0;
  int reading = 0;
  for (double v : volts)
    if (v > 0) sum += v, ++reading;
  for (size_t i = 0; i < kLiveCells; ++i) {
    Cell& c = cells_[i];
    const int n = static_cast<int>(i + 1);
    bool holds = false;
    if (volts[i] > 0 && reading > 1) {
      const double others = (sum - volts[i]) / (reading - 1);
      if (c.run > 0 && r.raw[i] == c.raw) {
        ++c.run;
        c.othersLow = std::min(c.othersLow, others);
        c.othersHigh = std::max(c.othersHigh, others);
      } else {
        c.run = 1;
        c.othersLow = c.othersHigh = others;
      }
      c.raw = r.raw[i];
      holds = c.run >= limits_.stuckReadings && c.othersHigh - c.othersLow > limits_.stuckMove * c.othersLow;
    } else {
      c.run = 0;
    }
    c.stuckQuiet = holds ? 0 : c.stuckQuiet + 1;
    if (holds && !c.stuck) {
      c.stuck = true;
      out.push_back({FaultKind::StuckCell, n, true,
                     Format("Cell %d has read %.3f V (raw count %u) in %d readings in a row while the mean of "
                            "the others moved by %.1f %%.",
                            n, volts[i], static_cast<unsigned>(c.raw), c.run,
                            (c.othersHigh - c.othersLow) / c.othersLow * 100)});
    } else if (c.stuck && c.stuckQuiet >= limits_.clearReadings) {
      c.stuck = false;
      out.push_back({FaultKind::StuckCell, n, false, Format("Cell %d follows the others again (%.3f V).", n, volts[i])});
    }
  }
  return out;
}

std::vector<FaultKind> WiringChecks::Active() const {
  std::vector<FaultKind> kinds;
  if (sumRaised_) kinds.push_back(FaultKind::SumMismatch);
  for (const Cell& c : cells_)
    if (c.lost) {
      kinds.push_back(FaultKind::CellLost);
      break;
    }
  for (const Cell& c : cells_)
    if (c.stuck) {
      kinds.push_back(FaultKind::StuckCell);
      break;
    }
  return kinds;
}

}  // namespace kx::monitor
