#include <ctime>

#include "PanelFixture.h"
#include "curves/CurveGroup.h"
#include "link/Exchange.h"

namespace {

using namespace kx::panel::ids;

class Clock : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    panel->SetWaitScale(0.05);
  }

  // Fixes the PC's clock at a local calendar time (TZ is pinned by the test main).
  void PcTime(int year, int month, int day, int hour, int minute, int second) {
    const int64_t now = kx::MakeLocalTime(year, month, day, hour, minute, second);
    panel->SetClockSource([this, now] {
      ++clockReadings;
      return now;
    });
  }

  QString ReadOut() const { return Static(kStaticDeviceTime)->text(); }
  int clockReadings = 0;
};

TEST_F(Clock, SetsTheDeviceFromOneReadingOfThePcClockAndReadsItBack) {
  PcTime(2025, 12, 31, 23, 59, 59);
  Edit(kEditAddress)->setText("1");
  device->SetAddress(1);

  IconButton(kBtnSetTime)->click();

  EXPECT_EQ(clockReadings, 1);
  EXPECT_EQ(prompts.Texts(), QStringList({"设置系统时间成功:2025-12-31 23:59:59"}));
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0], (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x01, 0x04, 0x00, 0x07, 0x20, 0x25, 0x12,
                                                 0x31, 0x23, 0x59, 0x59, 0xFE, 0x68}));
  EXPECT_EQ(Probe().Port(), nullptr);

  PcTime(2014, 5, 6, 9, 3, 7);
  IconButton(kBtnSetTime)->click();
  prompts.Clear();
  Button(kBtnReadTime)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  // The device clock runs on from the time set; a second or two may pass.
  EXPECT_TRUE(ReadOut().startsWith(QStringLiteral("2014年-5月-6日-9时-3分-"))) << ReadOut().toStdString();
  EXPECT_EQ(Requests().back(), (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x01, 0x0A, 0x00, 0x00, 0xFF, 0xC6}));
  EXPECT_EQ(Probe().Port(), nullptr);
}

TEST_F(Clock, SetClockFailuresAreReported) {
  PcTime(2020, 2, 29, 12, 0, 0);
  // The acknowledge's checksum is not examined.
  device->SetFault(kx::Fault::Checksum, 1);
  IconButton(kBtnSetTime)->click();
  device->SetFault(kx::Fault::Short, 1);
  IconButton(kBtnSetTime)->click();
  device->SetFault(kx::Fault::Silence, 1);
  IconButton(kBtnSetTime)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"设置系统时间成功:2020-02-29 12:00:00", "设置系统时间失败",
                                          "设置系统时间失败"}));
  EXPECT_EQ(Probe().Port(), nullptr);

  // A port that cannot be opened is said aloud, and nothing is sent.
  prompts.Clear();
  const size_t sent = device->RequestCount();
  Edit(kEditPort)->setText("7");
  IconButton(kBtnSetTime)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"没有发现此串口或此串口被占用"}));
  EXPECT_EQ(device->RequestCount(), sent);
}

TEST_F(Clock, ReadFailuresLeaveTheReadOutAlone) {
  const QString before = ReadOut();
  device->SetFault(kx::Fault::Checksum, 1);
  Button(kBtnReadTime)->click();
  device->SetFault(kx::Fault::Silence, 1);
  Button(kBtnReadTime)->click();
  device->SetFault(kx::Fault::Short, 1);
  Button(kBtnReadTime)->click();
  Edit(kEditPort)->setText("7");
  Button(kBtnReadTime)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"校验错!", "读取时间!", "读取时间!", "没有发现此串口或此串口被占用"}));
  EXPECT_EQ(ReadOut(), before);
  EXPECT_EQ(Probe().Port(), nullptr);
}

TEST_F(Clock, ContinuousAcquisitionBlocksBothClockOperations) {
  PcTime(2024, 1, 1, 0, 0, 0);
  IconButton(kBtnContinuous)->click();
  ASSERT_TRUE(panel->IsAcquiring());
  EXPECT_FALSE(Button(kBtnReadTime)->isEnabled());
  const size_t sent = device->RequestCount();

  IconButton(kBtnSetTime)->click();

  EXPECT_EQ(prompts.Texts(), QStringList({"请先停止当前采集!"}));
  EXPECT_EQ(clockReadings, 0);
  EXPECT_EQ(device->RequestCount(), sent);
  EXPECT_NE(Probe().Port(), nullptr);
  IconButton(kBtnContinuous)->click();
  EXPECT_TRUE(Button(kBtnReadTime)->isEnabled());
}

}  // namespace
