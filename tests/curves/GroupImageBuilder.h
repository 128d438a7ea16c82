#pragma once
// Builds group images byte by byte, as the device would send them.

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kxtest {

struct PointSpec {
  int year = 2014, month = 3, day = 5, hour = 10, minute = 20, second = 30;
  std::array<uint16_t, 41> raw{};
};

inline uint8_t Bcd(int v) { return static_cast<uint8_t>((v / 10) << 4 | (v % 10)); }

inline void AppendPoint(std::vector<uint8_t>& image, const PointSpec& p) {
  image.insert(image.end(), {Bcd(p.year / 100), Bcd(p.year % 100), Bcd(p.month), Bcd(p.day), Bcd(p.hour),
                             Bcd(p.minute), Bcd(p.second)});
  for (uint16_t r : p.raw) {
    image.push_back(static_cast<uint8_t>(r >> 8));
    image.push_back(static_cast<uint8_t>(r));
  }
}

inline std::vector<uint8_t> BuildImage(const std::vector<PointSpec>& points) {
  std::vector<uint8_t> image{static_cast<uint8_t>(points.size())};
  for (const auto& p : points) AppendPoint(image, p);
  return image;
}

// n points one minute apart from 2014-03-05 08:00:00, cells near 3.3 V with a
// slow discharge and deterministic ripple, the total the sum of the cells.
inline std::vector<PointSpec> RealisticPoints(int n, int secondsApart = 60) {
  std::vector<PointSpec> points;
  uint32_t noise = 12345;
  for (int k = 0; k < n; ++k) {
    PointSpec p;
    const int s = k * secondsApart;
    p.hour = 8 + s / 3600;
    p.minute = (s / 60) % 60;
    p.second = s % 60;
    double total = 0;
    for (int j = 0; j < 40; ++j) {
      noise = noise * 1103515245u + 12345u;
      const double volts = 3.35 - 0.0015 * k + 0.02 * std::sin(j * 0.7 + k * 0.05) +
                           ((noise >> 16) % 100) / 10000.0 + 0.004 * (j % 7);
      p.raw[j] = static_cast<uint16_t>(volts / (17.0 / 32768.0));
      total += volts;
    }
    p.raw[40] = static_cast<uint16_t>(total / (600.0 / 32768.0));
    points.push_back(p);
  }
  return points;
}

}  // namespace kxtest
