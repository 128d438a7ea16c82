#pragma once
// One request/reply exchange on an open port, as every device operation does it:
// Transact takes the reply length, the wait, the purge, the way the reply is
// awaited and the checksum check from the command table. The outcome tells which
// of the operation's messages applies; the caller maps it to its own text.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "link/CommandTable.h"
#include "link/FrameTrace.h"
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
  ReplyCount count;
};

// Observer of every frame sent and received (the command line's --trace, the
// panel's protocol view), called on the thread that exchanges. nullptr for none;
// once SetFrameTracer returns, the previous tracer is no longer being called.
using FrameTracer = std::function<void(const FrameEvent& frame)>;
void SetFrameTracer(FrameTracer tracer);
// True while a tracer is set: without one, a frame costs an atomic load.
bool FrameTracing();
// Stamps the frame with the time and hands it to the tracer, if any.
void TraceFrame(FrameEvent frame);
// The verdict on a reply that was not taken for its length: nothing within the
// wait, a port failure (cause other than a time-out), or a wrong length.
FrameVerdict FailedReplyVerdict(size_t received, LinkError cause);
// Writes a request frame and traces it; true when it all went out (otherwise the
// port's LastError says why).
bool WriteRequestFrame(Port& port, uint8_t command, std::span<const uint8_t> request);
// Traces a reply to command on port: the bytes taken or seen, the length it should have had.
void TraceReply(const Port& port, uint8_t command, std::span<const uint8_t> bytes, size_t expected, FrameVerdict verdict,
                LinkError cause = LinkError::None, const char* note = nullptr);

// What varies from one call of a command to the next; the rest is the table's.
struct TransactOptions {
  // Wait: wait this long instead of the table's wait (probing at a known baud rate).
  std::optional<int> waitMs = std::nullopt;
  // Wait: accept a queued count from the reply length up to this many and read it
  // all; the checksum covers the first reply-length bytes (acquisition, whose
  // trailing noise is read and ignored). 0: exactly the reply length.
  size_t maxQueued = 0;
  // Verify the reply's checksum even where the table takes the reply on its length
  // (the command line never takes a corrupt reply).
  bool verifyChecksum = false;
};

// Purge if the table says so, write the request built from address, command and
// data, await the reply the table's way, and verify its checksum if the table says so.
//   Wait:          WaitForBytes(length, wait); the queued count must be the length
//                  (or within maxQueued); read what was counted; bytes after it stay queued.
//   PauseThenRead: read length with the kPauseMs pause folded into the deadline.
//   ReadAtOnce:    read length without pausing.
ExchangeResult Transact(Port& port, int address, Command command, std::span<const uint8_t> data,
                        TransactOptions options = {});

// A wait of ms multiplied by a port's wait scale (Port::SetWaitScale; 1 in the
// programs), but never below kMinScaledWaitMs (or the wait itself when shorter),
// so that a reply that does come always has room on a slow, loaded machine.
inline constexpr int kMinScaledWaitMs = 200;
int ScaledWait(int ms, double scale);
inline int ScaledWait(const Port& port, int ms) { return ScaledWait(ms, port.WaitScale()); }

}  // namespace kx
