#pragma once
// A Port in memory, for tests and fuzzing: the "device" side is a byte script.
//
// Input comes from three sources: bytes fed up front (a plain stream, as the fuzz
// targets use it), replies queued in order and each released by the next write,
// and a responder called on every write that found no queued reply (how a
// VirtualDevice is put behind it). Every write is recorded. Nothing here sleeps:
// waits and reads return at once with what is there, as if their deadline passed.

#include <cstdint>
#include <algorithm>
#include <deque>
#include <functional>
#include <span>
#include <vector>

#include "link/Port.h"

namespace kx {

class MemoryPort final : public Port {
 public:
  using Responder = std::function<std::vector<uint8_t>(std::span<const uint8_t> written)>;

  // Bytes that are there to read at once.
  void Feed(std::span<const uint8_t> bytes);
  // A reply that the next write releases (first queued, first released).
  void QueueReply(std::vector<uint8_t> reply);
  // Called with each write that released no queued reply; what it returns becomes input.
  void SetResponder(Responder responder) { responder_ = std::move(responder); }
  // When false, Purge keeps the input (a fuzz stream survives the exchange's purge).
  void SetPurgeDiscards(bool discards) { purgeDiscards_ = discards; }
  // Once the input runs dry, report a hang-up instead of a time-out.
  void SetHangUpWhenDry(bool hangUp) { hangUpWhenDry_ = hangUp; }
  // Accept at most this many bytes in all; later writes fall short with Timeout.
  void SetWriteLimit(size_t limit) { writeLimit_ = limit; }

  // Everything written, joined, and each write on its own.
  const std::vector<uint8_t>& Written() const { return written_; }
  const std::vector<std::vector<uint8_t>>& Writes() const { return writes_; }
  size_t PurgeCount() const { return purges_; }
  // Input not yet read.
  size_t Pending() const { return input_.size(); }

  void Purge() override;
  size_t Write(const uint8_t* data, size_t n) override;
  size_t Read(uint8_t* data, size_t n, int extraMs = 0) override;
  size_t WaitForBytes(size_t count, int timeoutMs) override;
  size_t Queued() override { return input_.size(); }
  size_t Peek(uint8_t* data, size_t n) const override {
    const size_t k = std::min(n, input_.size());
    std::copy_n(input_.begin(), k, data);
    return k;
  }
  LinkError LastError() const override { return lastError_; }

 private:
  std::deque<uint8_t> input_;
  std::deque<std::vector<uint8_t>> replies_;
  Responder responder_;
  std::vector<uint8_t> written_;
  std::vector<std::vector<uint8_t>> writes_;
  size_t purges_ = 0;
  size_t writeLimit_ = SIZE_MAX;
  bool purgeDiscards_ = true;
  bool hangUpWhenDry_ = false;
  LinkError lastError_ = LinkError::None;
};

}  // namespace kx
