#pragma once
// The alarm registers: the device's alarm word and the five alarm settings (total
// voltage band, current threshold, three temperature bands), each with a switch.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/Exchange.h"
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

struct AlarmReading {
  ExchangeOutcome outcome = ExchangeOutcome::WrongCount;
  uint16_t word = 0;  // reply bytes 7 and 8, high byte first (valid when Ok)
  LinkError cause = LinkError::None;
  ReplyCount count;
};
// Command 0x02: the word in reply bytes 7 and 8.
AlarmReading ReadAlarmWord(Port& port, int address);

// The alarm bits (0..8) of the word, in the order the read-out lists them: the
// total voltage's under-voltage bit 8 first, then bits 7 down to 0.
inline constexpr int kAlarmReadOutOrder[] = {8, 7, 6, 5, 4, 3, 2, 1, 0};
// The bits set in word, in that order.
std::vector<int> AlarmBitsSet(uint16_t word);

}  // namespace kx
