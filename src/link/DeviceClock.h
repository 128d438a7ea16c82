#pragma once
// The device clock: set it from a local calendar time (command 0x04) and read it
// back (command 0x0A). Date-times travel as seven BCD bytes in local time.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "link/Frame.h"
#include "link/Port.h"

namespace kx {

// The 16-byte set-clock request for the local calendar fields of local.
std::vector<uint8_t> SetClockFrame(int address, const std::tm& local);

enum class SetClockOutcome {
  Ok,        // acknowledged with 0xFF
  NoReply,   // the acknowledge came back short (or the request did not go out)
  Refused,   // a reply whose acknowledge byte is not 0xFF
  BadChecksum,  // only when asked to verify it
};

struct SetClockResult {
  SetClockOutcome outcome = SetClockOutcome::NoReply;
  LinkError cause = LinkError::None;  // the port's cause for NoReply
  ReplyCount count;
  std::vector<uint8_t> reply;
};

// Writes the frame (no purge: the port was purged when opened), then reads the
// acknowledge with the pause folded into the read's deadline. Only the count and
// byte 7 are examined, and the checksum when verifyChecksum.
SetClockResult SetDeviceClock(Port& port, int address, const std::tm& local, bool verifyChecksum = false);

enum class ReadClockOutcome {
  Ok,
  WrongCount,   // not exactly the reply's length queued, or fewer read ("读取时间!")
  BadChecksum,  // "校验错!"
};

struct ReadClockResult {
  ReadClockOutcome outcome = ReadClockOutcome::WrongCount;
  BcdDateTime time;  // valid when Ok
  LinkError cause = LinkError::None;
  ReplyCount count;
  std::vector<uint8_t> reply;
};

// The table's wait exchange, then the time decoded.
ReadClockResult ReadDeviceClock(Port& port, int address);


}  // namespace kx
