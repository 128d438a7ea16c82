#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "link/Exchange.h"
#include "link/Frame.h"
#include "link/SerialPort.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx {
namespace {

// The real SerialPort against the simulated device on a pseudo-terminal. Time-outs
// are short so that the suite stays fast; no test asserts on elapsed time.
class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Start());
    fast.readIntervalMs = 150;
    fast.readTotalPerByteMs = 5;
    fast.readTotalConstantMs = 100;
    fast.writeTotalPerByteMs = 5;
    fast.writeTotalConstantMs = 200;
  }

  void Send(SerialPort& port, const std::vector<uint8_t>& frame) {
    ASSERT_EQ(port.Write(frame.data(), frame.size()), frame.size());
  }

  VirtualDevice device;
  SimHost host{device};
  Timeouts fast;
};

TEST_F(SerialPortTest, OpensAndExchanges) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(port.AppliedBaud(), 9600);
  const ExchangeResult r = Transact(port, 0, Command::ReadVersion, {}, {.waitMs = 1000});
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(BigEndian16(r.reply, 7), 130);
  ASSERT_EQ(device.Requests().size(), 1u);
  EXPECT_EQ(device.Requests()[0], RequestFrame(0, 0x03));
}

TEST_F(SerialPortTest, PartialReplyGivesThePartialCountAtTheDeadline) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  device.SetFault(Fault::Short, 1, 3);
  Send(port, RequestFrame(0, 0x0A));
  EXPECT_EQ(port.WaitForBytes(16, 300), 13u);
  EXPECT_EQ(port.LastError(), LinkError::Timeout);
}

TEST_F(SerialPortTest, LongerReplyGivesTheLargerCount) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  device.SetFault(Fault::Long, 1, 5);
  Send(port, RequestFrame(0, 0x0A));
  // The device writes all 21 bytes at once; the wait returns as soon as 16 are there.
  EXPECT_EQ(port.WaitForBytes(16, 5000), 21u);
}

TEST_F(SerialPortTest, WaitCountIsSixteenBits) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  Send(port, RequestFrame(0, 0x01));
  // 65536 + 10 compares as 10.
  EXPECT_EQ(port.WaitForBytes(65536 + 10, 5000), 10u);
}

TEST_F(SerialPortTest, SecondOpenOfAHeldPortIsInUse) {
  SerialPort first, second;
  ASSERT_EQ(first.Open(host.Path(), 9600, fast), LinkError::None);
  EXPECT_EQ(second.Open(host.Path(), 9600, fast), LinkError::InUse);  // flock holds for root too
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(second.LastError(), LinkError::InUse);
  first.Close();
  EXPECT_EQ(second.Open(host.Path(), 9600, fast), LinkError::None);
}

TEST_F(SerialPortTest, HangUpIsReportedAsHungUp) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  host.HangUp();
  EXPECT_EQ(port.WaitForBytes(16, 2000), 0u);
  EXPECT_EQ(port.LastError(), LinkError::HungUp);
  uint8_t buf[4];
  EXPECT_EQ(port.Read(buf, 4), 0u);
  EXPECT_EQ(port.LastError(), LinkError::HungUp);
  const std::vector<uint8_t> request = RequestFrame(0, 0x01);
  EXPECT_EQ(port.Write(request.data(), request.size()), 0u);
  EXPECT_EQ(port.LastError(), LinkError::HungUp);
  port.Close();
  // Unplugged: the stable path is gone until the device comes back.
  SerialPort again;
  EXPECT_EQ(again.Open(host.Path(), 9600, fast), LinkError::NotFound);
}

TEST_F(SerialPortTest, ComesBackOnTheSamePathAfterReplug) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  host.HangUp();
  port.WaitForBytes(1, 1000);
  EXPECT_EQ(port.LastError(), LinkError::HungUp);
  port.Close();
  ASSERT_TRUE(host.Replug());
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  EXPECT_EQ(Transact(port, 0, Command::ReadGear, {}).outcome, ExchangeOutcome::Ok);
}

TEST_F(SerialPortTest, HangUpInTheMiddleOfAReply) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  device.SetFault(Fault::HangUp, 1, 8);
  Send(port, RequestFrame(0, 0x0A));
  uint8_t buf[16];
  EXPECT_LE(port.Read(buf, 16, 2000), 8u);
  EXPECT_EQ(port.LastError(), LinkError::HungUp);
  EXPECT_TRUE(host.HungUp());
}

TEST_F(SerialPortTest, PurgeDiscardsStaleInput) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  Send(port, RequestFrame(0, 0x0A));
  ASSERT_EQ(port.WaitForBytes(16, 5000), 16u);
  port.Purge();
  EXPECT_EQ(port.Queued(), 0u);
  // The next exchange sees only its own reply.
  const ExchangeResult r = Transact(port, 0, Command::ReadGear, {});
  EXPECT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[4], 0x01);
}

TEST_F(SerialPortTest, UnsupportedBaudIsBadSettingsAndLeavesThePortClosed) {
  SerialPort port;
  EXPECT_EQ(port.Open(host.Path(), 57600, fast), LinkError::BadSettings);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Open(host.Path(), 0, fast), LinkError::BadSettings);
  EXPECT_FALSE(port.IsOpen());
  // Nothing is held: the next open succeeds.
  SerialPort other;
  EXPECT_EQ(other.Open(host.Path(), 1200, fast), LinkError::None);
  EXPECT_EQ(other.AppliedBaud(), 1200);
}

TEST_F(SerialPortTest, MissingPathIsNotFound) {
  SerialPort port;
  EXPECT_EQ(port.Open("/nonexistent/ttyUSB9", 9600, fast), LinkError::NotFound);
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(SerialPortTest, PlainFileIsNoSerialPort) {
  char path[] = "/tmp/kx-notatty-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  SerialPort port;
  EXPECT_EQ(port.Open(path, 9600, fast), LinkError::BadSettings);
  EXPECT_FALSE(port.IsOpen());
  ::unlink(path);
}

TEST_F(SerialPortTest, OperationsOnAClosedPortSayNotOpen) {
  SerialPort port;
  uint8_t buf[1] = {0};
  EXPECT_EQ(port.Write(buf, 1), 0u);
  EXPECT_EQ(port.LastError(), LinkError::NotOpen);
  EXPECT_EQ(port.Read(buf, 1), 0u);
  EXPECT_EQ(port.WaitForBytes(1, 10), 0u);
  EXPECT_EQ(port.Queued(), 0u);
  EXPECT_EQ(port.LastError(), LinkError::NotOpen);
}

TEST_F(SerialPortTest, ReadWithExtraReturnsWhenTheBytesAreThere) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  Send(port, RequestFrame(0, 0x07));
  uint8_t buf[11];
  // A prompt reply; a large extra budget does not hold the read up (no time assert:
  // the count and the outcome say it all).
  EXPECT_EQ(port.Read(buf, 11, 60000), 11u);
  EXPECT_EQ(port.LastError(), LinkError::None);
}

TEST_F(SerialPortTest, LateReplyWithinTheExtraBudgetIsRead) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  device.SetFault(Fault::Delay, 1, 300);
  Send(port, RequestFrame(0, 0x07));
  uint8_t buf[11];
  EXPECT_EQ(port.Read(buf, 11, 3000), 11u);
}

TEST_F(SerialPortTest, LateReplyPastTheTotalDeadlineIsMissed) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  device.SetFault(Fault::Delay, 1, 1500);  // far past 5 * 11 + 100 ms
  Send(port, RequestFrame(0, 0x07));
  uint8_t buf[11];
  EXPECT_EQ(port.Read(buf, 11), 0u);
  EXPECT_EQ(port.LastError(), LinkError::Timeout);
}

TEST_F(SerialPortTest, GapPastTheIntervalEndsTheRead) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  device.SetFault(Fault::Gap, 1, 1500, 6);  // 6 bytes, then 1.5 s of silence
  Send(port, RequestFrame(0, 0x0A));
  uint8_t buf[16];
  // The total budget would allow the rest; the 150 ms interval does not.
  EXPECT_EQ(port.Read(buf, 16, 10000), 6u);
  EXPECT_EQ(port.LastError(), LinkError::Timeout);
}

TEST_F(SerialPortTest, SlowBytesEndTheReadAtTheFirstLongInterval) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  device.SetFault(Fault::Slow, 1, 1500);
  Send(port, RequestFrame(0, 0x01));
  uint8_t buf[10];
  EXPECT_EQ(port.Read(buf, 10, 10000), 1u);
}

TEST_F(SerialPortTest, DeviceAtAnotherBaudDoesNotAnswer) {
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 19200, fast), LinkError::None);
  Send(port, RequestFrame(0, 0x01));
  EXPECT_EQ(port.WaitForBytes(10, 300), 0u);
  port.Close();
  ASSERT_EQ(port.Open(host.Path(), 9600, fast), LinkError::None);
  EXPECT_EQ(Transact(port, 0, Command::ReadGear, {}).outcome, ExchangeOutcome::Ok);
}

// The wait's schedule: asleep only while a reply is under way on a line that keeps
// its baud rate, waking a margin before the rest can be complete, never past the cap.
TEST(LinePaceTest, SleepsThroughAReplyOnlyWhereTheLineSetsThePace) {
  LinePace unknown(0, 0);
  EXPECT_EQ(unknown.NextSleepUs(100, 1, 1, 1000), 0);  // no baud rate: every arrival

  LinePace line(38400, 0);  // 260 us a byte
  EXPECT_EQ(line.NextSleepUs(109, 0, 0, 0), 0);  // nothing yet: the first byte wakes
  EXPECT_EQ(line.NextSleepUs(108, 1, 1, 300), 108 * 260 - LinePace::kMarginUs);  // due at 28380
  EXPECT_EQ(line.NextSleepUs(8, 101, 100, 26500), 28380 - LinePace::kMarginUs - 26500);
  EXPECT_EQ(line.NextSleepUs(8, 101, 0, 28000), 0);  // a sleep in vain: a silence, woken by its end
  EXPECT_EQ(line.NextSleepUs(7, 102, 1, 900000), 7 * 260 - LinePace::kMarginUs);  // reckoned anew
  // Behind the schedule (bytes held back): the rest may come at any moment.
  EXPECT_EQ(line.NextSleepUs(6, 103, 1, 901800), 0);
  LinePace nearEnd(38400, 0);
  EXPECT_EQ(nearEnd.NextSleepUs(3, 106, 106, 27600), 0);  // the rest is due within the margin

  LinePace capped(9600, 5000);
  EXPECT_EQ(capped.NextSleepUs(100, 9, 9, 10000), 5000);

  LinePace fast(9600, 0);  // a whole reply 0.1 ms after the request: no line's pace
  EXPECT_EQ(fast.NextSleepUs(800, 109, 109, 100), 0);
  EXPECT_EQ(fast.NextSleepUs(800, 109, 0, 10'000'000), 0);  // and for the rest of the wait
}

TEST_F(SerialPortTest, PacedReplyTakesItsTimeOnTheLine) {
  SerialPort port;
  device.SetBaud(1200);
  device.SetPacing(true);
  ASSERT_EQ(port.Open(host.Path(), 1200, fast), LinkError::None);
  Send(port, RequestFrame(0, 0x00));
  // 109 bytes at 1200 baud take about 0.9 s; a 50 ms look cannot see them all.
  EXPECT_LT(port.WaitForBytes(109, 50), 109u);
  EXPECT_EQ(port.WaitForBytes(109, 5000), 109u);
}

}  // namespace
}  // namespace kx
