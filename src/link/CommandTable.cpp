#include "link/CommandTable.h"

#include <array>

namespace kx {

namespace {

// The device's command set. For ReadGroup the reply length is the packet header; the
// payload length comes from it. Calibrate's wait is the longest of its channels.
constexpr std::array<CommandInfo, 19> kTable{{
    {Command::Acquire, "acquire", 0, 109, Await::Wait, 1000, true},
    {Command::ReadGear, "read-gear", 0, 10, Await::Wait, 1000, true},
    {Command::ReadAlarm, "read-alarm", 0, 11, Await::Wait, 1000, true},
    {Command::ReadVersion, "read-version", 0, 11, Await::Wait, 500, true},
    {Command::SetClock, "set-clock", 7, 10, Await::PauseThenRead, 0, false},
    {Command::QueryCurveCount, "curve-count", 0, 11, Await::PauseThenRead, 0, false},
    {Command::ReadGroup, "read-group", 2, 7, Await::PauseThenRead, 0, false},
    {Command::ReadGroupDate, "group-date", 1, 16, Await::PauseThenRead, 0, false},
    {Command::ReadClock, "read-clock", 0, 16, Await::Wait, 1000, true},
    {Command::ClearCurves, "clear-curves", 0, 10, Await::ReadAtOnce, 0, true},
    {Command::SetAddress, "set-address", 1, 10, Await::Wait, 1000, true},
    {Command::SetBaud, "set-baud", 2, 11, Await::Wait, 1000, true},
    {Command::SetVoltAlarm, "set-volt-alarm", 5, 10, Await::Wait, 500, true},
    {Command::SetCurrentAlarm, "set-current-alarm", 3, 10, Await::Wait, 500, true},
    {Command::SetTemp1Alarm, "set-temp1-alarm", 3, 10, Await::Wait, 500, true},
    {Command::SetTemp2Alarm, "set-temp2-alarm", 3, 10, Await::Wait, 500, true},
    {Command::SetTemp3Alarm, "set-temp3-alarm", 3, 10, Await::Wait, 500, true},
    {Command::SetGear, "set-gear", 1, 10, Await::Wait, 1000, true},
    {Command::Calibrate, "calibrate", 2, 11, Await::Wait, 30000, false},
}};

}  // namespace

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

}  // namespace kx
