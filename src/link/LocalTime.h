#pragma once
// Time values as the technician reads them: local time, "2014-05-06 09:03:07".
// Header-only, so that every layer (curves and chart included) shares one format.

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

}  // namespace kx
