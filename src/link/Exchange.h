#pragma once
// One request/reply exchange on an open port, as every device operation does it.
// The outcome tells which of the operation's messages applies; the caller maps it
// to its own text.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/CommandTable.h"
#include "link/Port.h"

namespace kx {

enum class ExchangeOutcome {
  Ok,
  WrongCount,   // the wait found a queued count other than the one expected ("A" message)
  ShortRead,    // the read delivered fewer bytes than requested ("B" message)
  BadChecksum,  // "校验错!"
  WriteFailed,  // the request could not be written (hang-up, time-out)
};

struct ExchangeResult {
  ExchangeOutcome outcome = ExchangeOutcome::ShortRead;
  std::vector<uint8_t> reply;  // what was read (complete only when outcome is Ok)
  LinkError cause = LinkError::None;  // the port's cause when a transfer failed
};

// Observer of every frame sent and received (the command line's --trace).
// sent = true for requests. Not owned; nullptr for none.
using FrameTracer = std::function<void(bool sent, std::span<const uint8_t> bytes)>;
void SetFrameTracer(FrameTracer tracer);
void TraceFrame(bool sent, std::span<const uint8_t> bytes);

struct ExchangeOptions {
  bool purge = true;            // purge before the write
  bool checkChecksum = true;    // verify the reply's checksum
  bool exactCount = true;       // Wait: the queued count must equal the reply length
  // With exactCount false: the largest queued count accepted (0: no limit). The whole
  // queued count is read; the checksum covers the first replyLength bytes (acquisition).
  size_t maxCount = 0;
};

// Wait exchange: purge (optional), write, WaitForBytes(replyLength, waitMs); the
// queued count must equal replyLength exactly; read it; check the checksum.
ExchangeResult ExchangeWait(Port& port, const std::vector<uint8_t>& request, size_t replyLength,
                            int waitMs, ExchangeOptions options = {});

// Pause-then-read exchange: write, then read replyLength with the 50 ms pause as
// part of the deadline. Only the count is checked (ShortRead when short).
ExchangeResult ExchangePauseRead(Port& port, const std::vector<uint8_t>& request, size_t replyLength,
                                 bool purge = false);

// Read-at-once exchange: purge, write, read replyLength. Only the count is checked.
ExchangeResult ExchangeReadAtOnce(Port& port, const std::vector<uint8_t>& request, size_t replyLength);

// A time-out scale for tests: every wait and pause is multiplied by it (1 in the program).
void SetWaitScale(double scale);
int ScaledWait(int ms);

}  // namespace kx
