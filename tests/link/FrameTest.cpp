#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Frame.h"

namespace kx {
namespace {

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    i += 2;
  }
  return bytes;
}

struct WorkedExample {
  const char* what;
  int address;
  uint8_t command;
  std::vector<uint8_t> data;
  const char* bytes;
};

// Every worked example of Parts 1.2, 2.3, 3.2, 3.3 and 3.4.
const std::vector<WorkedExample>& Examples() {
  static const std::vector<WorkedExample> examples = {
      {"read clock, address 1", 1, 0x0A, {}, "14 2E 00 01 0A 00 00 FF C6"},
      {"live acquisition, address 0", 0, 0x00, {}, "14 2E 00 00 00 00 00 FF D1"},
      {"set address 5", 1, 0x10, {0x05}, "14 2E 00 01 10 00 01 05 FF BA"},
      {"set address 255", 1, 0x10, {0xFF}, "14 2E 00 01 10 00 01 FF FE C0"},
      {"read version", 1, 0x03, {}, "14 2E 00 01 03 00 00 FF CD"},
      {"set baud 38400", 1, 0x11, {0x96, 0x00}, "14 2E 00 01 11 00 02 96 00 FF 27"},
      {"set gear 12 V", 1, 0x20, {0x0C}, "14 2E 00 01 20 00 01 0C FF A3"},
      {"calibrate temperature 50K", 1, 0x21, {0x30, 0x02}, "14 2E 00 01 21 00 02 30 02 FF 7B"},
      {"read gear", 1, 0x01, {}, "14 2E 00 01 01 00 00 FF CF"},
      {"read alarm", 1, 0x02, {}, "14 2E 00 01 02 00 00 FF CE"},
      {"volt alarm on 60/40", 1, 0x12, {0x01, 0x00, 0x3C, 0x00, 0x28}, "14 2E 00 01 12 00 05 01 00 3C 00 28 FF 54"},
      {"volt alarm off", 1, 0x12, {0, 0, 0, 0, 0}, "14 2E 00 01 12 00 05 00 00 00 00 00 FF B9"},
      {"current alarm -20", 1, 0x13, {0x01, 0x80, 0x14}, "14 2E 00 01 13 00 03 01 80 14 FF 25"},
      {"current alarm 300", 1, 0x13, {0x01, 0x01, 0x2C}, "14 2E 00 01 13 00 03 01 01 2C FF 8C"},
      {"temp 1 alarm 55/-10", 1, 0x14, {0x01, 0x37, 0x8A}, "14 2E 00 01 14 00 03 01 37 8A FE F7"},
  };
  return examples;
}

TEST(FrameTest, WorkedExamplesAreBuiltByteForByte) {
  for (const WorkedExample& e : Examples()) {
    EXPECT_EQ(RequestFrame(e.address, e.command, e.data), Hex(e.bytes)) << e.what;
  }
}

TEST(FrameTest, WorkedExamplesPassTheReplyCheck) {
  for (const WorkedExample& e : Examples()) {
    EXPECT_TRUE(ReplyChecksumOk(Hex(e.bytes))) << e.what;
  }
}

TEST(FrameTest, ChecksumLeavesByteZeroOut) {
  std::vector<uint8_t> frame = RequestFrame(1, 0x0A);
  const uint16_t before = FrameChecksum(frame.data(), 7);
  for (int b = 0; b < 256; ++b) {
    frame[0] = static_cast<uint8_t>(b);
    EXPECT_EQ(FrameChecksum(frame.data(), 7), before);
  }
}

TEST(FrameTest, ChecksumIsTheInvertedSixteenBitSum) {
  // 300 bytes of 0xFF sum past 65535; the sum wraps modulo 65536.
  std::vector<uint8_t> bytes(301, 0xFF);
  const uint16_t sum = static_cast<uint16_t>(300 * 0xFF);
  EXPECT_EQ(FrameChecksum(bytes), static_cast<uint16_t>(0xFFFF - sum));
  EXPECT_EQ(FrameChecksum(bytes.data(), 1), 0xFFFF);  // nothing summed
}

TEST(FrameTest, AddressSendsItsLowByte) {
  const std::vector<uint8_t> frame = RequestFrame(300, 0x03);
  EXPECT_EQ(frame[3], 300 & 0xFF);
  EXPECT_EQ(frame, RequestFrame(44, 0x03));
}

TEST(FrameTest, ReplyWithArbitraryHeaderButRightChecksumIsAccepted) {
  std::vector<uint8_t> reply = {0x99, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x0C};
  const uint16_t sum = FrameChecksum(reply);
  reply.push_back(static_cast<uint8_t>(sum >> 8));
  reply.push_back(static_cast<uint8_t>(sum & 0xFF));
  EXPECT_TRUE(ReplyChecksumOk(reply));
  reply[7] ^= 1;
  EXPECT_FALSE(ReplyChecksumOk(reply));
}

TEST(FrameTest, ReplyCheckNeedsAtLeastThreeBytes) {
  EXPECT_FALSE(ReplyChecksumOk(std::vector<uint8_t>{}));
  EXPECT_FALSE(ReplyChecksumOk(std::vector<uint8_t>{0xFF, 0xFF}));
}

TEST(FrameTest, BcdBothWays) {
  EXPECT_EQ(FromBcd(0x59), 59);
  EXPECT_EQ(FromBcd(0x5A), 60);  // no digit check
  EXPECT_EQ(FromBcd(0xFF), 165);
  EXPECT_EQ(ToBcd(0), 0x00);
  EXPECT_EQ(ToBcd(7), 0x07);
  EXPECT_EQ(ToBcd(59), 0x59);
  EXPECT_EQ(ToBcd(99), 0x99);
  for (int v = 0; v < 100; ++v) EXPECT_EQ(FromBcd(ToBcd(v)), v);
}

TEST(FrameTest, BcdDateTimeRoundTrip) {
  const uint8_t wire[7] = {0x20, 0x14, 0x05, 0x06, 0x09, 0x03, 0x07};
  const BcdDateTime t = DecodeBcdDateTime(wire);
  EXPECT_EQ(t.year, 2014);
  EXPECT_EQ(t.month, 5);
  EXPECT_EQ(t.day, 6);
  EXPECT_EQ(t.hour, 9);
  EXPECT_EQ(t.minute, 3);
  EXPECT_EQ(t.second, 7);
  uint8_t back[7];
  EncodeBcdDateTime(t, back);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 7), std::vector<uint8_t>(wire, wire + 7));

  const uint8_t old[7] = {0x19, 0x99, 0x12, 0x31, 0x23, 0x59, 0x59};
  EXPECT_EQ(DecodeBcdDateTime(old).year, 1999);
}

TEST(FrameTest, NewYearsEveIsSentAsBcd) {
  uint8_t wire[7];
  EncodeBcdDateTime({2013, 12, 31, 23, 59, 59}, wire);
  EXPECT_EQ(std::vector<uint8_t>(wire, wire + 7),
            (std::vector<uint8_t>{0x20, 0x13, 0x12, 0x31, 0x23, 0x59, 0x59}));
  const std::vector<uint8_t> frame = RequestFrame(1, 0x04, wire);
  EXPECT_EQ(frame.size(), 16u);
  EXPECT_EQ(frame[6], 7);
  EXPECT_TRUE(ReplyChecksumOk(frame));
}

TEST(FrameTest, BigEndianHelper) {
  const std::vector<uint8_t> bytes = {0x12, 0x34, 0x96, 0x00};
  EXPECT_EQ(BigEndian16(bytes, 0), 0x1234);
  EXPECT_EQ(BigEndian16(bytes, 2), 38400);
}

}  // namespace
}  // namespace kx
