#include "link/LineDrain.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace kx {

size_t DrainLine(Port& port, int quietMs, int limitMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(0, limitMs));
  uint8_t scratch[256];
  size_t dropped = 0;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    const auto wait = static_cast<int>(std::min<long long>(std::max(0, quietMs), left));
    const size_t queued = port.WaitForBytes(1, wait);
    if (queued == 0) break;  // quiet long enough, out of time, or the port is gone
    const size_t got = port.Read(scratch, std::min(queued, sizeof scratch));
    if (got == 0) break;
    dropped += got;
  }
  return dropped;
}

}  // namespace kx
