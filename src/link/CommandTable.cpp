#include "link/CommandTable.h"

#include <array>

#include "link/Frame.h"

namespace kx {

namespace {

// The device's command set. For ReadGroup the reply length is the packet header; the
// payload length comes from it. Calibrate waits by channel (CalibrationWaitMs).
constexpr int kGroupHeader = static_cast<int>(kFrameHeaderSize);
constexpr std::array<CommandInfo, 19> kTable{{
    {Command::Acquire, "acquire", 0, 109, Await::Wait, 1000, true, true},
    {Command::ReadGear, "read-gear", 0, 10, Await::Wait, 1000, true, true},
    {Command::ReadAlarm, "read-alarm", 0, 11, Await::Wait, 1000, true, true},
    {Command::ReadVersion, "read-version", 0, 11, Await::Wait, 500, true, true},
    {Command::SetClock, "set-clock", 7, 10, Await::PauseThenRead, 0, false, false},
    {Command::QueryCurveCount, "curve-count", 0, 11, Await::PauseThenRead, 0, false, false},
    {Command::ReadGroup, "read-group", 2, kGroupHeader, Await::PauseThenRead, 0, false, false},
    {Command::ReadGroupDate, "group-date", 1, 16, Await::PauseThenRead, 0, false, false},
    {Command::ReadClock, "read-clock", 0, 16, Await::Wait, 1000, true, true},
    {Command::ClearCurves, "clear-curves", 0, 10, Await::ReadAtOnce, 0, true, false},
    {Command::SetAddress, "set-address", 1, 10, Await::Wait, 1000, true, true},
    {Command::SetBaud, "set-baud", 2, 11, Await::Wait, 1000, true, true},
    {Command::SetVoltAlarm, "set-volt-alarm", 5, 10, Await::Wait, 500, true, true},
    {Command::SetCurrentAlarm, "set-current-alarm", 3, 10, Await::Wait, 500, true, true},
    {Command::SetTemp1Alarm, "set-temp1-alarm", 3, 10, Await::Wait, 500, true, true},
    {Command::SetTemp2Alarm, "set-temp2-alarm", 3, 10, Await::Wait, 500, true, true},
    {Command::SetTemp3Alarm, "set-temp3-alarm", 3, 10, Await::Wait, 500, true, true},
    {Command::SetGear, "set-gear", 1, 10, Await::Wait, 1000, true, true},
    // Written at once: the port was purged when it was opened.
    {Command::Calibrate, "calibrate", 2, 11, Await::Wait, 0, false, true},
}};

}  // namespace

std::string JoinBaudRates(std::string_view separator, std::string_view lastSeparator) {
  std::string text;
  const size_t count = std::size(kBaudRates);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? lastSeparator : separator;
    text += std::to_string(kBaudRates[i]);
  }
  return text;
}

std::span<const CommandInfo> CommandTable() { return kTable; }

const CommandInfo* FindCommand(uint8_t code) {
  for (const CommandInfo& info : kTable) {
    if (static_cast<uint8_t>(info.code) == code) return &info;
  }
  return nullptr;
}

int CalibrationWaitMs(uint8_t channel) {
  return channel == 0x11 || channel == 0x12 || channel == 0x13 ? 30000 : 5000;
}

int ReplyWaitMs(const CommandInfo& info, std::span<const uint8_t> data) {
  if (info.code == Command::Calibrate && !data.empty()) return CalibrationWaitMs(data[0]);
  return info.waitMs;
}

}  // namespace kx
