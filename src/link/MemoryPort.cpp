#include "link/MemoryPort.h"

#include <algorithm>

namespace kx {

void MemoryPort::Feed(std::span<const uint8_t> bytes) { input_.insert(input_.end(), bytes.begin(), bytes.end()); }

void MemoryPort::QueueReply(std::vector<uint8_t> reply) { replies_.push_back(std::move(reply)); }

void MemoryPort::Purge() {
  ++purges_;
  lastError_ = LinkError::None;
  if (purgeDiscards_) input_.clear();
}

size_t MemoryPort::Write(const uint8_t* data, size_t n) {
  lastError_ = LinkError::None;
  const size_t room = writeLimit_ - std::min(writeLimit_, written_.size());
  const size_t accepted = std::min(n, room);
  written_.insert(written_.end(), data, data + accepted);
  writes_.emplace_back(data, data + accepted);
  if (accepted < n) {
    lastError_ = LinkError::Timeout;
    return accepted;
  }
  if (!replies_.empty()) {
    const std::vector<uint8_t> reply = std::move(replies_.front());
    replies_.pop_front();
    input_.insert(input_.end(), reply.begin(), reply.end());
  } else if (responder_) {
    const std::vector<uint8_t> reply = responder_(std::span<const uint8_t>(data, n));
    input_.insert(input_.end(), reply.begin(), reply.end());
  }
  return accepted;
}

size_t MemoryPort::Read(uint8_t* data, size_t n, int /*extraMs*/) {
  const size_t take = std::min(n, input_.size());
  std::copy_n(input_.begin(), take, data);
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(take));
  lastError_ = take == n ? LinkError::None : hangUpWhenDry_ ? LinkError::HungUp : LinkError::Timeout;
  return take;
}

size_t MemoryPort::WaitForBytes(size_t count, int /*timeoutMs*/) {
  const size_t wanted = count & 0xFFFF;
  lastError_ = input_.size() >= wanted ? LinkError::None
               : hangUpWhenDry_         ? LinkError::HungUp
                                        : LinkError::Timeout;
  return input_.size();
}

}  // namespace kx
