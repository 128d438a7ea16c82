#include "link/Alarms.h"

#include "link/CommandTable.h"
#include "link/Frame.h"
#include "link/Messages.h"

namespace kx {

namespace {

struct AlarmBit {
  int bit;
  const char* text;
};

// The read-out lists the under-voltage bit (8) first, then bits 7 down to 0.
constexpr AlarmBit kAlarmBits[] = {
    {8, "总电压欠压报警"}, {7, "总电压过压报警"}, {6, "总电流过流报警"},
    {5, "温度3低温报警"},  {4, "温度3高温报警"},  {3, "温度2低温报警"},
    {2, "温度2高温报警"},  {1, "温度1低温报警"},  {0, "温度1高温报警"},
};

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

const char* SetAlarmMessage(ExchangeOutcome outcome) {
  switch (outcome) {
    case ExchangeOutcome::Ok: return msg::kSetOk;
    case ExchangeOutcome::BadChecksum: return msg::kBadChecksum;
    default: return msg::kSetFailed;
  }
}

AlarmReading ReadAlarmWord(Port& port, int address) {
  const ExchangeResult r = Transact(port, address, Command::ReadAlarm, {});
  AlarmReading reading{r.outcome, 0, r.cause, r.count};
  if (r.outcome == ExchangeOutcome::Ok) reading.word = BigEndian16(r.reply, kFrameHeaderSize);
  return reading;
}

const char* ReadAlarmMessage(ExchangeOutcome outcome) {
  switch (outcome) {
    case ExchangeOutcome::Ok: return nullptr;
    case ExchangeOutcome::BadChecksum: return msg::kBadChecksum;
    default: return msg::kReadDataFailed;
  }
}

AlarmList DecodeAlarmWord(uint16_t word) {
  AlarmList list{word, {}};
  for (const AlarmBit& a : kAlarmBits) {
    if (word >> a.bit & 1) list.texts.push_back(a.text);
  }
  return list;
}

std::string AlarmReport(uint16_t word) {
  std::string text;
  for (const std::string& alarm : DecodeAlarmWord(word).texts) text += alarm + "\n";
  return text.empty() ? msg::kAlarmNormal : text;
}

}  // namespace kx
