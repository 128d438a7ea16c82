#pragma once
// The device's command set as data: what each request carries, how long the reply
// is, how it is awaited and whether the port is purged before the write.

#include <cstdint>
#include <optional>
#include <span>

namespace kx {

enum class Command : uint8_t {
  Acquire = 0x00,
  ReadGear = 0x01,
  ReadAlarm = 0x02,
  ReadVersion = 0x03,
  SetClock = 0x04,
  QueryCurveCount = 0x07,
  ReadGroup = 0x08,
  ReadGroupDate = 0x09,
  ReadClock = 0x0A,
  ClearCurves = 0x0B,
  SetAddress = 0x10,
  SetBaud = 0x11,
  SetVoltAlarm = 0x12,
  SetCurrentAlarm = 0x13,
  SetTemp1Alarm = 0x14,
  SetTemp2Alarm = 0x15,
  SetTemp3Alarm = 0x16,
  SetGear = 0x20,
  Calibrate = 0x21,
};

enum class Await {
  Wait,           // WaitForBytes(replyLength, waitMs), then read
  PauseThenRead,  // 50 ms pause (a deadline, not dead time), then read replyLength
  ReadAtOnce,     // read replyLength without pausing
};

struct CommandInfo {
  Command code;
  const char* name;       // short English name, for traces
  int requestDataLength;  // n of the request
  int replyLength;        // total reply length (for ReadGroup: the packet header, 7)
  Await await;
  int waitMs;             // for Wait; 0 otherwise (calibration: the longest of its waits)
  bool purge;             // purge just before the write
};

inline constexpr int kPauseMs = 50;

std::span<const CommandInfo> CommandTable();
// nullptr for codes the device does not use.
const CommandInfo* FindCommand(uint8_t code);
inline const CommandInfo& Info(Command c) { return *FindCommand(static_cast<uint8_t>(c)); }

// The calibration wait for a channel code: 30000 ms for the cell-voltage channels
// 0x11..0x13, 5000 ms for the others.
int CalibrationWaitMs(uint8_t channel);

}  // namespace kx
