#include "link/Exchange.h"

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
  if (got != 0) TraceFrame(false, result.reply);
  if (got != count) {
    result.outcome = ExchangeOutcome::ShortRead;
    result.cause = port.LastError();
    return false;
  }
  return true;
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
  return scaled < 1 ? 1 : static_cast<int>(scaled);  // a wait never becomes "do not wait"
}

ExchangeResult ExchangeWait(Port& port, const std::vector<uint8_t>& request, size_t replyLength,
                            int waitMs, ExchangeOptions options) {
  ExchangeResult result;
  if (options.purge) port.Purge();
  if (!WriteRequest(port, request, result)) return result;

  const size_t queued = port.WaitForBytes(replyLength, ScaledWait(waitMs));
  const bool countOk = options.exactCount
                           ? queued == replyLength
                           : queued >= replyLength && (options.maxCount == 0 || queued <= options.maxCount);
  if (!countOk) {
    result.outcome = ExchangeOutcome::WrongCount;
    result.cause = port.LastError() != LinkError::None ? port.LastError() : LinkError::Timeout;
    return result;
  }
  // The usual exchange reads exactly what the wait counted; bytes after it stay queued.
  if (!ReadReply(port, queued, 0, result)) return result;

  if (options.checkChecksum &&
      !ReplyChecksumOk(std::span<const uint8_t>(result.reply.data(), replyLength))) {
    result.outcome = ExchangeOutcome::BadChecksum;
    return result;
  }
  result.outcome = ExchangeOutcome::Ok;
  return result;
}

ExchangeResult ExchangePauseRead(Port& port, const std::vector<uint8_t>& request, size_t replyLength,
                                 bool purge) {
  ExchangeResult result;
  if (purge) port.Purge();
  if (!WriteRequest(port, request, result)) return result;
  // The 50 ms pause is folded into the read's deadline: a prompt reply is taken at
  // once, a late one still gets the pause plus the read time-outs.
  if (!ReadReply(port, replyLength, ScaledWait(kPauseMs), result)) return result;
  result.outcome = ExchangeOutcome::Ok;
  return result;
}

ExchangeResult ExchangeReadAtOnce(Port& port, const std::vector<uint8_t>& request, size_t replyLength) {
  ExchangeResult result;
  port.Purge();
  if (!WriteRequest(port, request, result)) return result;
  if (!ReadReply(port, replyLength, 0, result)) return result;
  result.outcome = ExchangeOutcome::Ok;
  return result;
}

}  // namespace kx
