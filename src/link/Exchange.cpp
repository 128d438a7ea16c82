#include "link/Exchange.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <utility>

#include "link/Frame.h"

namespace kx {

namespace {

std::mutex g_tracerMutex;  // held while the tracer runs, so that replacing it waits for the call
FrameTracer g_tracer;
std::atomic<bool> g_tracing{false};

// Writes the whole request; false (with the port's cause) when it did not all go out.
bool WriteRequest(Port& port, uint8_t command, const std::vector<uint8_t>& request, ExchangeResult& result) {
  if (WriteRequestFrame(port, command, request)) return true;
  result.outcome = ExchangeOutcome::WriteFailed;
  result.cause = port.LastError();
  return false;
}

// Reads count bytes into result.reply; false (ShortRead) when fewer arrived.
bool ReadReply(Port& port, uint8_t command, size_t count, int extraMs, ExchangeResult& result) {
  result.reply.assign(count, 0);
  const size_t got = count == 0 ? 0 : port.Read(result.reply.data(), count, extraMs);
  result.reply.resize(got);
  result.count.received = got;
  if (got != count) {
    result.outcome = ExchangeOutcome::ShortRead;
    result.cause = port.LastError();
    TraceReply(port, command, result.reply, count, FailedReplyVerdict(got, result.cause), result.cause);
    return false;
  }
  return true;
}

// Waits for the reply; false (WrongCount) when the queued count is not acceptable.
bool AwaitCount(Port& port, uint8_t command, size_t length, int waitMs, size_t maxQueued, size_t& queued,
                ExchangeResult& result) {
  queued = port.WaitForBytes(length, ScaledWait(port, waitMs));
  result.count.received = queued;
  const bool countOk = maxQueued == 0 ? queued == length : queued >= length && queued <= maxQueued;
  if (!countOk) {
    result.outcome = ExchangeOutcome::WrongCount;
    result.cause = port.LastError() != LinkError::None ? port.LastError() : LinkError::Timeout;
    if (FrameTracing()) {
      // The trace shows what did come, though it is not taken (it stays queued).
      std::vector<uint8_t> seen(queued);
      seen.resize(port.Peek(seen.data(), seen.size()));
      TraceFrame({.sent = false,
                  .command = command,
                  .verdict = FailedReplyVerdict(queued, result.cause),
                  .bytes = seen,
                  .count = queued,
                  .expected = length,
                  .cause = result.cause,
                  .note = queued != 0 ? "not taken" : nullptr,
                  .port = port.Name()});
    }
  }
  return countOk;
}

}  // namespace

void SetFrameTracer(FrameTracer tracer) {
  std::lock_guard lock(g_tracerMutex);
  g_tracing.store(static_cast<bool>(tracer), std::memory_order_release);
  g_tracer = std::move(tracer);
}

bool FrameTracing() { return g_tracing.load(std::memory_order_acquire); }

void TraceFrame(FrameEvent frame) {
  if (!FrameTracing()) return;
  frame.timeMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::system_clock::now().time_since_epoch())
                     .count();
  std::lock_guard lock(g_tracerMutex);
  if (g_tracer) g_tracer(frame);
}

FrameVerdict FailedReplyVerdict(size_t received, LinkError cause) {
  if (cause != LinkError::None && cause != LinkError::Timeout) return FrameVerdict::PortError;
  return received == 0 ? FrameVerdict::NoReply : FrameVerdict::WrongLength;
}

bool WriteRequestFrame(Port& port, uint8_t command, std::span<const uint8_t> request) {
  const size_t written = port.Write(request.data(), request.size());
  const bool whole = written == request.size();
  if (FrameTracing()) {
    TraceFrame({.sent = true,
                .command = command,
                .verdict = whole ? FrameVerdict::Sent : FrameVerdict::WriteFailed,
                .bytes = request.first(written),
                .count = written,
                .expected = request.size(),
                .cause = whole ? LinkError::None : port.LastError(),
                .note = nullptr,
                .port = port.Name()});
  }
  return whole;
}

void TraceReply(const Port& port, uint8_t command, std::span<const uint8_t> bytes, size_t expected,
                FrameVerdict verdict, LinkError cause, const char* note) {
  if (!FrameTracing()) return;
  TraceFrame({.sent = false,
              .command = command,
              .verdict = verdict,
              .bytes = bytes,
              .count = bytes.size(),
              .expected = expected,
              .cause = cause,
              .note = note,
              .port = port.Name()});
}

int ScaledWait(int ms, double scale) {
  if (ms <= 0) return 0;
  const long scaled = std::lround(ms * scale);
  return static_cast<int>(std::max<long>(scaled, std::min(ms, kMinScaledWaitMs)));
}

ExchangeResult Transact(Port& port, int address, Command command, std::span<const uint8_t> data,
                        TransactOptions options) {
  const CommandInfo& info = Info(command);
  const auto code = static_cast<uint8_t>(command);
  const size_t length = static_cast<size_t>(info.replyLength);
  ExchangeResult result;
  result.count.expected = length;
  if (info.purge) port.Purge();
  if (!WriteRequest(port, code, RequestFrame(address, code, data), result)) return result;

  switch (info.await) {
    case Await::Wait: {
      size_t queued = 0;
      const int waitMs = options.waitMs.value_or(ReplyWaitMs(info, data));
      if (!AwaitCount(port, code, length, waitMs, options.maxQueued, queued, result)) return result;
      if (!ReadReply(port, code, queued, 0, result)) return result;
      break;
    }
    case Await::PauseThenRead:
      // A prompt reply is taken at once; a late one still gets the pause plus the
      // read time-outs.
      if (!ReadReply(port, code, length, ScaledWait(port, kPauseMs), result)) return result;
      break;
    case Await::ReadAtOnce:
      if (!ReadReply(port, code, length, 0, result)) return result;
      break;
  }
  const bool checked = info.checksum || options.verifyChecksum;
  if (checked && !ReplyChecksumOk(std::span<const uint8_t>(result.reply.data(), length))) {
    result.outcome = ExchangeOutcome::BadChecksum;
    TraceReply(port, code, result.reply, length, FrameVerdict::BadChecksum);
    return result;
  }
  result.outcome = ExchangeOutcome::Ok;
  TraceReply(port, code, result.reply, length, checked ? FrameVerdict::Accepted : FrameVerdict::AcceptedUnchecked);
  return result;
}

}  // namespace kx
