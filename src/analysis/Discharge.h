#pragma once
// What a discharge test's curve group says: the end voltage, when each cell and
// the string reached it, the capacity by the time-adjusted method, the weak cells,
// the change since an older test, and warnings about the wiring. No Qt.
//
// Times are minutes after the group's first record point. A value between two
// record points is the straight line between them. Only connected cells (a
// channel with at least one non-zero value) take part in any figure.

#include <optional>
#include <vector>

#include "curves/CurveGroup.h"
#include "link/CommandTable.h"

namespace kx::analysis {

struct Parameters {
  std::optional<double> endVoltage;    // V per cell; none: assumed from the first point
  std::optional<double> ratedMinutes;  // the rated discharge time; none: no capacity
  double kFactor = 1.0;                // temperature correction factor at the start
  double passPercent = 80.0;
  double weakPercent = 3.0;   // weak below -weakPercent of the mean
  double driftPercent = 2.0;  // drifted when the deviation fell by more points than this
  bool operator==(const Parameters&) const = default;
};

// The first parameter out of its range, for the front ends' messages.
enum class ParameterError { None, EndVoltage, RatedMinutes, KFactor, PassPercent, WeakPercent, DriftPercent };
ParameterError CheckParameters(const Parameters& parameters);
// The ranges CheckParameters enforces.
inline constexpr double kMaxEndVoltage = kCellFullScaleV;  // the cell channels' full scale
inline constexpr double kMaxRatedMinutes = 100000.0;
inline constexpr double kMaxKFactor = 10.0;
inline constexpr double kMaxPercent = 1000.0;

// The nominal cell voltage and the end voltage assumed for it, from the median of
// the connected cells at the first point.
struct Nominal {
  double nominal = 0;
  double endVoltage = 0;
};
Nominal NominalFor(double medianVolts);

enum class Status {
  Ok,
  NoPoints,          // nothing recorded
  NoConnectedCells,  // every cell reads 0 V throughout
};

struct CellResult {
  int cell = 0;                  // 0-based channel
  std::optional<double> endMin;  // when it reached the end voltage; none: never
  double voltsAtRef = 0;         // at the string's reference time
  double deviationPercent = 0;   // from the mean of the connected cells at that time
  double deviationMv = 0;
  int rank = 0;  // 1: the weakest
  bool weak = false;
};

// The connected cells' sum against the total voltage channel at every point.
struct SumCheck {
  int pointsChecked = 0;  // 0: the total reads 0 throughout, nothing checked
  double maxDifferenceV = 0;
  int pointsOver = 0;  // differing by more than 2 % of the total
};

struct BaselineCell {
  int cell = 0;                    // 0-based
  std::optional<int> rank;         // none: not connected in the older group
  std::optional<double> deviationPercent;
  std::optional<double> driftPoints;  // deviation now - deviation then
  bool drifted = false;
};

struct Baseline {
  Status status = Status::Ok;  // the older group's own; the rest is empty unless Ok
  std::optional<double> stringEndMin;
  std::optional<double> capacityPercent;
  bool capacityLowerBound = false;
  std::vector<BaselineCell> cells;  // the current group's connected cells, in cell order
  std::vector<int> driftedCells;    // 0-based, in cell order
};

struct Result {
  Status status = Status::Ok;
  int points = 0;
  CurveTime start = 0, end = 0;
  double durationMin = 0;
  int connectedCells = 0;
  double nominalV = 0;  // from the first point's median, whatever end voltage is used
  double endVoltage = 0;
  bool endVoltageAssumed = false;
  std::optional<double> stringEndMin;  // the mean of the connected cells reached the end voltage
  double refMin = 0;                   // stringEndMin, or the last point when it never did
  std::optional<int> limitingCell;     // 0-based: the first cell to reach the end voltage
  std::optional<double> ratedMin;
  double kFactor = 1.0;
  std::optional<double> capacityPercent;  // only when rated
  bool capacityLowerBound = false;        // the string never reached the end voltage
  // Only when rated. A lower bound below the pass mark is no verdict: the test
  // was stopped before the string was spent, so pass is left open (none).
  std::optional<bool> pass;
  std::vector<CellResult> cells;  // connected cells, in cell order
  std::vector<int> weakCells;     // 0-based, in cell order
  SumCheck sumCheck;
  std::vector<int> stuckCells;  // 0-based: the reading never changes while the others do
  std::optional<Baseline> baseline;

  // The connected cells from the weakest (rank 1) on.
  std::vector<const CellResult*> ByRank() const;
  const CellResult* Cell(int cell) const;
  const BaselineCell* BaselineOf(int cell) const;
};

// The analysis of group; with a baseline, the older group is analysed with the
// same parameters and the same end voltage (an assumed one included) and compared.
Result Analyse(const CCurveGroup& group, const Parameters& parameters, const CCurveGroup* baseline = nullptr);

}  // namespace kx::analysis
