// The factory gate, device identity and link settings, range gear, calibration
// and alarm registers, driven through the panel's buttons against the simulated
// device on a pseudo-terminal.

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>

#include "PanelFixture.h"
#include "link/Exchange.h"
#include "panel/Layout.h"
#include "panel/PasswordDlg.h"

namespace {

using namespace kx::panel::ids;

using Bytes = std::vector<uint8_t>;

// The eight calibrations in the strip's order: point lists, buttons, channels.
constexpr int kPointLists[] = {kComboCalCell2V,  kComboCalCell6V,  kComboCalCell12V, kComboCalTotal2V,
                               kComboCalTotal6V, kComboCalTotal12V, kComboCalTemp,   kComboCalCurrent};
constexpr int kCalibrateButtons[] = {kBtnCalCell2V,  kBtnCalCell6V,   kBtnCalCell12V, kBtnCalTotal2V,
                                     kBtnCalTotal6V, kBtnCalTotal12V, kBtnCalTemp,    kBtnCalCurrent};
constexpr uint8_t kChannels[] = {0x13, 0x12, 0x11, 0x23, 0x22, 0x21, 0x30, 0x40};

class FactoryPanel : public PanelFixture {
 protected:
  // Talk to the device at address 1, as the documented examples do.
  void AtAddressOne() {
    device->SetAddress(1);
    Edit(kEditAddress)->setText("1");
  }
  void Click(int id) { Button(id)->click(); }
  void Choose(int comboId, int index) { Combo(comboId)->setCurrentIndex(index); }
  // Continuous acquisition's state as the busy rule sees it.
  void PretendAcquiring() { Probe().Continuous() = 1; }
  Bytes LastRequest() const {
    const auto requests = Requests();
    return requests.empty() ? Bytes{} : requests.back();
  }
  // The data bytes of the last request.
  Bytes LastData() const {
    const Bytes r = LastRequest();
    return r.size() < 9 ? Bytes{} : Bytes(r.begin() + 7, r.end() - 2);
  }
  Bytes OnlyRequest() const {
    const auto requests = Requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? Bytes{} : requests.back();
  }
  // Answers the password dialog by typing text and pressing "确认".
  void TypePassword(const QString& text) {
    prompts.onExec = [text](QDialog& dialog) {
      dialog.findChild<QLineEdit*>(QString::number(kEditPassword))->setText(text);
      dialog.findChild<QPushButton*>(QString::number(kButtonOk))->click();
      return dialog.result();
    };
  }
  QSize FullSize() const { return Probe().WindowRect().size(); }
  QSize UserSize() const {
    return QSize(kx::panel::UserWidth(Probe().WindowRect().width()), Probe().WindowRect().height());
  }
};

// ------------------------------------------------------------------ gate

TEST_F(FactoryPanel, OnlyTheExactCodeOpensTheFactoryStrip) {
  EXPECT_EQ(FullSize(), QSize(1019, 692));
  EXPECT_EQ(panel->size(), QSize(781, 692));
  for (const char* wrong : {"", " 531790", "531790 ", "53179", "5317900"}) {
    prompts.Clear();
    TypePassword(QString::fromLatin1(wrong));
    panel->OnFactoryMode();
    EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("密码错误!")}) << wrong;
    EXPECT_EQ(Button(kBtnFactoryMode)->text(), QStringLiteral("厂家模式"));
    EXPECT_EQ(panel->size(), UserSize());
  }

  prompts.Clear();
  panel->move(40, 30);
  TypePassword("531790");
  Click(kBtnFactoryMode);
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("操作成功!")});
  EXPECT_EQ(Button(kBtnFactoryMode)->text(), QStringLiteral("用户模式"));
  EXPECT_EQ(panel->size(), FullSize());
  EXPECT_EQ(panel->pos(), QPoint(40, 30));
  // The password dialog came first, under its own caption.
  ASSERT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(prompts.shown[0].kind, QStringLiteral("exec"));
  EXPECT_EQ(prompts.shown[0].caption, QStringLiteral("Nexora"));
}

TEST_F(FactoryPanel, EscapeCancelsSilently) {
  prompts.onExec = [](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QString::number(kEditPassword))->echoMode(), QLineEdit::Password);
    dialog.findChild<QLineEdit*>(QString::number(kEditPassword))->setText("531790");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &esc);
    return dialog.result();
  };
  panel->OnFactoryMode();
  EXPECT_TRUE(prompts.Texts().isEmpty());
  EXPECT_EQ(Button(kBtnFactoryMode)->text(), QStringLiteral("厂家模式"));
  EXPECT_EQ(panel->size(), UserSize());
}

TEST_F(FactoryPanel, TogglingNeverDriftsAndLeavingAsksNothing) {
  TypePassword("531790");
  for (int i = 0; i < 6; ++i) {
    panel->move(10 * i, 5 * i);
    panel->OnFactoryMode();
    EXPECT_EQ(panel->size(), FullSize()) << i;
    prompts.Clear();
    panel->OnFactoryMode();
    EXPECT_EQ(panel->size(), UserSize()) << i;
    EXPECT_EQ(panel->pos(), QPoint(10 * i, 5 * i));
    EXPECT_TRUE(prompts.shown.empty()) << "leaving factory mode shows nothing";
  }
}

TEST_F(FactoryPanel, UserWidthIsTakenFromTheStartUpRectangle) {
  EXPECT_EQ(kx::panel::UserWidth(679), 521);
  EXPECT_EQ(kx::panel::UserWidth(1000), 767);
  Probe().WindowRect().setSize(QSize(1000, 700));
  TypePassword("531790");
  panel->OnFactoryMode();
  EXPECT_EQ(panel->size(), QSize(1000, 700));
  panel->OnFactoryMode();
  EXPECT_EQ(panel->size(), QSize(767, 700));
}

// ------------------------------------------------------------------ identity and link

TEST_F(FactoryPanel, VersionGoesToTheStaticsItsButtonNames) {
  AtAddressOne();
  device->SetVersionRaw(0);
  Click(kBtnReadVersion);
  EXPECT_EQ(OnlyRequest(), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x03, 0x00, 0x00, 0xFF, 0xCD}));
  EXPECT_EQ(Static(kStaticVersion)->text(), "Ver0.00");
  EXPECT_EQ(Static(kStaticStatus)->text(), "Ver0.00");
  EXPECT_TRUE(prompts.Texts().isEmpty());

  device->SetVersionRaw(0xFFFF);
  panel->OnVersionClicked();
  EXPECT_EQ(Static(kStaticVersion)->text(), "Ver655.35");
  EXPECT_EQ(Static(kStaticStatus)->text(), "Ver0.00") << "a click on the static leaves the status alone";

  device->ClearRequests();
  PretendAcquiring();
  panel->OnVersionClicked();
  EXPECT_TRUE(Requests().empty());
  EXPECT_TRUE(prompts.Texts().isEmpty());
}

TEST_F(FactoryPanel, FailedVersionReadsLeaveTheReadOut) {
  panel->SetWaitScale(0.05);
  device->SetFault(kx::Fault::Short, 1);  // 10 bytes where 11 are awaited
  Click(kBtnReadVersion);
  device->SetFault(kx::Fault::Checksum, 1);
  Click(kBtnReadVersion);
  EXPECT_EQ(prompts.Texts(), (QStringList{QStringLiteral("读数据失败！"), QStringLiteral("校验错!")}));
  EXPECT_EQ(Static(kStaticVersion)->text(), "VER");
  EXPECT_EQ(Static(kStaticStatus)->text(), "    ");
}

TEST_F(FactoryPanel, NewAddressOutOfRangeSendsNothing) {
  for (const char* typed : {"300", "-1", "256"}) {
    prompts.Clear();
    Edit(kEditNewAddress)->setText(QString::fromLatin1(typed));
    Click(kBtnSetAddress);
    EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("请输入0~255范围内的数")}) << typed;
  }
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(Edit(kEditAddress)->text(), "0");
  EXPECT_EQ(Probe().Port(), nullptr);
}

TEST_F(FactoryPanel, NewAddressIsReadLikeATypedNumberAndFollowed) {
  AtAddressOne();
  Edit(kEditNewAddress)->setText("");
  Click(kBtnSetAddress);
  EXPECT_EQ(OnlyRequest(), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x10, 0x00, 0x01, 0x00, 0xFF, 0xBF}));
  EXPECT_EQ(Edit(kEditAddress)->text(), "0");
  EXPECT_EQ(device->Address(), 0);

  device->ClearRequests();
  Edit(kEditNewAddress)->setText("12abc");
  Click(kBtnSetAddress);
  EXPECT_EQ(OnlyRequest()[7], 12);
  EXPECT_EQ(Edit(kEditAddress)->text(), "12");
  // The next operation reaches the device at its new address.
  device->ClearRequests();
  Click(kBtnReadVersion);
  EXPECT_EQ(OnlyRequest()[3], 12);
  EXPECT_EQ(prompts.Texts(),
            (QStringList{QStringLiteral("地址设置成功!!!"), QStringLiteral("地址设置成功!!!")}));
  EXPECT_EQ(Static(kStaticVersion)->text(), "Ver1.30");
}

TEST_F(FactoryPanel, NewBaudIsSentAndThePortFollowsIt) {
  AtAddressOne();
  Click(kBtnSetBaud);
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("请先选择新的波特率!")});
  EXPECT_TRUE(Requests().empty());

  prompts.Clear();
  Choose(kComboNewBaud, 5);
  Click(kBtnSetBaud);
  EXPECT_EQ(OnlyRequest(), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x11, 0x00, 0x02, 0x96, 0x00, 0xFF, 0x27}));
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("波特率设置成功!!!")});
  EXPECT_EQ(Combo(kComboBaud)->currentIndex(), 5);
  EXPECT_EQ(Combo(kComboBaud)->currentText(), "38400");
  EXPECT_EQ(device->Baud(), 38400);
  // The device now only hears 38400, which is what the panel opens at.
  Click(kBtnReadVersion);
  EXPECT_EQ(Static(kStaticVersion)->text(), "Ver1.30");
}

TEST_F(FactoryPanel, UnusablePortIsReportedBeforeAnythingElse) {
  Edit(kEditPort)->setText("2");  // no device behind port 2
  Edit(kEditNewAddress)->setText("300");
  Click(kBtnSetAddress);
  Click(kBtnReadVersion);
  Click(kBtnReadAlarm);
  EXPECT_EQ(prompts.Texts(), QStringList(3, QStringLiteral("没有发现此串口或此串口被占用")));
  EXPECT_TRUE(Requests().empty());
}

// ------------------------------------------------------------------ gear and calibration

TEST_F(FactoryPanel, GearIsSetAndReadBack) {
  AtAddressOne();
  Choose(kComboGear, 2);
  Click(kBtnSetGear);
  EXPECT_EQ(OnlyRequest(), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x20, 0x00, 0x01, 0x0C, 0xFF, 0xA3}));
  EXPECT_EQ(Edit(kEditRangeGear)->text(), "") << "setting the gear does not touch the read-out";
  device->ClearRequests();
  Click(kBtnReadGear);
  EXPECT_EQ(OnlyRequest(), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x01, 0x00, 0x00, 0xFF, 0xCF}));
  EXPECT_EQ(Edit(kEditRangeGear)->text(), "12V");

  device->SetGear(3);
  Click(kBtnReadGear);
  EXPECT_EQ(Edit(kEditRangeGear)->text(), "12V");
  EXPECT_EQ(prompts.Texts(), (QStringList{QStringLiteral("设置成功!"), QStringLiteral("读取电压档位错误!")}));
}

TEST_F(FactoryPanel, GearSettingWithAShortReplyFails) {
  panel->SetWaitScale(0.05);
  Choose(kComboGear, 0);
  device->SetFault(kx::Fault::Short, 1);
  Click(kBtnSetGear);
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("设置失败!")});
  EXPECT_EQ(device->Gear(), 2) << "the device took the gear; only its reply was cut";
}

TEST_F(FactoryPanel, StripRefusesWhileAcquiringAndWithoutAChoice) {
  Click(kBtnSetGear);
  for (const int button : kCalibrateButtons) Click(button);
  QStringList expected{QStringLiteral("请先选择电压档位!")};
  for (int i = 0; i < 8; ++i) expected << QStringLiteral("请先选择校准点!");
  EXPECT_EQ(prompts.Texts(), expected);

  prompts.Clear();
  PretendAcquiring();
  Choose(kComboGear, 1);
  Click(kBtnSetGear);
  for (const int combo : kPointLists) Choose(combo, 0);
  for (const int button : kCalibrateButtons) Click(button);
  EXPECT_EQ(prompts.Texts(), QStringList(9, QStringLiteral("请先停止当前采集!")));
  EXPECT_TRUE(Requests().empty());
}

TEST_F(FactoryPanel, CalibrationNamesChannelAndPoint) {
  AtAddressOne();
  Choose(kComboCalTemp, 1);
  Click(kBtnCalTemp);
  EXPECT_EQ(OnlyRequest(), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x21, 0x00, 0x02, 0x30, 0x02, 0xFF, 0x7B}));
  Choose(kComboCalCell12V, 0);
  Click(kBtnCalCell12V);
  EXPECT_EQ(prompts.Texts(), QStringList(2, QStringLiteral("校准成功!")));
  ASSERT_EQ(device->Calibrations().size(), 2u);
  EXPECT_EQ(device->Calibrations()[1].channel, 0x11);
  EXPECT_EQ(device->Calibrations()[1].point, 1);

  // Every button calibrates its own channel at the point chosen in its own list.
  for (size_t i = 0; i < std::size(kCalibrateButtons); ++i) {
    Choose(kPointLists[i], static_cast<int>(i % 2));
    Click(kCalibrateButtons[i]);
  }
  ASSERT_EQ(device->Calibrations().size(), 2u + std::size(kChannels));
  for (size_t i = 0; i < std::size(kChannels); ++i) {
    EXPECT_EQ(device->Calibrations()[2 + i].channel, kChannels[i]) << i;
    EXPECT_EQ(device->Calibrations()[2 + i].point, i % 2 + 1) << i;
  }
}

TEST_F(FactoryPanel, UnansweredCalibrationGetsItsRowsMessage) {
  panel->SetWaitScale(0.002);  // 30 s and 5 s become 60 ms and 10 ms
  device->SetFault(kx::Fault::Silence);
  Choose(kComboCalCell2V, 0);
  Click(kBtnCalCell2V);
  Choose(kComboCalTotal2V, 1);
  Click(kBtnCalTotal2V);
  Choose(kComboCalCurrent, 0);
  Click(kBtnCalCurrent);
  EXPECT_EQ(prompts.Texts(), (QStringList{QStringLiteral("校准失败!"), QStringLiteral("校准失败!!"),
                                          QStringLiteral("校准失败!!")}));
  EXPECT_EQ(Probe().Port(), nullptr);
}

// ------------------------------------------------------------------ alarms

TEST_F(FactoryPanel, AlarmSettingsCarryTheSwitchAndTheTypedValues) {
  AtAddressOne();
  Edit(kEditOverVolt)->setText("60");
  Edit(kEditUnderVolt)->setText("40");
  Click(kBtnSetVoltAlarm);  // switched off: all zeros whatever the edits hold
  EXPECT_EQ(LastRequest(), (Bytes{0x14, 0x2E, 0, 1, 0x12, 0, 5, 0, 0, 0, 0, 0, 0xFF, 0xB9}));
  Check(kCheckAlarmVolt)->click();  // ticking alone sends nothing
  EXPECT_EQ(Probe().AlarmSwitch(CTesterDlg::kAlarmVolt), 1);
  EXPECT_EQ(Requests().size(), 1u);
  Click(kBtnSetVoltAlarm);
  EXPECT_EQ(LastRequest(), (Bytes{0x14, 0x2E, 0, 1, 0x12, 0, 5, 1, 0, 0x3C, 0, 0x28, 0xFF, 0x54}));
  Edit(kEditOverVolt)->setText("53.5");
  Edit(kEditUnderVolt)->setText("");
  Click(kBtnSetVoltAlarm);
  EXPECT_EQ(LastData(), (Bytes{1, 0, 53, 0, 0}));

  Check(kCheckAlarmCurrent)->click();
  Edit(kEditOverCurrent)->setText("-20");
  Click(kBtnSetCurrentAlarm);
  EXPECT_EQ(LastRequest(), (Bytes{0x14, 0x2E, 0, 1, 0x13, 0, 3, 1, 0x80, 0x14, 0xFF, 0x25}));

  Check(kCheckAlarmTemp1)->click();
  Edit(kEditTemp1High)->setText("55");
  Edit(kEditTemp1Low)->setText("-10");
  Click(kBtnSetTemp1Alarm);
  EXPECT_EQ(LastRequest(), (Bytes{0x14, 0x2E, 0, 1, 0x14, 0, 3, 1, 0x37, 0x8A, 0xFE, 0xF7}));
  // Each temperature button sends its own group's command, edits and switch.
  Edit(kEditTemp2High)->setText("55");
  Click(kBtnSetTemp2Alarm);
  EXPECT_EQ(LastRequest()[4], 0x15);
  EXPECT_EQ(LastData(), (Bytes{0, 0, 0}));
  Check(kCheckAlarmTemp3)->click();
  Edit(kEditTemp3Low)->setText("-5");
  Click(kBtnSetTemp3Alarm);
  EXPECT_EQ(LastRequest()[4], 0x16);
  EXPECT_EQ(LastData(), (Bytes{1, 0, 0x85}));

  EXPECT_EQ(prompts.Texts(), QStringList(7, QStringLiteral("设置成功!")));
  EXPECT_EQ(device->Alarms().tempLow[2], -5);
}

TEST_F(FactoryPanel, AlarmSettingWithAShortReplyFails) {
  panel->SetWaitScale(0.05);
  device->SetFault(kx::Fault::Short, 1);
  Click(kBtnSetCurrentAlarm);
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("设置失败!")});
}

TEST_F(FactoryPanel, AlarmWordIsListedInOrder) {
  AtAddressOne();
  device->SetAlarmWordOverride(0x0181);
  Click(kBtnReadAlarm);
  EXPECT_EQ(OnlyRequest(), (Bytes{0x14, 0x2E, 0x00, 0x01, 0x02, 0x00, 0x00, 0xFF, 0xCE}));
  device->SetAlarmWordOverride(0xFE00);
  Click(kBtnReadAlarm);
  EXPECT_EQ(prompts.Texts(), (QStringList{QStringLiteral("总电压欠压报警\n总电压过压报警\n温度1高温报警\n"),
                                          QStringLiteral("报警正常!")}));
}

}  // namespace
