#pragma once
// Checks of one unit's wiring on its live readings: cells that stop adding up to
// the string's total, a cell whose sense lead came off, a cell whose reading no
// longer moves while the others do. Each fault is raised and cleared once.

#include <array>
#include <string>
#include <vector>

#include "link/LiveReading.h"

namespace kx::monitor {

struct WiringLimits {
  double sumTolerance = 0.02;  // of the total
  int stuckReadings = 60;      // readings in a row with one raw count
  double stuckMove = 0.005;    // of the others' mean, meanwhile
  int sumReadings = 3;         // mismatched readings in a row to raise
  int clearReadings = 3;       // readings without the condition to clear
};

enum class FaultKind { SumMismatch, CellLost, StuckCell };
inline constexpr FaultKind kFaultKinds[] = {FaultKind::SumMismatch, FaultKind::CellLost, FaultKind::StuckCell};
// "sum_mismatch", "cell_lost", "stuck_cell".
const char* FaultKindKey(FaultKind kind);

struct FaultChange {
  FaultKind kind;
  int cell = 0;  // 1..40; 0: the whole string
  bool raised;   // false: cleared
  std::string detail;  // a sentence with the numbers
};

class WiringChecks {
 public:
  explicit WiringChecks(WiringLimits limits = {}) : limits_(limits) {}

  // The faults raised and cleared by this reading, in the order of kFaultKinds.
  std::vector<FaultChange> Check(const LiveReading& reading);
  // The kinds now raised, in the order of kFaultKinds, each once.
  std::vector<FaultKind> Active() const;

 private:
  struct Cell {
    bool connected = false;  // read above 0 V since the start
    bool lost = false;
    double lastVolts = 0;
    uint16_t raw = 0;
    int run = 0;              // readings in a row with this raw count
    double othersLow = 0, othersHigh = 0;  // the others' mean over the run
    bool stuck = false;
    int stuckQuiet = 0;       // readings without the condition while raised
  };
  void CheckSum(const LiveReading& r, std::vector<FaultChange>& out);

  WiringLimits limits_;
  std::array<Cell, kLiveCells> cells_{};
  int sumRun_ = 0;  // mismatched readings in a row
  int sumQuiet_ = 0;
  bool sumRaised_ = false;
};

}  // namespace kx::monitor
