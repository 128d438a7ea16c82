#pragma once
// The alarm registers: the device's alarm word and the five alarm settings (total
// voltage band, current threshold, three temperature bands), each with a switch.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/Exchange.h"
#include "link/Messages.h"
#include "link/Port.h"

namespace kx {

// Data bytes of the settings requests. A switched-off group sends all zeros,
// whatever its values, so that the device clears the alarm.
// Volts: enable, over (unsigned 16-bit), under (unsigned 16-bit), high bytes first.
std::array<uint8_t, 5> VoltAlarmData(bool on, long long overVolt, long long underVolt);
// Amperes: enable, threshold as 16-bit sign and magnitude (bit 15 = sign).
std::array<uint8_t, 3> CurrentAlarmData(bool on, long long overCurrent);
// Degrees: enable, upper, lower, each one byte of sign and magnitude (bit 7 = sign).
std::array<uint8_t, 3> TempAlarmData(bool on, long long upper, long long lower);

uint16_t EncodeSignMagnitude16(long long v);
uint8_t EncodeSignMagnitude8(long long v);

enum class AlarmSetting { Volt, Current, Temp1, Temp2, Temp3 };
// Commands 0x12..0x16 with their data.
ExchangeResult SetAlarm(Port& port, int address, AlarmSetting setting, std::span<const uint8_t> data);
// "设置成功!", "设置失败!" or "校验错!".
const char* SetAlarmMessage(ExchangeOutcome outcome);

struct AlarmReading {
  ExchangeOutcome outcome = ExchangeOutcome::WrongCount;
  uint16_t word = 0;  // reply bytes 7 and 8, high byte first (valid when Ok)
  LinkError cause = LinkError::None;
  ReplyCount count;
};
// Command 0x02: the word in reply bytes 7 and 8.
AlarmReading ReadAlarmWord(Port& port, int address);
// "读数据失败!" or "校验错!" for a failed read; nullptr for Ok.
const char* ReadAlarmMessage(ExchangeOutcome outcome);

// The alarm word and the texts of the bits set in it, in the read-out's order.
struct AlarmList {
  uint16_t word = 0;
  std::vector<std::string> texts;  // empty when no alarm bit (0..8) is set
};
AlarmList DecodeAlarmWord(uint16_t word);
// What the read-out shows: the texts, each ending in a line feed, or "报警正常!"
// when there are none.
std::string AlarmReport(uint16_t word);

}  // namespace kx
