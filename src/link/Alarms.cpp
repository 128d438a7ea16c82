#include "link/Alarms.h"

#include "link/CommandTable.h"
#include "link/Frame.h"

namespace kx {

namespace {

Command CommandOf(AlarmSetting setting) {
  switch (setting) {
    case AlarmSetting::Volt: return Command::SetVoltAlarm;
    case AlarmSetting::Current: return Command::SetCurrentAlarm;
    case AlarmSetting::Temp1: return Command::SetTemp1Alarm;
    case AlarmSetting::Temp2: return Command::SetTemp2Alarm;
    case AlarmSetting::Temp3: break;
  }
  return Command::SetTemp3Alarm;
}

}  // namespace

uint16_t EncodeSignMagnitude16(long long v) {
  if (v >= 0) return static_cast<uint16_t>((v / 256 % 256) << 8 | v % 256);
  const unsigned long long m = 0ULL - static_cast<unsigned long long>(v);
  return static_cast<uint16_t>(((m / 256 + 0x80) % 256) << 8 | m % 256);
}

uint8_t EncodeSignMagnitude8(long long v) {
  if (v >= 0) return static_cast<uint8_t>(v % 256);
  return static_cast<uint8_t>((0x80ULL - static_cast<unsigned long long>(v)) % 256);
}

std::array<uint8_t, 5> VoltAlarmData(bool on, long long overVolt, long long underVolt) {
  if (!on) return {};
  // The quotient truncates toward zero; each byte keeps the low 8 bits.
  auto high = [](long long v) { return static_cast<uint8_t>(v / 256); };
  auto low = [](long long v) { return static_cast<uint8_t>(v); };
  return {1, high(overVolt), low(overVolt), high(underVolt), low(underVolt)};
}

std::array<uint8_t, 3> CurrentAlarmData(bool on, long long overCurrent) {
  if (!on) return {};
  const uint16_t v = EncodeSignMagnitude16(overCurrent);
  return {1, static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v & 0xFF)};
}

std::array<uint8_t, 3> TempAlarmData(bool on, long long upper, long long lower) {
  if (!on) return {};
  return {1, EncodeSignMagnitude8(upper), EncodeSignMagnitude8(lower)};
}

ExchangeResult SetAlarm(Port& port, int address, AlarmSetting setting, std::span<const uint8_t> data) {
  return Transact(port, address, CommandOf(setting), data);
}

AlarmReading ReadAlarmWord(Port& port, int address) {
  const ExchangeResult r = Transact(port, address, Command::ReadAlarm, {});
  AlarmReading reading{r.outcome, 0, r.cause, r.count};
  if (r.outcome == ExchangeOutcome::Ok) reading.word = BigEndian16(r.reply, kFrameHeaderSize);
  return reading;
}

std::vector<int> AlarmBitsSet(uint16_t word) {
  std::vector<int> bits;
  for (int bit : kAlarmReadOutOrder) {
    if (word >> bit & 1) bits.push_back(bit);
  }
  return bits;
}

}  // namespace kx
