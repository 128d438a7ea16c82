#include "link/LineSpeed.h"

#include <iterator>

#include "link/CommandTable.h"

namespace kx {

namespace {

// termios's constant for each of kBaudRates, in the same order.
constexpr speed_t kSpeeds[] = {B1200, B2400, B4800, B9600, B19200, B38400};
static_assert(std::size(kSpeeds) == std::size(kBaudRates));

}  // namespace

std::optional<speed_t> SpeedOfBaud(int baud) {
  for (size_t i = 0; i < std::size(kBaudRates); ++i) {
    if (kBaudRates[i] == baud) return kSpeeds[i];
  }
  return std::nullopt;
}

int BaudOfSpeed(speed_t speed) {
  for (size_t i = 0; i < std::size(kSpeeds); ++i) {
    if (kSpeeds[i] == speed) return kBaudRates[i];
  }
  return 0;
}

}  // namespace kx
