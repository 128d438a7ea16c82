#include "link/Exchange.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <utility>

#include "link/Frame.h"

namespace kx {

namespace {

std::mutex g_tracerMutex;
FrameTracer g_tracer;
std::atomic<double> g_waitScale{1.0};

// Writes the whole request; false (with the port's cause) when it did not all go out.
bool WriteRequest(Port& port, const std::vector<uint8_t>& request, ExchangeResult& result) {
  const size_t written = port.Write(request.data(), request.size());
  TraceFrame(true, std::span<const uint8_t>(request.data(), written));
  if (written != request.size()) {
    result.outcome = ExchangeOutcome::WriteFailed;
    result.cause = port.LastError();
    return false;
  }
  return true;
}

// Reads count bytes into result.reply; false (ShortRead) when fewer arrived.
bool ReadReply(Port& port, size_t count, int extraMs, ExchangeResult& result) {
  result.reply.assign(count, 0);
  const size_t got = count == 0 ? 0 : port.Read(result.reply.data(), count, extraMs);
  result.reply.resize(got);
  result.count.received = got;
  if (got != 0) TraceFrame(false, result.reply);
  if (got != count) {
    result.outcome = ExchangeOutcome::ShortRead;
    result.cause = port.LastError();
    return false;
  }
  return true;
}

// Waits for the reply; false (WrongCount) when the queued count is not acceptable.
bool AwaitCount(Port& port, size_t length, int waitMs, size_t maxQueued, size_t& queued, ExchangeResult& result) {
  queued = port.WaitForBytes(length, ScaledWait(waitMs));
  result.count.received = queued;
  const bool countOk = maxQueued == 0 ? queued == length : queued >= length && queued <= maxQueued;
  if (!countOk) {
    result.outcome = ExchangeOutcome::WrongCount;
    // --trace shows what did come, though it is not taken (it stays queued).
    if (queued != 0) {
      std::vector<uint8_t> seen(queued);
      seen.resize(port.Peek(seen.data(), seen.size()));
      if (!seen.empty()) TraceFrame(false, seen);
    }

    result.cause = port.LastError() != LinkError::None ? port.LastError() : LinkError::Timeout;
  }
  return countOk;
}

}  // namespace

void SetFrameTracer(FrameTracer tracer) {
  std::lock_guard lock(g_tracerMutex);
  g_tracer = std::move(tracer);
}

void TraceFrame(bool sent, std::span<const uint8_t> bytes) {
  std::lock_guard lock(g_tracerMutex);
  if (g_tracer) g_tracer(sent, bytes);
}

void SetWaitScale(double scale) { g_waitScale.store(scale > 0 ? scale : 0.0); }

int ScaledWait(int ms) {
  if (ms <= 0) return 0;
  const long scaled = std::lround(ms * g_waitScale.load());
  return static_cast<int>(std::max<long>(scaled, std::min(ms, kMinScaledWaitMs)));
}

ExchangeResult Transact(Port& port, int address, Command command, std::span<const uint8_t> data,
                        TransactOptions options) {
  const CommandInfo& info = Info(command);
  const size_t length = static_cast<size_t>(info.replyLength);
  ExchangeResult result;
  result.count.expected = length;
  if (info.purge) port.Purge();
  if (!WriteRequest(port, RequestFrame(address, static_cast<uint8_t>(command), data), result)) return result;

  switch (info.await) {
    case Await::Wait: {
      size_t queued = 0;
      const int waitMs = options.waitMs.value_or(ReplyWaitMs(info, data));
      if (!AwaitCount(port, length, waitMs, options.maxQueued, queued, result)) return result;
      if (!ReadReply(port, queued, 0, result)) return result;
      break;
    }
    case Await::PauseThenRead:
      // A prompt reply is taken at once; a late one still gets the pause plus the
      // read time-outs.
      if (!ReadReply(port, length, ScaledWait(kPauseMs), result)) return result;
      break;
    case Await::ReadAtOnce:
      if (!ReadReply(port, length, 0, result)) return result;
      break;
  }
  if ((info.checksum || options.verifyChecksum) && !ReplyChecksumOk(std::span<const uint8_t>(result.reply.data(), length))) {
    result.outcome = ExchangeOutcome::BadChecksum;
    return result;
  }
  result.outcome = ExchangeOutcome::Ok;
  return result;
}

}  // namespace kx
