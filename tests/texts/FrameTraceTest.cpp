// What the tracer says about each frame: the verdict of every fault of the
// simulated unit through the real port, the one text line, and the protocol
// view's bounded collector.

#include "link/FrameTrace.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/CurveTransfer.h"
#include "link/Exchange.h"
#include "link/SerialPort.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"
#include "texts/FrameText.h"

namespace kx {
namespace {

struct Seen {
  bool sent;
  uint8_t command;
  FrameVerdict verdict;
  std::string bytes;
  std::string text;  // the verdict as the line shows it
};

struct VerdictCase {
  const char* name;
  std::optional<Fault> fault;
  int param;
  Command command;
  bool verifyChecksum;
  FrameVerdict verdict;  // of the reply
  const char* text;
};

// One exchange against a fresh unit (a hang-up leaves its line down); every frame
// traced, and with a hang-up also the next request, which finds the line gone.
std::vector<Seen> Exchange(const VerdictCase& c) {
  VirtualDevice device;
  device.SetGroups(VirtualDevice::DefaultGroups(1400000000, 1));
  SimHost host(device);
  EXPECT_TRUE(host.Start());
  SerialPort port;
  port.SetWaitScale(0.2);
  EXPECT_EQ(port.Open(host.Path(), 9600), LinkError::None);
  std::vector<Seen> seen;
  SetFrameTracer([&seen, &host](const FrameEvent& f) {
    EXPECT_EQ(f.port, host.Path());  // every frame names the port it passed on
    seen.push_back({f.sent, f.command, f.verdict, FrameHexText(f.bytes), FrameVerdictText(f)});
  });
  if (c.fault) device.SetFault(*c.fault, 1, c.param);
  if (c.command == Command::ReadGroup) {
    std::vector<uint8_t> image;
    ReadGroupImage(port, 0, 1, image);
  } else {
    Transact(port, 0, c.command, {}, {.verifyChecksum = c.verifyChecksum});
    if (c.fault == Fault::HangUp) Transact(port, 0, c.command, {});
  }
  SetFrameTracer(nullptr);
  return seen;
}

TEST(FrameTrace, EachFaultOfTheUnitGetsItsVerdict) {
  const VerdictCase cases[] = {
      {"good, checked", std::nullopt, 0, Command::ReadVersion, false, FrameVerdict::Accepted, "reply accepted"},
      {"good, taken on its length", std::nullopt, 0, Command::QueryCurveCount, false,
       FrameVerdict::AcceptedUnchecked, "reply accepted, checksum not checked"},
      {"silent, waited", Fault::Silence, 0, Command::ReadVersion, false, FrameVerdict::NoReply, "no reply"},
      {"silent, read", Fault::Silence, 0, Command::QueryCurveCount, false, FrameVerdict::NoReply, "no reply"},
      {"short", Fault::Short, 1, Command::ReadVersion, false, FrameVerdict::WrongLength,
       "wrong length: 10 of 11 bytes (not taken)"},
      {"short, read", Fault::Short, 3, Command::QueryCurveCount, false, FrameVerdict::WrongLength,
       "wrong length: 8 of 11 bytes"},
      {"long", Fault::Long, 4, Command::ReadVersion, false, FrameVerdict::WrongLength,
       "wrong length: 15 bytes, 11 expected (not taken)"},
      {"checksum", Fault::Checksum, 0, Command::ReadVersion, false, FrameVerdict::BadChecksum, "wrong checksum"},
      {"checksum, unchecked", Fault::Checksum, 0, Command::QueryCurveCount, false,
       FrameVerdict::AcceptedUnchecked, "reply accepted, checksum not checked"},
      {"checksum, checked on request", Fault::Checksum, 0, Command::QueryCurveCount, true,
       FrameVerdict::BadChecksum, "wrong checksum"},
      {"hang-up mid reply", Fault::HangUp, 0, Command::ReadVersion, false, FrameVerdict::PortError,
       "port error: the serial device hung up (unplugged?)"},
      {"oversize packet", Fault::Oversize, 0, Command::ReadGroup, false, FrameVerdict::WrongLength,
       "wrong length: 1009 bytes, 909 expected (as announced; not read)"},
      {"bad packet", Fault::Checksum, 0, Command::ReadGroup, false, FrameVerdict::BadChecksum,
       "wrong checksum (taken, counted as bad)"},
  };
  for (const VerdictCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Seen> seen = Exchange(c);
    ASSERT_GE(seen.size(), 2u);
    const auto code = static_cast<uint8_t>(c.command);
    EXPECT_TRUE(seen[0].sent);
    EXPECT_EQ(seen[0].command, code);
    EXPECT_EQ(seen[0].verdict, FrameVerdict::Sent);
    EXPECT_EQ(seen[0].bytes.size(), 9 * 3 - 1 + (c.command == Command::ReadGroup ? 6 : 0));
    EXPECT_FALSE(seen[1].sent);
    EXPECT_EQ(seen[1].command, code);
    EXPECT_EQ(seen[1].verdict, c.verdict);
    if (c.fault == Fault::HangUp) {
      // How much of the reply is still read after the hang-up is up to the terminal.
      EXPECT_EQ(seen[1].text.rfind(c.text, 0), 0u) << seen[1].text;
    } else {
      EXPECT_EQ(seen[1].text, c.text);
    }
    if (c.verdict == FrameVerdict::NoReply) {
      EXPECT_EQ(seen[1].bytes, "");
    }
    if (c.fault == Fault::HangUp) {
      // The next request finds the line gone.
      ASSERT_EQ(seen.size(), 3u);
      EXPECT_EQ(seen[2].verdict, FrameVerdict::WriteFailed);
      EXPECT_EQ(seen[2].text, "port error: 0 of 9 bytes written, the serial device hung up (unplugged?)");
    } else if (c.command != Command::ReadGroup || c.fault == Fault::Oversize) {
      EXPECT_EQ(seen.size(), 2u);
    }
  }
}

TEST(FrameTrace, OneLineHoldsTimeDirectionBytesCommandAndVerdict) {
  // 2014-05-06 13:05:39.123 in CST-8 (the tests' zone).
  const int64_t at = 1399352739123;
  const std::vector<uint8_t> request = RequestFrame(0, 0x03);
  FrameEvent sent{.timeMs = at, .sent = true, .command = 0x03, .bytes = request, .count = 9, .expected = 9};
  EXPECT_EQ(FrameLine(sent), "13:05:39.123 TX 14 2E 00 00 03 00 00 FF CE | read-version | sent");
  FrameEvent silent{.timeMs = at + 1007, .command = 0x3F, .verdict = FrameVerdict::NoReply, .bytes = {}, .expected = 11};
  EXPECT_EQ(FrameLine(silent), "13:05:40.130 RX | 0x3F | no reply");
}

TEST(FrameTrace, CollectorKeepsTheNewestFramesAndStopsWhenUninstalled) {
  // Frame i carries i % 3 + 1 bytes, the first of them i's low byte.
  auto bytesOf = [](size_t i) { return std::vector<uint8_t>(i % 3 + 1, static_cast<uint8_t>(i)); };
  auto expectFrame = [&](const FrameRecord& record, size_t i) {
    EXPECT_EQ(record.fields.count, i);
    EXPECT_EQ(record.bytes, bytesOf(i)) << i;
  };
  {
    FrameCollector collector;
    collector.Install();
    // Far more than it holds: it drops the oldest in bulk as it goes.
    const size_t total = 2 * FrameCollector::kDefaultCapacity + 3005;
    for (size_t i = 0; i < total; ++i) {
      const std::vector<uint8_t> bytes = bytesOf(i);
      TraceFrame({.command = 0x00, .bytes = bytes, .count = i});
    }
    collector.Uninstall();
    TraceFrame({.command = 0x00, .bytes = {}, .count = 1});
    EXPECT_FALSE(FrameTracing());
    const std::vector<FrameRecord> taken = collector.Take();
    ASSERT_EQ(taken.size(), 10000u);
    expectFrame(taken.front(), total - 10000);
    expectFrame(taken[4321], total - 10000 + 4321);
    expectFrame(taken.back(), total - 1);
    EXPECT_GT(taken.back().fields.timeMs, 0);
    EXPECT_TRUE(collector.Take().empty());

    // The storage handed back is used again, and what it held is gone.
    collector.Install();
    const std::vector<uint8_t> bytes = bytesOf(7);
    TraceFrame({.command = 0x00, .bytes = bytes, .count = 7});
    const std::vector<FrameRecord> again = collector.Take();
    ASSERT_EQ(again.size(), 1u);
    expectFrame(again[0], 7);
  }
  // Its end takes it away as the tracer.
  EXPECT_FALSE(FrameTracing());
}

}  // namespace
}  // namespace kx
