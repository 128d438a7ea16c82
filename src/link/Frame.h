#pragma once
// Frame layout: 14 2E 00 address command nHigh nLow data... checksumHigh checksumLow.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/Bcd.h"

namespace kx {

inline constexpr size_t kFrameHeaderSize = 7;
inline constexpr size_t kFrameOverhead = 9;  // header + checksum

// 0xFFFF minus the 16-bit sum of bytes 1 .. length-1 (byte 0 is left out).
uint16_t FrameChecksum(const uint8_t* frame, size_t length);
inline uint16_t FrameChecksum(std::span<const uint8_t> frame) {
  return FrameChecksum(frame.data(), frame.size());
}

// The request: header (address's low byte), data, checksum high byte first.
std::vector<uint8_t> RequestFrame(int address, uint8_t command, std::span<const uint8_t> data = {});

// True when the last two bytes of reply equal FrameChecksum of the bytes before them.
bool ReplyChecksumOk(std::span<const uint8_t> reply);

// Big-endian 16-bit value at offset (caller guarantees offset + 1 < size).
inline uint16_t BigEndian16(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
}

}  // namespace kx
