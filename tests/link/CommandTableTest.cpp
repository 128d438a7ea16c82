#include <gtest/gtest.h>

#include <set>

#include "link/CommandTable.h"

namespace kx {
namespace {

TEST(CommandTableTest, HoldsEveryCommandOnce) {
  std::set<uint8_t> codes;
  for (const CommandInfo& c : CommandTable()) EXPECT_TRUE(codes.insert(static_cast<uint8_t>(c.code)).second);
  EXPECT_EQ(codes, (std::set<uint8_t>{0x00, 0x01, 0x02, 0x03, 0x04, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x10, 0x11, 0x12,
                                      0x13, 0x14, 0x15, 0x16, 0x20, 0x21}));
}

TEST(CommandTableTest, UnusedCodesAreNotFound) {
  for (int code : {0x05, 0x06, 0x0C, 0x0F, 0x17, 0x1F, 0x22, 0xFF}) {
    EXPECT_EQ(FindCommand(static_cast<uint8_t>(code)), nullptr) << code;
  }
}

TEST(CommandTableTest, LengthsAndWaitsFollowPartOneTwo) {
  struct Row {
    Command code;
    int n, reply;
    Await await;
    int wait;
    bool purge;
  };
  const Row rows[] = {
      {Command::Acquire, 0, 109, Await::Wait, 1000, true},
      {Command::ReadGear, 0, 10, Await::Wait, 1000, true},
      {Command::ReadAlarm, 0, 11, Await::Wait, 1000, true},
      {Command::ReadVersion, 0, 11, Await::Wait, 500, true},
      {Command::SetClock, 7, 10, Await::PauseThenRead, 0, false},
      {Command::QueryCurveCount, 0, 11, Await::PauseThenRead, 0, false},
      {Command::ReadGroup, 2, 7, Await::PauseThenRead, 0, false},
      {Command::ReadGroupDate, 1, 16, Await::PauseThenRead, 0, false},
      {Command::ReadClock, 0, 16, Await::Wait, 1000, true},
      {Command::ClearCurves, 0, 10, Await::ReadAtOnce, 0, true},
      {Command::SetAddress, 1, 10, Await::Wait, 1000, true},
      {Command::SetBaud, 2, 11, Await::Wait, 1000, true},
      {Command::SetVoltAlarm, 5, 10, Await::Wait, 500, true},
      {Command::SetCurrentAlarm, 3, 10, Await::Wait, 500, true},
      {Command::SetTemp1Alarm, 3, 10, Await::Wait, 500, true},
      {Command::SetTemp2Alarm, 3, 10, Await::Wait, 500, true},
      {Command::SetTemp3Alarm, 3, 10, Await::Wait, 500, true},
      {Command::SetGear, 1, 10, Await::Wait, 1000, true},
      {Command::Calibrate, 2, 11, Await::Wait, 30000, false},
  };
  for (const Row& r : rows) {
    const CommandInfo& info = Info(r.code);
    SCOPED_TRACE(info.name);
    EXPECT_EQ(info.requestDataLength, r.n);
    EXPECT_EQ(info.replyLength, r.reply);
    EXPECT_EQ(info.await, r.await);
    EXPECT_EQ(info.waitMs, r.wait);
    EXPECT_EQ(info.purge, r.purge);
  }
}

TEST(CommandTableTest, CalibrationWaits) {
  for (uint8_t k : {0x11, 0x12, 0x13}) EXPECT_EQ(CalibrationWaitMs(k), 30000);
  for (uint8_t k : {0x21, 0x22, 0x23, 0x30, 0x40}) EXPECT_EQ(CalibrationWaitMs(k), 5000);
}

}  // namespace
}  // namespace kx
