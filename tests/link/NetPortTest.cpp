// Units behind a serial server: the Telnet COM port control on its own, and the
// serial port over a real ser2net (started by the test on a free loopback port,
// its serial side the simulated unit's pseudo-terminal).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/CurveTransfer.h"
#include "link/Exchange.h"
#include "link/NetLine.h"
#include "SerialServer.h"
#include "link/SerialPort.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx {
namespace {

using T = TelnetCodec;
using testing::FreePort;
using testing::SerialServer;

TEST(Telnet, DecodesAcrossChunksAndAnswersOnlyWhatItMust) {
  TelnetCodec codec;
  std::vector<uint8_t> data, replies;
  // Data with an escaped 0xFF split between chunks, the server's greeting (its
  // offer to echo refused, what was agreed already not answered again), an option
  // it asks for that we do not have, and its answer to the baud rate.
  const std::vector<std::vector<uint8_t>> chunks{
      {0x14, T::kIac},
      {T::kIac, 0x4A, T::kIac, T::kWill, 1, T::kIac, T::kDo, T::kBinary, T::kIac, T::kDo},
      {T::kComPort, T::kIac, T::kDo, 24, T::kIac, T::kSb, T::kComPort, 101, 0, 0, 0x25},
      {0x80, T::kIac, T::kSe, 0x00, T::kIac, T::kIac, T::kIac, T::kIac}};  // a reply's FF FF
  for (const auto& c : chunks) codec.Decode(c, data, replies);
  EXPECT_EQ(data, (std::vector<uint8_t>{0x14, 0xFF, 0x4A, 0x00, 0xFF, 0xFF}));
  EXPECT_EQ(replies, (std::vector<uint8_t>{T::kIac, T::kDont, 1, T::kIac, T::kWont, 24}));
  EXPECT_TRUE(codec.Answered(T::kSetBaud));
  EXPECT_FALSE(codec.Answered(T::kSetDataSize));
}

TEST(Telnet, EscapesDataAndCommandValues) {
  const uint8_t request[] = {0x14, 0x2E, 0x00, 0x00, 0x03, 0x00, 0x00, 0xFF, 0xCE};
  EXPECT_EQ(T::Escape(request), (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x00, 0x03, 0x00, 0x00, 0xFF, 0xFF, 0xCE}));
  const std::vector<uint8_t> settings = T::LineSettings(9600);
  EXPECT_EQ(std::vector<uint8_t>(settings.begin(), settings.begin() + 10),
            (std::vector<uint8_t>{T::kIac, T::kSb, T::kComPort, T::kSetBaud, 0, 0, 0x25, 0x80, T::kIac, T::kSe}));
  const uint8_t both = 0xFF;
  EXPECT_EQ(T::ComPortCommand(T::kPurgeData, {&both, 1}),
            (std::vector<uint8_t>{T::kIac, T::kSb, T::kComPort, T::kPurgeData, 0xFF, 0xFF, T::kIac, T::kSe}));
}

TEST(NetPortName, HostsPortsAndTheExtraWait) {
  std::string error;
  auto a = ParseNetPortName("rfc2217://[::1]:4001?extra-wait=0", error);
  ASSERT_TRUE(a) << error;
  EXPECT_EQ(a->scheme, NetScheme::Rfc2217);
  EXPECT_EQ(a->host, "::1");
  EXPECT_EQ(a->port, 4001);
  EXPECT_EQ(a->extraWaitMs, 0);
  a = ParseNetPortName("tcp://serial-box.local:23", error);
  ASSERT_TRUE(a) << error;
  EXPECT_EQ(a->host, "serial-box.local");
  EXPECT_EQ(a->extraWaitMs, 100);
  for (const char* bad : {"tcp://host", "tcp://host:0", "tcp://:23", "tcp://host:23?wait=5", "rfc2217://[::1:23",
                          "tcp://host:23?extra-wait=-1"}) {
    error.clear();
    EXPECT_FALSE(ParseNetPortName(bad, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

class NetPort : public ::testing::Test {
 protected:
  void SetUp() override {
    device.SetNoise(false);
    device.SetGroups(VirtualDevice::DefaultGroups(1400000000, 1));
    ASSERT_TRUE(host.Start());
    server = std::make_unique<SerialServer>(host.Path());
    ASSERT_TRUE(server->Running()) << "ser2net did not start";
  }
  void TearDown() override { SetFrameTracer(nullptr); }
  VirtualDevice device;
  SimHost host{device};
  std::unique_ptr<SerialServer> server;
};

// Over RFC 2217 the server's line takes the baud rate asked for: a unit at 19200
// answers only a port opened at 19200. Every request ends in 0xFF bytes, escaped on
// the way out; a download's packets come back unescaped.
TEST_F(NetPort, Rfc2217SetsTheLineAndCarriesEveryFrame) {
  device.SetBaud(19200);
  std::vector<std::pair<std::string, size_t>> opened;  // port, extra wait
  SetFrameTracer([&opened](const FrameEvent& f) {
    if (f.verdict == FrameVerdict::Opened) opened.emplace_back(f.port, f.count);
  });
  SerialPort port;
  port.SetWaitScale(0.2);
  ASSERT_EQ(port.Open(server->Telnet("?extra-wait=20"), 9600), LinkError::None) << server->Log();
  EXPECT_NE(Transact(port, 0, Command::ReadVersion, {}).outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(opened, (std::vector<std::pair<std::string, size_t>>{{server->Telnet("?extra-wait=20"), 20}}));

  ASSERT_EQ(port.Open(server->Telnet(), 19200), LinkError::None);
  const ExchangeResult version = Transact(port, 0, Command::ReadVersion, {});
  EXPECT_EQ(version.outcome, ExchangeOutcome::Ok);
  std::vector<uint8_t> image;
  EXPECT_EQ(ReadGroupImage(port, 0, 1, image), GroupImageOutcome::Ok);
  EXPECT_EQ(image, device.Groups().at(0).image);
}

TEST_F(NetPort, RawTcpLeavesTheLineToTheServer) {
  SerialPort port;
  ASSERT_EQ(port.Open(server->Raw(), 9600), LinkError::None);
  EXPECT_EQ(port.AppliedBaud(), 0);  // no pace to sleep by: the network's is not the line's
  EXPECT_EQ(Transact(port, 0, Command::Acquire, {}).outcome, ExchangeOutcome::Ok);
}

// A server that goes away is a hang-up, as an unplugged adapter is.
TEST_F(NetPort, ADroppedConnectionIsAHangUp) {
  SerialPort port;
  ASSERT_EQ(port.Open(server->Telnet(), 9600), LinkError::None);
  ASSERT_EQ(Transact(port, 0, Command::ReadVersion, {}).outcome, ExchangeOutcome::Ok);
  server->Stop();
  const ExchangeResult r = Transact(port, 0, Command::ReadVersion, {});
  EXPECT_NE(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.cause, LinkError::HungUp);
  EXPECT_EQ(port.Open(server->Raw(), 9600), LinkError::Refused);
}

// Nothing listening, a name that does not resolve, and a server that never answers
// the COM port control: the last still opens, after a bounded wait.
TEST(NetPortOpen, FailuresNameTheirCauseAndASilentServerDoesNotStopTheOpen) {
  SerialPort port;
  const int closed = FreePort();
  EXPECT_EQ(port.Open("tcp://127.0.0.1:" + std::to_string(closed), 9600), LinkError::Refused);
  EXPECT_EQ(port.Open("rfc2217://no-such-host.invalid:4001", 9600), LinkError::UnknownHost);
  EXPECT_EQ(port.Open("tcp://127.0.0.1", 9600), LinkError::NotFound);

  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  socklen_t n = sizeof a;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &n);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Open("rfc2217://127.0.0.1:" + std::to_string(ntohs(a.sin_port)), 9600), LinkError::None);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(900));
  EXPECT_LT(took, std::chrono::seconds(3));
  port.Close();
  ::close(listener);
}

}  // namespace
}  // namespace kx
