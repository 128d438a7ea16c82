#pragma once
// BCD bytes and the device's seven-byte BCD date-times. Header-only: the curve
// layer decodes its records' time stamps with it without linking the link library.

#include <cstdint>
#include <ctime>

namespace kx {

// BCD: v (0..99) as tens in the high nibble, units in the low; reading does not
// check that the nibbles are decimal digits (0x5A reads as 60).
constexpr uint8_t ToBcd(int v) {
  const unsigned u = static_cast<unsigned>(v < 0 ? 0 : v) % 100;
  return static_cast<uint8_t>(u / 10 * 16 + u % 10);
}
constexpr int FromBcd(uint8_t b) { return b / 16 * 10 + b % 16; }

// A BCD date-time: century, year in century, month, day, hour, minute, second.
struct BcdDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

inline BcdDateTime DecodeBcdDateTime(const uint8_t* seven) {
  BcdDateTime t;
  t.year = FromBcd(seven[0]) * 100 + FromBcd(seven[1]);
  t.month = FromBcd(seven[2]);
  t.day = FromBcd(seven[3]);
  t.hour = FromBcd(seven[4]);
  t.minute = FromBcd(seven[5]);
  t.second = FromBcd(seven[6]);
  return t;
}

// True when all seven bytes are decimal BCD and make a calendar date and time
// (a garbled or echoed reply decodes to fields such as month 13 or hour 25).
inline bool IsBcdDateTime(const uint8_t* seven) {
  for (int i = 0; i < 7; ++i) {
    if ((seven[i] >> 4) > 9 || (seven[i] & 0x0F) > 9) return false;
  }
  const BcdDateTime t = DecodeBcdDateTime(seven);
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 || t.minute > 59 || t.second > 59) return false;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  const int days = t.month == 2 && !leap ? 28 : kDays[t.month - 1];
  return t.day <= days;
}

inline void EncodeBcdDateTime(const BcdDateTime& t, uint8_t* seven) {
  seven[0] = ToBcd(t.year / 100);
  seven[1] = ToBcd(t.year % 100);
  seven[2] = ToBcd(t.month);
  seven[3] = ToBcd(t.day);
  seven[4] = ToBcd(t.hour);
  seven[5] = ToBcd(t.minute);
  seven[6] = ToBcd(t.second);
}

// Calendar fields to and from the C library's broken-down time; the tm has
// tm_isdst = -1 so that mktime decides daylight saving.
inline BcdDateTime BcdFromTm(const std::tm& fields) {
  BcdDateTime t;
  t.year = fields.tm_year + 1900;
  t.month = fields.tm_mon + 1;
  t.day = fields.tm_mday;
  t.hour = fields.tm_hour;
  t.minute = fields.tm_min;
  t.second = fields.tm_sec;
  return t;
}

inline std::tm TmFromBcd(const BcdDateTime& t) {
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

}  // namespace kx
