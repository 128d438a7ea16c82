#pragma once
// One live reading as every consumer takes it: the 47 values as the panel shows
// them, as numbers, with their raw counts. Where each quantity sits and how many
// decimals it shows is said here once; the shown text is made from the value.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kx {

// The fields in the reply's order: cells 1..40, the total voltage, the current,
// temperatures 1..3, analogue inputs 1..2.
inline constexpr size_t kLiveCells = 40;
inline constexpr size_t kLiveTotal = 40;
inline constexpr size_t kLiveCurrent = 41;
inline constexpr size_t kLiveTemps = 42;
inline constexpr size_t kLiveTempCount = 3;
inline constexpr size_t kLiveAnalogs = 45;
inline constexpr size_t kLiveAnalogCount = 2;
inline constexpr size_t kLiveValueCount = 47;

// Decimals shown: cells 3, total and current 2, temperatures 1, analogue inputs 3.
constexpr int LiveDecimals(size_t field) {
  if (field < kLiveCells) return 3;
  if (field < kLiveTemps) return 2;
  return field < kLiveAnalogs ? 1 : 3;
}

// A field's text as shown ("3.412", "-12.50", "25.0") from its shown value.
std::string LiveFieldText(size_t field, double shown);

struct LiveReading {
  // Each value rounded as shown: the number its shown text reads as, so that
  // LiveFieldText gives that text back exactly.
  std::array<double, kLiveValueCount> shown{};
  std::array<uint16_t, kLiveValueCount> raw{};

  std::span<const double, kLiveCells> Cells() const { return std::span(shown).first<kLiveCells>(); }
  double Total() const { return shown[kLiveTotal]; }
  double Current() const { return shown[kLiveCurrent]; }
  std::span<const double, kLiveTempCount> Temps() const {
    return std::span(shown).subspan<kLiveTemps, kLiveTempCount>();
  }
  std::span<const double, kLiveAnalogCount> Analogs() const {
    return std::span(shown).subspan<kLiveAnalogs, kLiveAnalogCount>();
  }
  std::string Text(size_t field) const { return LiveFieldText(field, shown[field]); }
};

}  // namespace kx
