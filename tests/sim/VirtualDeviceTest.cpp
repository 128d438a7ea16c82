#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <vector>

#include "link/CommandTable.h"
#include "link/Exchange.h"
#include "link/Frame.h"
#include "link/MemoryPort.h"
#include "sim/VirtualDevice.h"

namespace kx {
namespace {

// The device behind a MemoryPort: each request written is answered at once. Its
// time stands still unless a test moves it on.
class VirtualDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port.SetResponder([this](std::span<const uint8_t> request) { return device.Respond(request); });
    device.SetNow([this] { return now; });
  }

  ExchangeResult Ask(Command c, std::vector<uint8_t> data = {}, int address = 0) {
    return Transact(port, address, c, data);
  }
  // One curve download as the panel does it: packets until one is not full.
  std::vector<uint8_t> Download(int group, int* packets = nullptr) {
    const std::vector<uint8_t> data{uint8_t(group), 0};
    std::vector<uint8_t> image;
    int count = 0;
    for (;;) {
      ExchangeResult header = Ask(Command::ReadGroup, data);
      EXPECT_EQ(header.outcome, ExchangeOutcome::Ok);
      if (header.outcome != ExchangeOutcome::Ok) break;
      const size_t length = BigEndian16(header.reply, 5);
      std::vector<uint8_t> rest(length + 2);
      EXPECT_EQ(port.Read(rest.data(), rest.size()), rest.size());
      ++count;
      image.insert(image.end(), rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(length));
      if (length != kGroupPacketFull) break;
    }
    if (packets) *packets = count;
    return image;
  }

  std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
  VirtualDevice device;
  MemoryPort port;
};

TEST_F(VirtualDeviceTest, AcquisitionCarriesPlausibleScaledValues) {
  const ExchangeResult r = Ask(Command::Acquire);
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  ASSERT_EQ(r.reply.size(), 109u);
  EXPECT_EQ(BigEndian16(r.reply, 5), 100);
  double sum = 0;
  for (int k = 0; k < 40; ++k) {
    const double v = BigEndian16(r.reply, 7 + 2 * k) * 17.0 / 32768;
    EXPECT_NEAR(v, 3.3, 0.05) << "cell " << k + 1;
    sum += v;
  }
  EXPECT_NEAR(BigEndian16(r.reply, 87) * 600.0 / 32768, sum, 0.5);
  EXPECT_NEAR(BigEndian16(r.reply, 89) * 1000.0 / 32768 - 500, 12.5, 0.5);
  for (int t = 0; t < 3; ++t) EXPECT_NEAR(BigEndian16(r.reply, 91 + 2 * t) * 125.0 / 32768 - 25, 25, 1.0);
  EXPECT_NEAR(BigEndian16(r.reply, 97) * 5.0 / 32768, 2.5, 0.01);
}

// A unit wired wrong, each way over its span of readings: a cell lost from reading
// 2 to 3, one stuck while the rest swing, a total off the cells, an alarm raised.
TEST_F(VirtualDeviceTest, MisbehavesOverItsSpansOfReadings) {
  device.SetNoise(false);
  device.SetAllCells(3.3);
  device.LoseCell(16, 2, 4);
  device.SetStuckCell(4);
  device.SetTotalOffset(5.0);
  device.RaiseAlarm(0x80, 2);
  auto cell = [](const ExchangeResult& r, int k) { return BigEndian16(r.reply, 7 + 2 * k); };
  std::vector<ExchangeResult> replies;
  std::vector<uint16_t> words;
  for (int n = 1; n <= 25; ++n) {
    replies.push_back(Ask(Command::Acquire));
    ASSERT_EQ(replies.back().outcome, ExchangeOutcome::Ok);
    words.push_back(BigEndian16(Ask(Command::ReadAlarm).reply, 7));
  }
  EXPECT_EQ(device.Acquisitions(), 25);
  for (size_t n = 0; n < replies.size(); ++n) {
    EXPECT_EQ(cell(replies[n], 16) == 0, n == 1 || n == 2) << "reading " << n + 1;
    EXPECT_EQ(cell(replies[n], 4), VirtualDevice::CellRaw(3.3));
    EXPECT_EQ(words[n], n == 0 ? 0 : 0x80);
  }
  // The others swing by 3 % over 20 readings; the total counts the lost cell and is 5 % high.
  const double low = cell(replies[0], 0), high = cell(replies[19], 0);
  EXPECT_NEAR(high / low, 1.03 / 0.973, 0.005);
  double sum = 0;
  for (int k = 0; k < 40; ++k) sum += cell(replies[1], k == 16 ? 0 : k) * 17.0 / 32768;
  EXPECT_NEAR(BigEndian16(replies[1].reply, 87) * 600.0 / 32768, sum * 1.05, 0.05);
}

TEST_F(VirtualDeviceTest, ValuesFollowTheSettingsWithoutNoise) {
  device.SetNoise(false);
  device.SetAllCells(8.5);
  device.SetTotalVoltage(75.0);
  device.SetCurrent(0.0);
  device.SetTemperature(0, -25.0);
  device.SetTemperature(1, 100.0);
  device.SetAnalogue(1, 5.0);
  const ExchangeResult r = Ask(Command::Acquire);
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(BigEndian16(r.reply, 7), 0x4000);
  EXPECT_EQ(BigEndian16(r.reply, 85), 0x4000);
  EXPECT_EQ(BigEndian16(r.reply, 87), 0x1000);
  EXPECT_EQ(BigEndian16(r.reply, 89), 0x4000);
  EXPECT_EQ(BigEndian16(r.reply, 91), 0);
  EXPECT_EQ(BigEndian16(r.reply, 93), 0x8000);
  EXPECT_EQ(BigEndian16(r.reply, 99), 0x8000);
  for (int i = 101; i < 107; ++i) EXPECT_EQ(r.reply[i], 0);
}

TEST_F(VirtualDeviceTest, ScalingHelpers) {
  EXPECT_EQ(VirtualDevice::CellRaw(17.0), 0x8000);
  EXPECT_EQ(VirtualDevice::TotalRaw(600.0), 0x8000);
  EXPECT_EQ(VirtualDevice::CurrentRaw(-500.0), 0);
  EXPECT_EQ(VirtualDevice::CurrentRaw(500.0), 0x8000);
  EXPECT_EQ(VirtualDevice::TemperatureRaw(100.0), 0x8000);
  EXPECT_EQ(VirtualDevice::AnalogueRaw(2.5), 0x4000);
  EXPECT_EQ(VirtualDevice::CellRaw(40.0), 0xFFFF);  // clamped, never wrapped
  EXPECT_EQ(VirtualDevice::CellRaw(-1.0), 0);
}

TEST_F(VirtualDeviceTest, GearIsKept) {
  ExchangeResult r = Ask(Command::ReadGear);
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[7], 6);
  r = Ask(Command::SetGear, {12});
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[7], 0xFF);
  EXPECT_EQ(Ask(Command::ReadGear).reply[7], 12);
  r = Ask(Command::SetGear, {3});  // no such gear: refused, kept
  EXPECT_EQ(r.reply[7], 0x00);
  EXPECT_EQ(Ask(Command::ReadGear).reply[7], 12);
  EXPECT_EQ(device.Gear(), 12);
}

TEST_F(VirtualDeviceTest, VersionIsRaw130) {
  const ExchangeResult r = Ask(Command::ReadVersion);
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(BigEndian16(r.reply, 7), 130);
  device.SetVersionRaw(0xFFFF);
  EXPECT_EQ(BigEndian16(Ask(Command::ReadVersion).reply, 7), 0xFFFF);
}

TEST_F(VirtualDeviceTest, AlarmSettingsRaiseAlarmBits) {
  device.SetNoise(false);
  device.SetAllCells(3.3);  // 132 V in all
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), 0);

  // Over-voltage 60, under-voltage 40: 132 V is over.
  ASSERT_EQ(Ask(Command::SetVoltAlarm, {0x01, 0x00, 0x3C, 0x00, 0x28}).reply[7], 0xFF);
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), 1u << 7);
  // Under-voltage 200: now under (and still over 60).
  Ask(Command::SetVoltAlarm, {0x01, 0x00, 0x3C, 0x00, 0xC8});
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), (1u << 8) | (1u << 7));
  Ask(Command::SetVoltAlarm, {0, 0, 0, 0, 0});  // switched off

  device.SetCurrent(30.0);
  Ask(Command::SetCurrentAlarm, {0x01, 0x80, 0x14});  // -20 A: magnitude 20 exceeded
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), 1u << 6);
  EXPECT_EQ(device.Alarms().overCurrent, -20);
  Ask(Command::SetCurrentAlarm, {0x01, 0x01, 0x2C});  // 300 A
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), 0);

  device.SetTemperature(0, 60);
  Ask(Command::SetTemp1Alarm, {0x01, 0x37, 0x8A});  // 55 / -10
  EXPECT_EQ(device.Alarms().tempLow[0], -10);
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), 1u << 0);
  device.SetTemperature(2, -5);
  Ask(Command::SetTemp3Alarm, {0x01, 0x28, 0x00});  // 40 / 0
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), (1u << 0) | (1u << 5));
  Ask(Command::SetTemp2Alarm, {0x01, 0x14, 0x1E});  // 20 / 30: 25.5 is both above and below
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), (1u << 0) | (1u << 2) | (1u << 3) | (1u << 5));

  device.SetAlarmWordOverride(0x0181);
  EXPECT_EQ(BigEndian16(Ask(Command::ReadAlarm).reply, 7), 0x0181);
}

TEST_F(VirtualDeviceTest, ClockRunsFromWhenItWasSet) {
  uint8_t stamp[7];
  EncodeBcdDateTime({2014, 5, 6, 9, 3, 7}, stamp);
  ExchangeResult r = Ask(Command::SetClock, std::vector<uint8_t>(stamp, stamp + 7));
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[7], 0xFF);
  r = Ask(Command::ReadClock);
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  const BcdDateTime t = DecodeBcdDateTime(r.reply.data() + 7);
  EXPECT_EQ(t.year, 2014);
  EXPECT_EQ(t.month, 5);
  EXPECT_EQ(t.day, 6);
  EXPECT_EQ(t.hour, 9);
  EXPECT_EQ(t.minute, 3);
  EXPECT_EQ(t.second, 7);
  now += std::chrono::seconds(65);  // it runs on from there
  const BcdDateTime later = DecodeBcdDateTime(Ask(Command::ReadClock).reply.data() + 7);
  EXPECT_EQ(later.hour * 3600 + later.minute * 60 + later.second, 9 * 3600 + 4 * 60 + 12);

  EncodeBcdDateTime({2014, 13, 6, 9, 3, 7}, stamp);  // month 13: refused
  EXPECT_EQ(Ask(Command::SetClock, std::vector<uint8_t>(stamp, stamp + 7)).reply[7], 0x00);
}

TEST_F(VirtualDeviceTest, CurveCountsCanBeSet) {
  ExchangeResult r = Ask(Command::QueryCurveCount);
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[7], 5);
  EXPECT_EQ(r.reply[8], 0);
  device.SetCurveCounts(3, 1);
  r = Ask(Command::QueryCurveCount);
  EXPECT_EQ(r.reply[7], 3);
  EXPECT_EQ(r.reply[8], 1);
}

TEST_F(VirtualDeviceTest, GroupsArriveInPacketsOf900) {
  const std::vector<StoredGroup> groups = device.Groups();
  ASSERT_EQ(groups.size(), 5u);
  int packets = 0;
  EXPECT_EQ(Download(1, &packets), groups[0].image);
  EXPECT_EQ(groups[0].image.size(), 22251u);  // 250 points
  EXPECT_EQ(packets, 25);                     // 24 of 900 and one of 651
  EXPECT_EQ(Download(3, &packets), groups[2].image);
  EXPECT_EQ(packets, 2);
  EXPECT_EQ(Download(4, &packets), groups[3].image);
  EXPECT_EQ(groups[3].image.size(), 1u + 89 * 255);
  EXPECT_EQ(Download(5, &packets), groups[4].image);  // the capacity test
  EXPECT_EQ(groups[4].image.size(), 1u + 89 * 220);
}

TEST_F(VirtualDeviceTest, MultipleOf900NeedsAnEmptyFinalPacket) {
  const std::vector<StoredGroup> groups = device.Groups();
  ASSERT_EQ(groups[1].image.size(), 8100u);  // 91 points: 9 x 900
  int packets = 0;
  EXPECT_EQ(Download(2, &packets), groups[1].image);
  EXPECT_EQ(packets, 10);
  // The request was the same 11 bytes every time.
  const auto requests = device.Requests();
  ASSERT_EQ(requests.size(), 10u);
  for (const auto& r : requests) EXPECT_EQ(r, RequestFrame(0, 0x08, std::vector<uint8_t>{2, 0}));
}

TEST_F(VirtualDeviceTest, AbandonedDownloadStartsOverAfterAnotherCommand) {
  const std::vector<uint8_t> request = RequestFrame(0, 0x08, std::vector<uint8_t>{1, 0});
  const std::vector<uint8_t> first = device.Respond(request);
  Ask(Command::QueryCurveCount);
  EXPECT_EQ(device.Respond(request), first);
}

TEST_F(VirtualDeviceTest, AbandonedDownloadIsForgottenAfterAnIdleSpell) {
  device.SetTransferIdleMs(100);
  const std::vector<uint8_t> request = RequestFrame(0, 0x08, std::vector<uint8_t>{1, 0});
  const std::vector<uint8_t> first = device.Respond(request);
  now += std::chrono::milliseconds(100);
  EXPECT_NE(device.Respond(request), first);  // still the same download
  now += std::chrono::milliseconds(101);
  EXPECT_EQ(device.Respond(request), first);  // started over
}

TEST_F(VirtualDeviceTest, IdleSpellStartsWhenAPacedPacketIsOffTheLine) {
  // 909 bytes at 1200 baud take 7.575 s to send; a request that comes long after
  // the packet was planned but soon after it was sent continues the download.
  device.SetTransferIdleMs(100);
  device.SetBaud(1200);
  device.SetPacing(true);
  const std::vector<uint8_t> request = RequestFrame(0, 0x08, std::vector<uint8_t>{1, 0});
  const std::vector<uint8_t> first = device.Respond(request);
  now += std::chrono::milliseconds(7575 + 100);
  const std::vector<uint8_t> second = device.Respond(request);
  ASSERT_EQ(second.size(), kFrameOverhead + kGroupPacketFull);
  EXPECT_NE(second, first);
  EXPECT_TRUE(std::equal(second.begin() + 7, second.end() - 2, device.Groups()[0].image.begin() + 900));
  now += std::chrono::milliseconds(7575 + 101);
  EXPECT_EQ(device.Respond(request), first);
}

TEST_F(VirtualDeviceTest, GroupsHoldRealisticRecords) {
  const StoredGroup g = VirtualDevice::MakeGroup(1400000000, 3, 7);
  ASSERT_EQ(g.image.size(), 1u + 89 * 3);
  EXPECT_EQ(g.image[0], 3);
  const BcdDateTime t0 = DecodeBcdDateTime(g.image.data() + 1);
  const BcdDateTime t1 = DecodeBcdDateTime(g.image.data() + 90);
  EXPECT_EQ(t0.year, 2014);
  EXPECT_EQ((t1.minute - t0.minute + 60) % 60, 1);  // one record a minute
  EXPECT_EQ(g.date.year, t0.year);
  EXPECT_EQ(g.date.second, t0.second);
  double sum = 0;
  for (int c = 0; c < 40; ++c) {
    const double v = BigEndian16(g.image, 1 + 7 + 2 * c) * 17.0 / 32768;
    EXPECT_NEAR(v, 3.38, 0.06);
    sum += v;
  }
  EXPECT_NEAR(BigEndian16(g.image, 1 + 7 + 80) * 600.0 / 32768, sum, 0.05);
  EXPECT_EQ(VirtualDevice::MakeGroup(0, 300, 1).image[0], 255);  // at most 255 points
}

TEST_F(VirtualDeviceTest, GroupDateAndUnknownGroups) {
  ExchangeResult r = Ask(Command::ReadGroupDate, {1});
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  const BcdDateTime d = DecodeBcdDateTime(r.reply.data() + 7);
  const BcdDateTime expected = device.Groups()[0].date;
  EXPECT_EQ(d.year, expected.year);
  EXPECT_EQ(d.minute, expected.minute);
  r = Ask(Command::ReadGroupDate, {9});
  EXPECT_EQ(r.reply.size(), 16u);
  int packets = 0;
  EXPECT_TRUE(Download(9, &packets).empty());
  EXPECT_EQ(packets, 1);
}

TEST_F(VirtualDeviceTest, ClearErasesGroups) {
  const ExchangeResult r = Ask(Command::ClearCurves);
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[7], 0xFF);
  EXPECT_TRUE(device.Groups().empty());
  EXPECT_EQ(Ask(Command::QueryCurveCount).reply[7], 0);
}

TEST_F(VirtualDeviceTest, AddressChangeIsAnsweredAtTheOldAddress) {
  ExchangeResult r = Ask(Command::SetAddress, {5});
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(r.reply[3], 0);  // the reply still comes from address 0
  EXPECT_EQ(device.Address(), 5);
  EXPECT_EQ(Ask(Command::ReadGear).outcome, ExchangeOutcome::WrongCount);  // address 0: silence
  EXPECT_EQ(Ask(Command::ReadGear, {}, 5).outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(Ask(Command::ReadGear, {}, 5 + 256).outcome, ExchangeOutcome::Ok);  // low byte only
}

TEST_F(VirtualDeviceTest, BaudChangeIsAnsweredAtTheOldRate) {
  const ExchangeResult r = Ask(Command::SetBaud, {0x96, 0x00});
  ASSERT_EQ(r.outcome, ExchangeOutcome::Ok);
  EXPECT_EQ(BigEndian16(r.reply, 7), 38400);
  EXPECT_EQ(device.Baud(), 38400);
  EXPECT_TRUE(device.Answer(RequestFrame(0, 0x01), 9600).bytes.empty());
  EXPECT_EQ(device.Answer(RequestFrame(0, 0x01), 38400).bytes.size(), 10u);
  // A rate it cannot take: no answer, no change.
  EXPECT_EQ(Ask(Command::SetBaud, {0xE1, 0x00}).outcome, ExchangeOutcome::WrongCount);
  EXPECT_EQ(device.Baud(), 38400);
}

TEST_F(VirtualDeviceTest, CalibrationEchoesChannelAndPoint) {
  device.SetCalibrationDelayMs(2000);
  const ReplyPlan plan = device.Answer(RequestFrame(0, 0x21, std::vector<uint8_t>{0x30, 0x02}));
  ASSERT_EQ(plan.bytes.size(), 11u);
  EXPECT_EQ(plan.bytes[7], 0x30);
  EXPECT_EQ(plan.bytes[8], 0x02);
  EXPECT_EQ(plan.delayMs, 2000);
  EXPECT_TRUE(ReplyChecksumOk(plan.bytes));
  ASSERT_EQ(device.Calibrations().size(), 1u);
  EXPECT_EQ(device.Calibrations()[0].channel, 0x30);
}

TEST_F(VirtualDeviceTest, IgnoresWhatItWouldNotHear) {
  EXPECT_EQ(Ask(Command::ReadGear, {}, 7).outcome, ExchangeOutcome::WrongCount);  // another address
  std::vector<uint8_t> bad = RequestFrame(0, 0x01);
  bad.back() ^= 1;
  EXPECT_TRUE(device.Respond(bad).empty());                                        // bad checksum
  EXPECT_TRUE(device.Respond(RequestFrame(0, 0x05)).empty());                      // unused code
  EXPECT_TRUE(device.Respond(RequestFrame(0, 0x01, std::vector<uint8_t>{1})).empty());  // wrong n
  EXPECT_TRUE(device.Respond(std::vector<uint8_t>{0x14, 0x2E}).empty());
  EXPECT_EQ(device.RequestCount(), 5u);  // all recorded, as received
}

// The command table's reply lengths are what the unit sends.
TEST_F(VirtualDeviceTest, EveryCommandIsAnsweredWithTheTablesReplyLength) {
  for (const CommandInfo& info : CommandTable()) {
    std::vector<uint8_t> data(static_cast<size_t>(info.requestDataLength), 0);
    if (info.code == Command::SetBaud) data = {0x25, 0x80};
    if (info.code == Command::SetClock) data = {0x20, 0x14, 0x01, 0x01, 0, 0, 0};
    if (info.code == Command::ReadGroup || info.code == Command::ReadGroupDate) data[0] = 3;
    if (info.code == Command::SetAddress) data[0] = 0;
    const std::vector<uint8_t> reply = device.Respond(RequestFrame(0, static_cast<uint8_t>(info.code), data));
    SCOPED_TRACE(info.name);
    ASSERT_GE(reply.size(), kFrameOverhead);
    if (info.code == Command::ReadGroup) {  // the table has the header; the payload follows it
      EXPECT_EQ(static_cast<size_t>(info.replyLength), kFrameHeaderSize);
      EXPECT_EQ(reply.size(), kFrameOverhead + BigEndian16(reply, 5));
    } else {
      EXPECT_EQ(reply.size(), static_cast<size_t>(info.replyLength));
    }
    EXPECT_TRUE(ReplyChecksumOk(reply));
    EXPECT_EQ(reply[4], static_cast<uint8_t>(info.code));
  }
}

TEST_F(VirtualDeviceTest, FaultsDoWhatTheySay) {
  device.SetFault(Fault::Silence, 1);
  EXPECT_EQ(Ask(Command::ReadGear).outcome, ExchangeOutcome::WrongCount);
  EXPECT_EQ(Ask(Command::ReadGear).outcome, ExchangeOutcome::Ok);  // next reply only

  device.SetFault(Fault::Short, 1, 3);
  EXPECT_EQ(device.Respond(RequestFrame(0, 0x0A)).size(), 13u);
  device.SetFault(Fault::Long, 1, 5);
  EXPECT_EQ(device.Respond(RequestFrame(0, 0x0A)).size(), 21u);
  device.SetFault(Fault::Checksum, 1);
  EXPECT_EQ(Ask(Command::ReadVersion).outcome, ExchangeOutcome::BadChecksum);

  device.SetFault(Fault::Silence, VirtualDevice::kAlways, 0, -1, 0x03);  // only the version read
  EXPECT_EQ(Ask(Command::ReadVersion).outcome, ExchangeOutcome::WrongCount);
  EXPECT_EQ(Ask(Command::ReadVersion).outcome, ExchangeOutcome::WrongCount);
  EXPECT_EQ(Ask(Command::ReadGear).outcome, ExchangeOutcome::Ok);
  device.ClearFaults();
  EXPECT_EQ(Ask(Command::ReadVersion).outcome, ExchangeOutcome::Ok);

  device.SetFault(Fault::Oversize, 1, 1000);
  std::vector<uint8_t> packet = device.Respond(RequestFrame(0, 0x08, std::vector<uint8_t>{1, 0}));
  EXPECT_EQ(BigEndian16(packet, 5), 1000);
  EXPECT_EQ(packet.size(), 1009u);
  packet = device.Respond(RequestFrame(0, 0x08, std::vector<uint8_t>{1, 0}));
  EXPECT_EQ(BigEndian16(packet, 5), 900);

  device.SetFault(Fault::Slow, 1, 1200);
  device.SetFault(Fault::Gap, 1, 1500, 4);
  device.SetFault(Fault::Delay, 1, 700);
  device.SetFault(Fault::HangUp, 1, 6);
  device.SetPacing(true);
  const ReplyPlan plan = device.Answer(RequestFrame(0, 0x01));
  EXPECT_EQ(plan.byteGapMs, 1200);
  EXPECT_EQ(plan.gapMs, 1500);
  EXPECT_EQ(plan.gapAt, 4u);
  EXPECT_EQ(plan.delayMs, 700);
  ASSERT_TRUE(plan.hangUpAfter.has_value());
  EXPECT_EQ(*plan.hangUpAfter, 6u);
  EXPECT_EQ(plan.paceBaud, 9600);
  const ReplyPlan next = device.Answer(RequestFrame(0, 0x01));
  EXPECT_EQ(next.byteGapMs, 0);
  EXPECT_FALSE(next.hangUpAfter.has_value());
}

}  // namespace
}  // namespace kx
