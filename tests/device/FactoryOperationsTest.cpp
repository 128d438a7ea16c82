// Version, address, baud, gear, calibration and alarm operations against the
// simulated device behind an in-memory port: the outcomes the panel cannot easily
// provoke, the calibration table and the alarm encodings. The documented request
// bytes are checked end to end in the panel's tests.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Alarms.h"
#include "link/CommandTable.h"
#include "link/DeviceSettings.h"
#include "link/Frame.h"
#include "link/GearCalibration.h"
#include "link/MemoryPort.h"
#include "sim/VirtualDevice.h"
#include "texts/ChineseTexts.h"

namespace {

using Bytes = std::vector<uint8_t>;

class FactoryOps : public ::testing::Test {
 protected:
  void SetUp() override {
    device.SetAddress(1);
    port.SetResponder([this](std::span<const uint8_t> w) { return device.Respond(w); });
  }
  // The one request the device received.
  Bytes OnlyRequest() const {
    const auto requests = device.Requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? Bytes{} : requests.front();
  }

  kx::VirtualDevice device;
  kx::MemoryPort port;
};

// A port whose reply announces its full length but delivers one byte less
// (bytes vanishing between the count and the read).
class ShortReadPort final : public kx::Port {
 public:
  explicit ShortReadPort(size_t length) : length_(length) {}
  void Purge() override {}
  size_t Write(const uint8_t*, size_t n) override { return n; }
  size_t Read(uint8_t* data, size_t n, int) override {
    const size_t got = n > 0 ? n - 1 : 0;
    std::fill_n(data, got, 0);
    return got;
  }
  size_t WaitForBytes(size_t, int) override { return length_; }
  size_t Queued() override { return length_; }
  kx::LinkError LastError() const override { return kx::LinkError::Timeout; }

 private:
  size_t length_;
};

TEST_F(FactoryOps, FailedReadsMapToTheirOwnMessages) {
  // A 10-byte version reply: the count is wrong ("A"), nothing is read.
  device.SetFault(kx::Fault::Short, 1);
  EXPECT_STREQ(kx::VersionMessage(kx::ReadVersion(port, 1).outcome), "读数据失败！");
  device.SetFault(kx::Fault::Checksum, 1);
  EXPECT_STREQ(kx::VersionMessage(kx::ReadVersion(port, 1).outcome), "校验错!");
  ShortReadPort vanishing(11);
  EXPECT_STREQ(kx::VersionMessage(kx::ReadVersion(vanishing, 1).outcome), "读数据aa失败！");

  device.SetFault(kx::Fault::Silence, 1);
  EXPECT_STREQ(kx::LinkSettingMessage(kx::SetBaud(port, 1, 9600).outcome), "设置失败!");
  EXPECT_STREQ(kx::LinkSettingMessage(kx::SetAddress(vanishing, 1, 3).outcome), "设置失败!");

  // A 9-byte gear-setting reply is a wrong count; a short read is told apart.
  device.SetFault(kx::Fault::Short, 1);
  EXPECT_STREQ(kx::SetGearMessage(kx::SetGear(port, 1, 6).outcome), "设置失败!");
  ShortReadPort vanishing10(10);
  EXPECT_STREQ(kx::SetGearMessage(kx::SetGear(vanishing10, 1, 6).outcome), "操作失败!!");
  EXPECT_STREQ(kx::SetGearMessage(kx::SetGear(port, 1, 6).outcome), "设置成功!");

  device.SetFault(kx::Fault::Short, 1);
  EXPECT_STREQ(kx::ReadGearMessage(kx::ReadGear(port, 1)), "读数据失败!");
  EXPECT_STREQ(kx::ReadGearMessage(kx::ReadGear(vanishing10, 1)), "读数据失败!");
  device.SetFault(kx::Fault::Short, 1);
  EXPECT_STREQ(kx::ReadAlarmMessage(kx::ReadAlarmWord(port, 1).outcome), "读数据失败!");
  device.SetFault(kx::Fault::Long, 1);
  EXPECT_STREQ(kx::SetAlarmMessage(
                   kx::SetAlarm(port, 1, kx::AlarmSetting::Temp2, kx::TempAlarmData(true, 1, 2)).outcome),
               "设置失败!");
}

TEST_F(FactoryOps, BaudRatesGoHighByteFirst) {
  const Bytes expected[] = {{0x04, 0xB0}, {0x09, 0x60}, {0x12, 0xC0}, {0x25, 0x80}, {0x4B, 0x00}, {0x96, 0x00}};
  for (size_t i = 0; i < std::size(kx::kBaudRates); ++i) {
    device.ClearRequests();
    device.SetBaud(9600);
    EXPECT_EQ(kx::SetBaud(port, 1, kx::kBaudRates[i]).outcome, kx::ExchangeOutcome::Ok);
    const Bytes request = OnlyRequest();
    ASSERT_EQ(request.size(), 11u);
    EXPECT_EQ(Bytes(request.begin() + 7, request.begin() + 9), expected[i]) << kx::kBaudRates[i];
    EXPECT_EQ(device.Baud(), kx::kBaudRates[i]);
  }
}

TEST(GearReply, OnlyTheThreeGearsHaveANameAndVersionsTwoDecimals) {
  kx::MemoryPort crafted;
  const uint8_t three[] = {3};
  crafted.QueueReply(kx::RequestFrame(1, 0x01, three));
  const kx::GearReading odd = kx::ReadGear(crafted, 1);
  EXPECT_EQ(odd.outcome, kx::ExchangeOutcome::Ok);
  EXPECT_STREQ(kx::ReadGearMessage(odd), "读取电压档位错误!");
  EXPECT_EQ(kx::GearOfEntry(-1), std::nullopt);
  EXPECT_EQ(kx::GearOfEntry(3), std::nullopt);
  EXPECT_EQ(kx::FormatVersion(130), "Ver1.30");
}

TEST_F(FactoryOps, CalibrationWritesWithoutPurgingAndReportsItsRow) {
  ASSERT_NE(kx::FindCalibrationRow("cell-2v"), nullptr);
  ASSERT_NE(kx::FindCalibrationRow("total-2v"), nullptr);
  EXPECT_EQ(kx::FindCalibrationRow("cell-2V"), nullptr);
  EXPECT_EQ(kx::CalibrationPointOfEntry(-1), std::nullopt);
  EXPECT_EQ(kx::CalibrationPointOfEntry(1), std::optional<uint8_t>(2));
  const kx::CalibrationRow& cell2 = *kx::FindCalibrationRow("cell-2v");
  const kx::CalibrationRow& total2 = *kx::FindCalibrationRow("total-2v");
  const kx::ExchangeResult ok = kx::Calibrate(port, 1, cell2, 1);
  EXPECT_STREQ(kx::CalibrationMessage(cell2, ok.outcome), "校准成功!");
  EXPECT_EQ(port.PurgeCount(), 0u);
  ASSERT_EQ(device.Calibrations().size(), 1u);
  EXPECT_EQ(device.Calibrations()[0].channel, 0x13);
  EXPECT_EQ(device.Calibrations()[0].point, 1);

  device.SetFault(kx::Fault::Silence, 2);
  EXPECT_STREQ(kx::CalibrationMessage(cell2, kx::Calibrate(port, 1, cell2, 2).outcome), "校准失败!");
  EXPECT_STREQ(kx::CalibrationMessage(total2, kx::Calibrate(port, 1, total2, 2).outcome), "校准失败!!");
  ShortReadPort vanishing(11);
  EXPECT_STREQ(kx::CalibrationMessage(total2, kx::Calibrate(vanishing, 1, total2, 1).outcome), "操作失败!!");
  device.SetFault(kx::Fault::Checksum, 1);
  EXPECT_STREQ(kx::CalibrationMessage(total2, kx::Calibrate(port, 1, total2, 1).outcome), "校验错!");
}

TEST(AlarmEncoding, SignAndMagnitude) {
  EXPECT_EQ(kx::EncodeSignMagnitude16(0), 0x0000);
  EXPECT_EQ(kx::EncodeSignMagnitude16(300), 0x012C);
  EXPECT_EQ(kx::EncodeSignMagnitude16(-20), 0x8014);
  EXPECT_EQ(kx::EncodeSignMagnitude16(-300), 0x812C);
  EXPECT_EQ(kx::EncodeSignMagnitude8(55), 0x37);
  EXPECT_EQ(kx::EncodeSignMagnitude8(-10), 0x8A);
  EXPECT_EQ(kx::EncodeSignMagnitude8(-128), 0x00);  // 0x80 + 128 wraps, as a byte does
  EXPECT_EQ(kx::EncodeSignMagnitude8(300), 0x2C);
  // The extremes of what the edits can hold do not overflow.
  EXPECT_EQ(kx::EncodeSignMagnitude16(INT32_MIN), static_cast<uint16_t>(((0x800000u + 0x80) % 256) << 8));
  // Volts: the quotient truncates toward zero, each byte keeps its low bits.
  EXPECT_EQ(kx::VoltAlarmData(true, 70000, -1), (std::array<uint8_t, 5>{1, 0x11, 0x70, 0x00, 0xFF}));
  EXPECT_EQ(kx::CurrentAlarmData(false, 300), (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(kx::TempAlarmData(false, 55, -10), (std::array<uint8_t, 3>{0, 0, 0}));
}

TEST(AlarmWord, DecodedInTheReadOutsOrder) {
  using Texts = std::vector<std::string>;
  EXPECT_EQ(kx::DecodeAlarmWord(0x0181).texts, (Texts{"总电压欠压报警", "总电压过压报警", "温度1高温报警"}));
  EXPECT_EQ(kx::DecodeAlarmWord(0x01FF).texts,
            (Texts{"总电压欠压报警", "总电压过压报警", "总电流过流报警", "温度3低温报警", "温度3高温报警",
                   "温度2低温报警", "温度2高温报警", "温度1低温报警", "温度1高温报警"}));
  EXPECT_TRUE(kx::DecodeAlarmWord(0xFE00).texts.empty());
  EXPECT_EQ(kx::AlarmReport(0x01FF), "总电压欠压报警\n总电压过压报警\n总电流过流报警\n温度3低温报警\n温度3高温报警\n"
                                     "温度2低温报警\n温度2高温报警\n温度1低温报警\n温度1高温报警\n");
  EXPECT_EQ(kx::AlarmReport(0x0000), "报警正常!");
  EXPECT_EQ(kx::AlarmReport(0xFE00), "报警正常!");
  EXPECT_EQ(kx::AlarmReport(0x0040), "总电流过流报警\n");
}

TEST_F(FactoryOps, DeviceRaisesAlarmsFromTheSettingsItWasSent) {
  device.SetNoise(false);
  device.SetTotalVoltage(50.0);
  device.SetTemperature(0, -15.0);
  ASSERT_EQ(kx::SetAlarm(port, 1, kx::AlarmSetting::Volt, kx::VoltAlarmData(true, 48, 40)).outcome,
            kx::ExchangeOutcome::Ok);
  ASSERT_EQ(kx::SetAlarm(port, 1, kx::AlarmSetting::Temp1, kx::TempAlarmData(true, 55, -10)).outcome,
            kx::ExchangeOutcome::Ok);
  const kx::AlarmReading r = kx::ReadAlarmWord(port, 1);
  ASSERT_EQ(r.outcome, kx::ExchangeOutcome::Ok);
  EXPECT_EQ(kx::AlarmReport(r.word), "总电压过压报警\n温度1低温报警\n");

  // Switched off, the same band raises nothing.
  ASSERT_EQ(kx::SetAlarm(port, 1, kx::AlarmSetting::Volt, kx::VoltAlarmData(false, 48, 40)).outcome,
            kx::ExchangeOutcome::Ok);
  EXPECT_EQ(kx::AlarmReport(kx::ReadAlarmWord(port, 1).word), "温度1低温报警\n");
}

}  // namespace
