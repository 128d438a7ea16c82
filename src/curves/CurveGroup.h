#pragma once
// The in-memory curve group: 41 channels of time-stamped, scaled values built
// from the byte image the device sends (and a ".bin" file stores).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "link/CommandTable.h"

namespace kx {

// A colour as red, green and blue bytes.
struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Seconds since 1970-01-01 00:00 UTC. 64 bits, so that records after January 2038
// keep their time (files store BCD calendar fields, not this value).
using CurveTime = int64_t;

inline constexpr int kCellCount = 40;
inline constexpr int kChannelCount = 41;  // 40 cells, then the total voltage
inline constexpr int kTotalChannel = 40;
inline constexpr size_t kPointRecordSize = 89;  // 7 BCD time bytes + 41 big-endian words
inline constexpr double kCellScale = kCellFullScaleV / 32768.0;
inline constexpr double kTotalScale = 600.0 / 32768.0;

// Local calendar fields to a time value; daylight saving is left to the C library.
CurveTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace kx

// One channel of one group.
class CCurve {
 public:
  std::vector<kx::CurveTime> m_times;
  std::vector<float> m_values;
};

class CCurveGroup {
 public:
  CCurveGroup();
  virtual ~CCurveGroup();
  CCurveGroup(const CCurveGroup&) = delete;
  CCurveGroup& operator=(const CCurveGroup&) = delete;

  // Rebuilds all 41 curves from a group image. Only whole records inside the
  // span are read, however many the count byte announces.
  void LoadGroupImage(std::span<const uint8_t> image);
  // One flag per cell, non-zero = drawn.
  void SetVisibleCells(std::span<const int, kx::kCellCount> flags);

  // Number of points of the loaded group (0 before any load).
  int PointCount() const { return m_curves.empty() ? 0 : static_cast<int>(m_curves[0]->m_values.size()); }

  std::vector<std::unique_ptr<CCurve>> m_curves;
  kx::Rgb m_crFrame{0, 0, 0};
  kx::Rgb m_crPlot{255, 255, 255};
  // Mid grey: the dash-dot-dot grid and the marker outlines stay visible on the
  // white plot without competing with the curves, on screen and on paper.
  kx::Rgb m_crGrid{128, 128, 128};
  uint8_t m_bTransparent = 0;
  kx::Rgb m_crBack{255, 255, 255};
  int m_nTimeDivs = 10;
  int m_nValueDivs = 15;
  kx::CurveTime m_endTime;
  kx::CurveTime m_startTime;
  // Working values, recomputed by every drawing.
  float m_fPixelsPerSecond = 0.0f;
  float m_fPixelsPerVolt = 0.0f;
  int m_nPointCount = 0;
  int m_nCurveCount = 0;
  std::vector<kx::Rgb> m_colors;
  std::array<int, kx::kCellCount> m_visible;
};
