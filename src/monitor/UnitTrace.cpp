#include "monitor/UnitTrace.h"

#include "link/Frame.h"
#include "texts/FrameText.h"

namespace kx::monitor {

namespace {
constexpr size_t kAddressByte = 3;  // 14 2E 00 address command …
}

UnitTrace::UnitTrace(const std::vector<UnitOption>& units, const std::vector<std::string>& paths) {
  for (size_t i = 0; i < units.size() && i < paths.size(); ++i)
    names_[{paths[i], units[i].address & 0xFF}] = units[i].name;
}

std::string UnitTrace::Line(const FrameEvent& frame) {
  const std::string port(frame.port);
  if (frame.sent && frame.bytes.size() > kAddressByte) lastAddress_[port] = frame.bytes[kAddressByte];
  std::string label = port;
  if (const auto last = lastAddress_.find(port); last != lastAddress_.end()) {
    if (const auto name = names_.find({port, last->second}); name != names_.end()) label = name->second;
  }
  return label + " " + FrameLine(frame);
}

}  // namespace kx::monitor
