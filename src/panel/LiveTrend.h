#pragma once
// The live trend's history and picture, without windows: a bounded ring of
// readings and the two plots (cells; total voltage and current) drawn over the
// chart's canvas.

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "chart/Canvas.h"
#include "chart/ChartScale.h"
#include "link/LiveReading.h"

namespace kx::panel {

inline constexpr size_t kTrendCells = kLiveCells;
// Ten minutes at 30 readings a second; faster runs keep the latest readings.
inline constexpr size_t kTrendCapacity = 18000;
inline constexpr double kTrendWindowSeconds = 600;

struct TrendSample {
  double time = 0;  // seconds since 1970
  std::array<float, kTrendCells> cells{};
  // NaN when no cell is fitted.
  float highest = 0, lowest = 0, mean = 0;
  float total = 0, current = 0;
};

// Oldest first; a full ring drops its oldest reading.
class TrendRing {
 public:
  explicit TrendRing(size_t capacity = kTrendCapacity);
  void Push(double time, const LiveReading& reading);
  size_t Size() const { return m_count; }
  size_t Capacity() const { return m_samples.size(); }
  const TrendSample& At(size_t i) const { return m_samples[(m_first + i) % m_samples.size()]; }
  const TrendSample& Newest() const { return At(m_count - 1); }
  // The first index at or after time (Size() when none).
  size_t FirstFrom(double time) const;

 private:
  std::vector<TrendSample> m_samples;
  size_t m_first = 0;
  size_t m_count = 0;
};

// The time span shown: the last windowSeconds up to the newest reading, or less
// while the history is shorter (never under ten seconds).
struct TrendSpan {
  double from = 0, to = 0;
  size_t first = 0;  // ring index of the first reading shown
};
TrendSpan SpanOf(const TrendRing& ring, double windowSeconds = kTrendWindowSeconds);

// The voltage axis fitted to the highest, lowest and picked cells in the span.
ValueAxis CellAxis(const TrendRing& ring, const TrendSpan& span, std::span<const int> picked);

// Both plots into area: cells on top, total voltage and current below. picked
// holds 0-based cell numbers.
void DrawTrend(Canvas& canvas, const Rect& area, const TrendRing& ring, std::span<const int> picked,
               double windowSeconds = kTrendWindowSeconds);

}  // namespace kx::panel
