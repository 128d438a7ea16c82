#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "link/DeviceSettings.h"
#include "link/Exchange.h"
#include "link/Frame.h"
#include "link/SerialPort.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx {
namespace {

// Short total time-outs; a generous interval, since these tests expect success and a
// busy machine may hold the host thread between two paced bytes.
Timeouts Fast() {
  Timeouts t;
  t.readIntervalMs = 2000;
  t.readTotalPerByteMs = 5;
  t.readTotalConstantMs = 200;
  return t;
}

TEST(SimHostTest, StartStopAreIdempotentAndCleanUp) {
  VirtualDevice device;
  std::string path, dir;
  {
    SimHost host(device);
    ASSERT_TRUE(host.Start());
    ASSERT_TRUE(host.Start());
    EXPECT_TRUE(host.Running());
    path = host.Path();
    dir = std::filesystem::path(path).parent_path().string();
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(std::filesystem::read_symlink(path).string(), host.PtsPath());
    host.Stop();
    host.Stop();
    EXPECT_FALSE(host.Running());
    EXPECT_FALSE(std::filesystem::exists(dir));
    ASSERT_TRUE(host.Start());  // and again
    dir = std::filesystem::path(host.Path()).parent_path().string();
  }  // the destructor stops
  EXPECT_FALSE(std::filesystem::exists(dir));
}

TEST(SimHostTest, SeveralUnitsOnOneLineEachAnswerTheirOwnAddress) {
  VirtualDevice a(1), b(2);
  a.SetAddress(1);
  b.SetAddress(2);
  a.SetVersionRaw(101);
  b.SetVersionRaw(202);
  SimHost host({&a, &b});
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, Fast()), LinkError::None);
  auto version = [&](int address) {
    const VersionReading r = ReadVersion(port, address, 300);
    return r.outcome == ExchangeOutcome::Ok ? r.raw : 0;
  };
  EXPECT_EQ(version(2), 202);
  EXPECT_EQ(version(1), 101);
  EXPECT_EQ(version(3), 0);  // nobody there: silence
  EXPECT_EQ(b.RequestCount(), 1u);
  EXPECT_EQ(a.RequestCount(), 2u);  // its own, and the foreign one the first unit hears
}

TEST(SimHostTest, ResynchronisesAfterGarbage) {
  VirtualDevice device;
  SimHost host(device);
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, Fast()), LinkError::None);
  std::vector<uint8_t> bytes = {0x00, 0x14, 0x14, 0x2E, 0xFF, 0xFF, 0x13};  // junk and false starts
  const std::vector<uint8_t> request = RequestFrame(0, 0x03);
  bytes.insert(bytes.end(), request.begin(), request.end());
  ASSERT_EQ(port.Write(bytes.data(), bytes.size()), bytes.size());
  ASSERT_EQ(port.WaitForBytes(11, 5000), 11u);
  ASSERT_EQ(device.Requests().size(), 1u);
  EXPECT_EQ(device.Requests()[0], request);
}

TEST(SimHostTest, RequestSplitAcrossWritesIsOneRequest) {
  VirtualDevice device;
  SimHost host(device);
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, Fast()), LinkError::None);
  const std::vector<uint8_t> request = RequestFrame(0, 0x09, std::vector<uint8_t>{1});
  ASSERT_EQ(port.Write(request.data(), 4), 4u);
  ASSERT_EQ(port.Write(request.data() + 4, request.size() - 4), request.size() - 4);
  EXPECT_EQ(port.WaitForBytes(16, 5000), 16u);
}

TEST(SimHostTest, AddressAndBaudChangeEndToEnd) {
  VirtualDevice device;
  SimHost host(device);
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, Fast()), LinkError::None);
  const uint8_t newAddress[] = {7};
  const uint8_t newBaud[] = {0x4B, 0x00};
  ASSERT_EQ(Transact(port, 0, Command::SetAddress, newAddress).outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(Transact(port, 0, Command::ReadGear, {}, {.waitMs = 300}).outcome, ExchangeOutcome::WrongCount);
  ASSERT_EQ(Transact(port, 7, Command::SetBaud, newBaud).outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(host.ClientBaud(), 9600);
  EXPECT_EQ(Transact(port, 7, Command::ReadGear, {}, {.waitMs = 300}).outcome, ExchangeOutcome::WrongCount);
  port.Close();
  ASSERT_EQ(port.Open(host.Path(), 19200, Fast()), LinkError::None);
  EXPECT_EQ(host.ClientBaud(), 19200);
  EXPECT_EQ(Transact(port, 7, Command::ReadGear, {}).outcome, ExchangeOutcome::Ok);
}

TEST(SimHostTest, ComesBackByItselfAfterAHangUpWhenAsked) {
  VirtualDevice device;
  SimHost host(device);
  host.SetReplugAfterMs(50);
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, Fast()), LinkError::None);
  device.SetFault(Fault::HangUp, 1, -1);  // before the first byte
  const std::vector<uint8_t> request = RequestFrame(0, 0x01);
  port.Write(request.data(), request.size());
  EXPECT_EQ(port.WaitForBytes(10, 5000), 0u);
  EXPECT_EQ(port.LastError(), LinkError::HungUp);
  port.Close();
  // Wait for the path to come back without timing assumptions: poll its existence.
  for (int i = 0; i < 500 && !std::filesystem::exists(host.Path()); ++i) ::usleep(10000);
  ASSERT_EQ(port.Open(host.Path(), 9600, Fast()), LinkError::None);
  EXPECT_EQ(Transact(port, 0, Command::ReadGear, {}).outcome, ExchangeOutcome::Ok);
}

TEST(SimHostTest, StopInTheMiddleOfASlowReplyReturns) {
  VirtualDevice device;
  SimHost host(device);
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 9600, Fast()), LinkError::None);
  device.SetFault(Fault::Slow, 1, 60000);
  const std::vector<uint8_t> request = RequestFrame(0, 0x00);
  port.Write(request.data(), request.size());
  port.WaitForBytes(1, 5000);
  host.Stop();  // must not wait out the minute between bytes
  EXPECT_FALSE(host.Running());
}

TEST(SimHostTest, PacingSendsEveryByte) {
  VirtualDevice device;
  device.SetPacing(true);
  device.SetBaud(38400);
  SimHost host(device);
  ASSERT_TRUE(host.Start());
  SerialPort port;
  ASSERT_EQ(port.Open(host.Path(), 38400, Fast()), LinkError::None);
  const uint8_t group[] = {1, 0};
  const ExchangeResult header = Transact(port, 0, Command::ReadGroup, group);
  ASSERT_EQ(header.outcome, ExchangeOutcome::Ok);
  std::vector<uint8_t> packet = header.reply;
  packet.resize(kFrameOverhead + kGroupPacketFull);
  EXPECT_EQ(port.Read(packet.data() + header.reply.size(), packet.size() - header.reply.size()),
            packet.size() - header.reply.size());
  EXPECT_TRUE(ReplyChecksumOk(packet));
}

}  // namespace
}  // namespace kx
