#pragma once
// The device's command set as data: what each request carries, how long the reply
// is, how it is awaited, whether the port is purged before the write and whether
// the reply's checksum is verified. Together with the limits below, this is the
// one place where the protocol's lengths, waits and limits are written; everything
// else reads them from here.
//
// Only constants and declarations: the curve layer uses the limits without
// linking the link library.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

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
  Wait,           // WaitForBytes(replyLength, wait), then read what was counted
  PauseThenRead,  // a kPauseMs pause (a deadline, not dead time), then read replyLength
  ReadAtOnce,     // read replyLength without pausing
};

struct CommandInfo {
  Command code;
  const char* name;       // short English name, for traces
  int requestDataLength;  // n of the request
  int replyLength;        // total reply length (for ReadGroup: the packet header)
  Await await;
  int waitMs;             // for Wait; 0 otherwise (Calibrate: by channel, see CalibrationWaitMs)
  bool purge;             // purge just before the write
  bool checksum;          // the reply's checksum is verified (otherwise only its length counts)
};

inline constexpr int kPauseMs = 50;

// The curve group download: every packet but the last carries kGroupPacketFull
// payload bytes, and no group image (of the device, a download or a file) is
// larger than kGroupImageCapacity.
inline constexpr size_t kGroupPacketFull = 900;
inline constexpr size_t kGroupImageCapacity = 50000;

// The rate a unit answers at until it is told another, and every front end's default.
inline constexpr int kDefaultBaud = 9600;
// The cell-voltage channels' full scale in volts: a raw count of 32768 is 17 V, in
// live readings and recorded groups alike.
inline constexpr uint32_t kCellFullScaleV = 17;

// The rates the device and the serial port take, in the order both baud lists show.
inline constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400};
constexpr bool IsBaudRate(long long rate) {
  for (int b : kBaudRates) {
    if (b == rate) return true;
  }
  return false;
}
// The rates as text: JoinBaudRates(", ", " or ") is "1200, 2400, …, 19200 or 38400".
std::string JoinBaudRates(std::string_view separator, std::string_view lastSeparator);

std::span<const CommandInfo> CommandTable();
// nullptr for codes the device does not use.
const CommandInfo* FindCommand(uint8_t code);
inline const CommandInfo& Info(Command c) { return *FindCommand(static_cast<uint8_t>(c)); }

// The calibration wait for a channel code: the cell-voltage channels 0x11..0x13
// take far longer than the others.
int CalibrationWaitMs(uint8_t channel);
// How long a Wait request with this data waits for its reply: the table's wait,
// or for a calibration the wait of the channel in its first data byte.
int ReplyWaitMs(const CommandInfo& info, std::span<const uint8_t> data);

}  // namespace kx
