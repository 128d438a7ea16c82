#pragma once
// The monitor's --trace: every frame's line, led by the name of the unit it was
// for, so that the lines of several ports and addresses can be told apart.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "link/FrameTrace.h"
#include "monitor/UnitOption.h"

namespace kx::monitor {

class UnitTrace {
 public:
  // paths[i] is the device path units[i] is read on.
  UnitTrace(const std::vector<UnitOption>& units, const std::vector<std::string>& paths);

  // "room2 13:05:39.123 TX 14 2E 00 …". A reply is the unit's whose request last
  // went out on the same port; a frame on no known unit is led by its port.
  std::string Line(const FrameEvent& frame);

 private:
  std::map<std::pair<std::string, int>, std::string> names_;  // (path, address) → name
  std::map<std::string, int, std::less<>> lastAddress_;        // path → address last sent to
};

}  // namespace kx::monitor
