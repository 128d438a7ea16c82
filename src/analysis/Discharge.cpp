#include "analysis/Discharge.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace kx::analysis {

namespace {

// A place on the recording: between point index - 1 and index, fraction of the way
// (index 0: the first point itself).
struct Place {
  size_t index = 0;
  double fraction = 1.0;
};

// A series (times, a cell's values, the mean) at a place; a point itself exactly.
double At(std::span<const double> v, const Place& p) {
  if (p.index == 0 || p.fraction == 1.0) return v[p.index];
  return v[p.index - 1] + p.fraction * (v[p.index] - v[p.index - 1]);
}

// The first place where the series reaches level or below: interpolated between
// the point before and the point at or below; none when it never does.
std::optional<Place> Crossing(std::span<const double> v, double level) {
  for (size_t j = 0; j < v.size(); ++j) {
    if (v[j] > level) continue;
    if (j == 0) return Place{0, 1.0};
    return Place{j, (v[j - 1] - level) / (v[j - 1] - v[j])};
  }
  return std::nullopt;
}

bool InRange(double v, double low, double high, bool lowIncluded) {
  return std::isfinite(v) && (lowIncluded ? v >= low : v > low) && v <= high;
}

// The analysis of one group, before any comparison.
Result Measure(const CCurveGroup& group, const Parameters& p, std::optional<double> endVoltage) {
  Result r;
  std::vector<int> connected;              // 0-based, in cell order
  std::vector<std::vector<double>> volts;  // per connected cell, per point
  std::vector<double> minutes, sum, mean;
  r.kFactor = p.kFactor;
  r.ratedMin = p.ratedMinutes;
  const int channels = std::min(kCellCount, static_cast<int>(group.m_curves.size()));
  size_t n = group.m_curves.empty() ? 0 : group.m_curves[0]->m_times.size();
  for (const auto& curve : group.m_curves) n = std::min({n, curve->m_times.size(), curve->m_values.size()});
  r.points = static_cast<int>(n);
  if (n == 0) {
    r.status = Status::NoPoints;
    return r;
  }
  const std::vector<CurveTime>& times = group.m_curves[0]->m_times;
  r.start = times[0];
  r.end = times[n - 1];
  minutes.resize(n);
  for (size_t j = 0; j < n; ++j) minutes[j] = static_cast<double>(times[j] - times[0]) / 60.0;
  r.durationMin = minutes[n - 1];

  for (int k = 0; k < channels; ++k) {
    const std::vector<float>& values = group.m_curves[k]->m_values;
    if (std::all_of(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n), [](float v) { return v == 0.0f; }))
      continue;
    connected.push_back(k);
    volts.emplace_back(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
  }
  const size_t cells = connected.size();
  r.connectedCells = static_cast<int>(cells);
  if (cells == 0) {
    r.status = Status::NoConnectedCells;
    return r;
  }
  sum.assign(n, 0.0);
  for (const auto& v : volts)
    for (size_t j = 0; j < n; ++j) sum[j] += v[j];
  for (double s : sum) mean.push_back(s / static_cast<double>(cells));

  std::vector<double> first;
  for (const auto& v : volts) first.push_back(v[0]);
  std::sort(first.begin(), first.end());
  const double median = cells % 2 ? first[cells / 2] : (first[cells / 2 - 1] + first[cells / 2]) / 2.0;
  const Nominal nominal = NominalFor(median);
  r.nominalV = nominal.nominal;
  r.endVoltageAssumed = !endVoltage;
  r.endVoltage = endVoltage.value_or(nominal.endVoltage);

  // The string's terminal voltage reaching the end voltage times the cells is
  // the mean reaching the end voltage.
  const std::optional<Place> stringEnd = Crossing(mean, r.endVoltage);
  const Place ref = stringEnd.value_or(Place{n - 1, 1.0});
  if (stringEnd) r.stringEndMin = At(minutes, *stringEnd);
  r.refMin = At(minutes, ref);
  const double meanAtRef = At(mean, ref);

  for (size_t c = 0; c < cells; ++c) {
    CellResult cell;
    cell.cell = connected[c];
    if (const auto crossing = Crossing(volts[c], r.endVoltage)) cell.endMin = At(minutes, *crossing);
    cell.voltsAtRef = At(volts[c], ref);
    cell.deviationMv = (cell.voltsAtRef - meanAtRef) * 1000.0;
    cell.deviationPercent = meanAtRef != 0 ? (cell.voltsAtRef - meanAtRef) / meanAtRef * 100.0 : 0.0;
    cell.weak = cell.deviationPercent < -p.weakPercent;
    if (cell.weak) r.weakCells.push_back(cell.cell);
    if (cell.endMin && (!r.limitingCell || *cell.endMin < *r.Cell(*r.limitingCell)->endMin))
      r.limitingCell = cell.cell;
    r.cells.push_back(cell);
  }
  // Cells that reached the end voltage by when, then the others by their voltage, then by number.
  std::vector<CellResult*> order;
  for (CellResult& c : r.cells) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(), [](const CellResult* a, const CellResult* b) {
    if (a->endMin.has_value() != b->endMin.has_value()) return a->endMin.has_value();
    const double ka = a->endMin ? *a->endMin : a->voltsAtRef;
    const double kb = b->endMin ? *b->endMin : b->voltsAtRef;
    return ka < kb;
  });
  for (size_t i = 0; i < order.size(); ++i) order[i]->rank = static_cast<int>(i) + 1;

  if (p.ratedMinutes) {
    r.capacityLowerBound = !stringEnd;
    r.capacityPercent = r.refMin / (*p.ratedMinutes * p.kFactor) * 100.0;
    const bool reached = *r.capacityPercent >= p.passPercent;
    if (reached || !r.capacityLowerBound) r.pass = reached;
  }

  const std::span<const float> total =
      group.m_curves.size() > kTotalChannel ? std::span(group.m_curves[kTotalChannel]->m_values).first(n)
                                            : std::span<const float>();
  if (std::any_of(total.begin(), total.end(), [](float v) { return v != 0.0f; })) {
    r.sumCheck.pointsChecked = static_cast<int>(n);
    for (size_t j = 0; j < n; ++j) {
      const double difference = std::fabs(sum[j] - total[j]);
      r.sumCheck.maxDifferenceV = std::max(r.sumCheck.maxDifferenceV, difference);
      if (difference > 0.02 * std::fabs(static_cast<double>(total[j]))) ++r.sumCheck.pointsOver;
    }
  }

  // A loose sense wire leaves the reading where it was while the string moves on.
  if (cells >= 2) {
    for (size_t c = 0; c < cells; ++c) {
      const auto& v = volts[c];
      if (!std::all_of(v.begin(), v.end(), [&](double x) { return x == v[0]; })) continue;
      const double others = static_cast<double>(cells - 1);
      const double firstOthers = (sum[0] - v[0]) / others;
      const double lastOthers = (sum[n - 1] - v[n - 1]) / others;
      if (std::fabs(lastOthers - firstOthers) > 0.01 * std::fabs(firstOthers)) r.stuckCells.push_back(connected[c]);
    }
  }
  return r;
}

}  // namespace

ParameterError CheckParameters(const Parameters& p) {
  if (p.endVoltage && !InRange(*p.endVoltage, 0, kMaxEndVoltage, false)) return ParameterError::EndVoltage;
  if (p.ratedMinutes && !InRange(*p.ratedMinutes, 0, kMaxRatedMinutes, false)) return ParameterError::RatedMinutes;
  if (!InRange(p.kFactor, 0, kMaxKFactor, false)) return ParameterError::KFactor;
  if (!InRange(p.passPercent, 0, kMaxPercent, false)) return ParameterError::PassPercent;
  if (!InRange(p.weakPercent, 0, kMaxPercent, true)) return ParameterError::WeakPercent;
  if (!InRange(p.driftPercent, 0, kMaxPercent, true)) return ParameterError::DriftPercent;
  return ParameterError::None;
}

Nominal NominalFor(double median) {
  if (median < 2.6) return {2.0, 1.75};
  if (median < 4.0) return {3.2, 2.50};
  if (median < 8.0) return {6.0, 5.25};
  return {12.0, 10.50};
}

std::vector<const CellResult*> Result::ByRank() const {
  std::vector<const CellResult*> order;
  for (const CellResult& c : cells) order.push_back(&c);
  std::sort(order.begin(), order.end(), [](const CellResult* a, const CellResult* b) { return a->rank < b->rank; });
  return order;
}

const CellResult* Result::Cell(int cell) const {
  for (const CellResult& c : cells)
    if (c.cell == cell) return &c;
  return nullptr;
}

const BaselineCell* Result::BaselineOf(int cell) const {
  if (!baseline) return nullptr;
  for (const BaselineCell& c : baseline->cells)
    if (c.cell == cell) return &c;
  return nullptr;
}

Result Analyse(const CCurveGroup& group, const Parameters& parameters, const CCurveGroup* baseline) {
  Result r = Measure(group, parameters, parameters.endVoltage);
  if (!baseline || r.status != Status::Ok) return r;

  // The older test on the same footing: the end voltage this one uses.
  const Result old = Measure(*baseline, parameters, r.endVoltage);
  Baseline& b = r.baseline.emplace();
  b.status = old.status;
  if (old.status != Status::Ok) return r;
  b.stringEndMin = old.stringEndMin;
  b.capacityPercent = old.capacityPercent;
  b.capacityLowerBound = old.capacityLowerBound;
  for (const CellResult& now : r.cells) {
    BaselineCell c;
    c.cell = now.cell;
    if (const CellResult* then = old.Cell(now.cell)) {
      c.rank = then->rank;
      c.deviationPercent = then->deviationPercent;
      c.driftPoints = now.deviationPercent - then->deviationPercent;
      c.drifted = *c.driftPoints < -parameters.driftPercent;
      if (c.drifted) b.driftedCells.push_back(c.cell);
    }
    b.cells.push_back(c);
  }
  return r;
}

}  // namespace kx::analysis
