#pragma once
// Frame layout: 14 2E 00 address command nHigh nLow data... checksumHigh checksumLow.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <vector>

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

// BCD: v (0..99) as tens in the high nibble, units in the low; reading does not
// check that the nibbles are decimal digits (0x5A reads as 60).
uint8_t ToBcd(int v);
int FromBcd(uint8_t b);

// A BCD date-time: century, year in century, month, day, hour, minute, second.
struct BcdDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
BcdDateTime DecodeBcdDateTime(const uint8_t* seven);
// Calendar fields to and from the C library's broken-down time; the tm has
// tm_isdst = -1 so that mktime decides daylight saving.
BcdDateTime BcdFromTm(const std::tm& fields);
std::tm TmFromBcd(const BcdDateTime& t);
void EncodeBcdDateTime(const BcdDateTime& t, uint8_t* seven);

}  // namespace kx
