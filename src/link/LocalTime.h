#pragma once
// Time values as the technician reads them: local time, "2014-05-06 09:03:07".
// Header-only, so that every layer (curves and chart included) shares one format.

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace kx {

inline std::string FormatLocalTime(std::time_t t) {
  std::tm local{};
  char text[32];
  if (localtime_r(&t, &local) == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0)
    return {};
  return text;
}

// Local time to the millisecond, as the live CSV has it: "2014-05-06 09:03:07.250".
inline std::string FormatLocalTimeMs(std::time_t t, int ms) {
  char text[8];
  std::snprintf(text, sizeof text, ".%03d", ms);
  return FormatLocalTime(t) + text;
}

// The PC's local time now to the millisecond.
inline std::string LocalTimeNowMs() {
  const auto now = std::chrono::system_clock::now();
  const long long ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return FormatLocalTimeMs(std::chrono::system_clock::to_time_t(now), static_cast<int>(ms));
}

}  // namespace kx
