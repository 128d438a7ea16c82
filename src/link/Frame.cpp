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

uint8_t ToBcd(int v) {
  const unsigned u = static_cast<unsigned>(v < 0 ? 0 : v) % 100;
  return static_cast<uint8_t>(u / 10 * 16 + u % 10);
}

int FromBcd(uint8_t b) { return b / 16 * 10 + b % 16; }

BcdDateTime BcdFromTm(const std::tm& fields) {
  BcdDateTime t;
  t.year = fields.tm_year + 1900;
  t.month = fields.tm_mon + 1;
  t.day = fields.tm_mday;
  t.hour = fields.tm_hour;
  t.minute = fields.tm_min;
  t.second = fields.tm_sec;
  return t;
}

std::tm TmFromBcd(const BcdDateTime& t) {
  std::tm fields{};
  fields.tm_year = t.year - 1900;
  fields.tm_mon = t.month - 1;
  fields.tm_mday = t.day;
  fields.tm_hour = t.hour;
  fields.tm_min = t.minute;
  fields.tm_sec = t.second;
  fields.tm_isdst = -1;
  return fields;
}

BcdDateTime DecodeBcdDateTime(const uint8_t* seven) {
  BcdDateTime t;
  t.year = FromBcd(seven[0]) * 100 + FromBcd(seven[1]);
  t.month = FromBcd(seven[2]);
  t.day = FromBcd(seven[3]);
  t.hour = FromBcd(seven[4]);
  t.minute = FromBcd(seven[5]);
  t.second = FromBcd(seven[6]);
  return t;
}

void EncodeBcdDateTime(const BcdDateTime& t, uint8_t* seven) {
  seven[0] = ToBcd(t.year / 100);
  seven[1] = ToBcd(t.year % 100);
  seven[2] = ToBcd(t.month);
  seven[3] = ToBcd(t.day);
  seven[4] = ToBcd(t.hour);
  seven[5] = ToBcd(t.minute);
  seven[6] = ToBcd(t.second);
}

}  // namespace kx
