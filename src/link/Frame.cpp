#include "link/Frame.h"

namespace kx {

uint16_t FrameChecksum(const uint8_t* frame, size_t length) {
  uint16_t sum = 0;
  for (size_t i = 1; i < length; ++i) sum = static_cast<uint16_t>(sum + frame[i]);
  return static_cast<uint16_t>(0xFFFF - sum);
}

std::vector<uint8_t> RequestFrame(int address, uint8_t command, std::span<const uint8_t> data) {
  std::vector<uint8_t> frame;
  frame.reserve(kFrameOverhead + data.size());
  const size_t n = data.size();
  frame.push_back(0x14);
  frame.push_back(0x2E);
  frame.push_back(0x00);
  frame.push_back(static_cast<uint8_t>(address & 0xFF));  // only the low byte goes out
  frame.push_back(command);
  frame.push_back(static_cast<uint8_t>(n >> 8 & 0xFF));
  frame.push_back(static_cast<uint8_t>(n & 0xFF));
  frame.insert(frame.end(), data.begin(), data.end());
  const uint16_t sum = FrameChecksum(frame.data(), frame.size());
  frame.push_back(static_cast<uint8_t>(sum >> 8));
  frame.push_back(static_cast<uint8_t>(sum & 0xFF));
  return frame;
}

bool ReplyChecksumOk(std::span<const uint8_t> reply) {
  if (reply.size() < 3) return false;  // no byte to sum and a checksum: nothing a device sends
  const size_t body = reply.size() - 2;
  return FrameChecksum(reply.data(), body) == BigEndian16(reply, body);
}

}  // namespace kx
