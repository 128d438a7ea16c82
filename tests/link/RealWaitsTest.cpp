#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "link/CommandTable.h"
#include "link/CurveTransfer.h"
#include "link/Exchange.h"
#include "link/SerialPort.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx {
namespace {

// Every wait at its real value: the real port with its default time-outs, the
// simulated unit answering a little inside and a little outside each bound. The
// bounds are written here, not read from the table, so that a changed wait fails.
// Each command runs on its own line in parallel, so the whole takes about as long
// as the longest bound.
constexpr int kMarginMs = 150;

struct Expected {
  int boundMs;                   // a reply later than this is not taken
  std::vector<uint8_t> data;     // a request the unit answers without changing its line
};

// Wait commands: the wait itself. Pause-then-read: the pause plus 50 ms a byte plus
// 50 ms. Read at once: 50 ms a byte plus 50 ms.
const std::map<Command, Expected>& Bounds() {
  static const std::map<Command, Expected> bounds{
      {Command::Acquire, {1000, {}}},
      {Command::ReadGear, {1000, {}}},
      {Command::ReadAlarm, {1000, {}}},
      {Command::ReadVersion, {500, {}}},
      {Command::SetClock, {50 + 10 * 50 + 50, {0x24, 0x03, 0x15, 0x10, 0x20, 0x30, 0x05}}},
      {Command::QueryCurveCount, {50 + 11 * 50 + 50, {}}},
      {Command::ReadGroup, {50 + 7 * 50 + 50, {1, 0}}},
      {Command::ReadGroupDate, {50 + 16 * 50 + 50, {1}}},
      {Command::ReadClock, {1000, {}}},
      {Command::ClearCurves, {10 * 50 + 50, {}}},
      {Command::SetAddress, {1000, {0}}},
      {Command::SetBaud, {1000, {0x25, 0x80}}},
      {Command::SetVoltAlarm, {500, {1, 0, 60, 0, 40}}},
      {Command::SetCurrentAlarm, {500, {1, 0, 50}}},
      {Command::SetTemp1Alarm, {500, {1, 60, 0}}},
      {Command::SetTemp2Alarm, {500, {1, 60, 0}}},
      {Command::SetTemp3Alarm, {500, {1, 60, 0}}},
      {Command::SetGear, {1000, {6}}},
  };
  return bounds;
}

// One command on its own simulated line: a reply delayed to bound - margin must be
// taken, one delayed to bound + margin must not. Returns what went wrong ("" if nothing).
std::string CheckBound(const CommandInfo& info, const Expected& expected) {
  VirtualDevice device;
  device.SetGroups(VirtualDevice::DefaultGroups(std::time(nullptr)));
  SimHost host(device);
  if (!host.Start()) return "no pseudo-terminal";
  SerialPort port;
  if (port.Open(host.Path(), 9600) != LinkError::None) return "open failed";  // default time-outs
  const std::string name = info.name;
  std::string failures;

  device.SetFault(Fault::Delay, 1, expected.boundMs - kMarginMs);
  const ExchangeResult inside = Transact(port, 0, info.code, expected.data);
  if (inside.outcome != ExchangeOutcome::Ok) failures += name + ": a reply inside the bound was not taken; ";

  // What the inside reply left queued (a packet's payload) must not answer the next request.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  port.Purge();
  device.SetFault(Fault::Delay, 1, expected.boundMs + kMarginMs);
  const ExchangeResult outside = Transact(port, 0, info.code, expected.data);
  const ExchangeOutcome late =
      info.await == Await::Wait ? ExchangeOutcome::WrongCount : ExchangeOutcome::ShortRead;
  if (outside.outcome != late || outside.count.received != 0) {
    failures += name + ": a reply outside the bound was waited for; ";
  }
  return failures;
}

TEST(RealWaitsTest, EveryCommandWaitsItsOwnTimeAndNoLonger) {
  std::vector<std::future<std::string>> runs;
  for (const CommandInfo& info : CommandTable()) {
    // The calibration waits (5 s and 30 s) are too long for the suite; the channel
    // rule is checked in the exchange tests.
    if (info.code == Command::Calibrate) continue;
    const auto it = Bounds().find(info.code);
    if (it == Bounds().end()) {
      ADD_FAILURE() << info.name << " has no expected wait here";
      continue;
    }
    runs.push_back(std::async(std::launch::async, CheckBound, std::cref(info), std::cref(it->second)));
  }
  for (auto& run : runs) {
    const std::string failures = run.get();
    EXPECT_TRUE(failures.empty()) << failures;
  }
}

// The read interval time-out (1000 ms between two bytes) ends a packet read, whose
// total time-out (50 ms a byte) is far longer; a pause shorter than it does not.
// Paced too, where the read sleeps through the packet's line time: the pause is
// still timed from its start.
TEST(RealWaitsTest, APauseInsideAPacketEndsTheReadOnlyPastTheInterval) {
  auto download = [](int pauseMs, bool paced) {
    VirtualDevice device;
    // One packet of 891 bytes: about 0.9 s on the line, the pause after its 300th byte.
    device.SetGroups({VirtualDevice::MakeGroup(std::time(nullptr) - 600, 10, 1)});
    device.SetPacing(paced);
    SimHost host(device);
    if (!host.Start()) return GroupImageOutcome::WriteFailed;
    SerialPort port;
    if (port.Open(host.Path(), 9600) != LinkError::None) return GroupImageOutcome::WriteFailed;
    device.SetFault(Fault::Gap, 1, pauseMs, 300, static_cast<uint8_t>(Command::ReadGroup));
    std::vector<uint8_t> image;
    return ReadGroupImage(port, 0, 1, image);
  };
  for (const bool paced : {false, true}) {
    auto inside = std::async(std::launch::async, download, 1000 - kMarginMs, paced);
    auto outside = std::async(std::launch::async, download, 1000 + kMarginMs, paced);
    EXPECT_EQ(inside.get(), GroupImageOutcome::Ok) << (paced ? "paced" : "unpaced");
    EXPECT_EQ(outside.get(), GroupImageOutcome::ShortPayload) << (paced ? "paced" : "unpaced");
  }
}

}  // namespace
}  // namespace kx
