#include "link/DeviceClock.h"

#include <gtest/gtest.h>

#include "link/MemoryPort.h"
#include "sim/VirtualDevice.h"
#include "texts/ChineseTexts.h"

namespace {

std::tm Local(int year, int month, int day, int hour, int minute, int second) {
  return kx::TmFromBcd({year, month, day, hour, minute, second});
}

// A read-clock reply carrying the seven date-time bytes.
std::vector<uint8_t> ClockReply(std::initializer_list<uint8_t> seven) {
  return kx::RequestFrame(0, 0x0A, std::vector<uint8_t>(seven));
}

TEST(SetClock, FrameCarriesTheLocalTimeInBcd) {
  EXPECT_EQ(kx::SetClockFrame(1, Local(2025, 12, 31, 23, 59, 59)),
            (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x01, 0x04, 0x00, 0x07, 0x20, 0x25, 0x12, 0x31, 0x23, 0x59,
                                  0x59, 0xFE, 0x68}));
  const auto early = kx::SetClockFrame(0, Local(1999, 1, 2, 3, 4, 5));
  EXPECT_EQ(std::vector<uint8_t>(early.begin() + 7, early.begin() + 14),
            (std::vector<uint8_t>{0x19, 0x99, 0x01, 0x02, 0x03, 0x04, 0x05}));
}

TEST(SetClock, OnlyAFullAcknowledgeOfFFSucceeds) {
  const std::tm when = Local(2014, 5, 6, 9, 3, 7);
  auto run = [&](std::vector<uint8_t> reply) {
    kx::MemoryPort port;
    port.QueueReply(std::move(reply));
    const auto result = kx::SetDeviceClock(port, 3, when);
    EXPECT_EQ(port.PurgeCount(), 0u);  // the open purged already
    EXPECT_EQ(port.Written(), kx::SetClockFrame(3, when));
    return result.outcome;
  };
  EXPECT_EQ(run(kx::RequestFrame(0, 0x04, std::vector<uint8_t>{0xFF})), kx::SetClockOutcome::Ok);
  // Its checksum is not examined.
  auto badSum = kx::RequestFrame(0, 0x04, std::vector<uint8_t>{0xFF});
  badSum.back() ^= 0x11;
  EXPECT_EQ(run(badSum), kx::SetClockOutcome::Ok);
  EXPECT_EQ(run(kx::RequestFrame(0, 0x04, std::vector<uint8_t>{0x00})), kx::SetClockOutcome::Refused);
  auto shortAck = kx::RequestFrame(0, 0x04, std::vector<uint8_t>{0xFF});
  shortAck.pop_back();
  EXPECT_EQ(run(shortAck), kx::SetClockOutcome::NoReply);
  EXPECT_EQ(run({}), kx::SetClockOutcome::NoReply);

  EXPECT_EQ(kx::SetClockMessage(kx::SetClockOutcome::Ok, when), "设置系统时间成功:2014-05-06 09:03:07");
  EXPECT_EQ(kx::SetClockMessage(kx::SetClockOutcome::Refused, when), "设置系统时间失败");
  EXPECT_EQ(kx::SetClockMessage(kx::SetClockOutcome::NoReply, when), "设置系统时间失败");
}

TEST(ReadClock, DecodesAndFormatsWithoutLeadingZeros) {
  kx::MemoryPort port;
  port.QueueReply(ClockReply({0x20, 0x14, 0x05, 0x06, 0x09, 0x03, 0x07}));
  port.QueueReply(ClockReply({0x19, 0x99, 0x12, 0x31, 0x23, 0x59, 0x5A}));
  auto first = kx::ReadDeviceClock(port, 1);
  ASSERT_EQ(first.outcome, kx::ReadClockOutcome::Ok);
  EXPECT_EQ(kx::FormatDeviceTime(first.time), "2014年-5月-6日-9时-3分-7秒");
  EXPECT_EQ(kx::ReadClockMessage(first.outcome), "");
  EXPECT_EQ(port.Writes().at(0), (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x01, 0x0A, 0x00, 0x00, 0xFF, 0xC6}));
  auto second = kx::ReadDeviceClock(port, 1);
  ASSERT_EQ(second.outcome, kx::ReadClockOutcome::Ok);
  EXPECT_EQ(kx::FormatDeviceTime(second.time), "1999年-12月-31日-23时-59分-60秒");  // no digit check
}

TEST(ReadClock, WrongCountsAndChecksumsAreRejected) {
  auto run = [](std::vector<uint8_t> reply) {
    kx::MemoryPort port;
    port.QueueReply(std::move(reply));
    return kx::ReadDeviceClock(port, 0).outcome;
  };
  const auto good = ClockReply({0x20, 0x24, 0x01, 0x01, 0x00, 0x00, 0x00});
  auto longer = good;
  longer.push_back(0x00);  // 17 queued: not this reply
  EXPECT_EQ(run(longer), kx::ReadClockOutcome::WrongCount);
  auto shorter = good;
  shorter.pop_back();
  EXPECT_EQ(run(shorter), kx::ReadClockOutcome::WrongCount);
  EXPECT_EQ(run({}), kx::ReadClockOutcome::WrongCount);
  auto corrupt = good;
  corrupt[9] ^= 0x02;
  EXPECT_EQ(run(corrupt), kx::ReadClockOutcome::BadChecksum);
  EXPECT_EQ(kx::ReadClockMessage(kx::ReadClockOutcome::WrongCount), "读取时间!");
  EXPECT_EQ(kx::ReadClockMessage(kx::ReadClockOutcome::BadChecksum), "校验错!");
}

TEST(DeviceClock, SimulatedClockRunsFromTheTimeItWasSet) {
  kx::VirtualDevice device;
  auto now = std::chrono::steady_clock::now();
  device.SetNow([&] { return now; });
  kx::MemoryPort port;
  port.SetResponder([&](std::span<const uint8_t> w) { return device.Respond(w); });
  std::tm set = Local(2025, 12, 31, 23, 59, 58);
  ASSERT_EQ(kx::SetDeviceClock(port, 0, set).outcome, kx::SetClockOutcome::Ok);
  now += std::chrono::seconds(3);  // into the new year
  const auto read = kx::ReadDeviceClock(port, 0);
  ASSERT_EQ(read.outcome, kx::ReadClockOutcome::Ok);
  std::tm back = Local(read.time.year, read.time.month, read.time.day, read.time.hour, read.time.minute,
                       read.time.second);
  EXPECT_EQ(std::difftime(std::mktime(&back), std::mktime(&set)), 3.0);
  EXPECT_EQ(read.time.year, 2026);
}

}  // namespace
