#include "PanelFixture.h"
#include "version/Version.h"

namespace {

using namespace kx::panel::ids;
using PanelStartup = PanelFixture;

TEST_F(PanelStartup, FieldsAndControlsStartWithTheirDefaults) {
  EXPECT_EQ(panel->windowTitle(), QStringLiteral("KX4200(Ver 1.3)"));
  EXPECT_EQ(Edit(kEditPort)->text(), "1");
  EXPECT_EQ(Edit(kEditAddress)->text(), "0");
  EXPECT_EQ(Edit(kEditGroupNo)->text(), "1");
  EXPECT_EQ(Edit(kEditPeriod)->text(), "1000");
  EXPECT_EQ(Edit(kEditPointNo)->text(), "1");
  EXPECT_EQ(Edit(kEditCurrentRange)->text(), "1000");
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "0");
  EXPECT_EQ(Edit(kEditFailCount)->text(), "0");
  EXPECT_EQ(Edit(kEditVoltRange)->text(), "17");
  EXPECT_TRUE(Edit(kEditSuccessCount)->isReadOnly());
  EXPECT_TRUE(Edit(kEditFailCount)->isReadOnly());
  EXPECT_TRUE(Edit(kEditVoltRange)->isHidden());
  EXPECT_TRUE(Edit(kEditAlarmWord)->isHidden());
  EXPECT_EQ(Static(kStaticGroupDate)->text(), QStringLiteral("0000-00-00"));
  EXPECT_EQ(Static(kStaticPointCount)->text(), QStringLiteral("000"));
  EXPECT_EQ(Static(kStaticPointTime)->text(), QStringLiteral("数据记录点时间"));
  EXPECT_EQ(Static(kStaticDeviceTime)->text(), QStringLiteral("XXXX--XX--XX--XX--XX--XX"));
  EXPECT_EQ(Static(kStaticVersion)->text(), QStringLiteral("VER"));
  EXPECT_EQ(Static(kStaticStatus)->text(), QStringLiteral("    "));
  EXPECT_EQ(Combo(kComboBaud)->currentText(), "9600");
  EXPECT_EQ(Combo(kComboBaud)->currentIndex(), 3);
  EXPECT_EQ(Combo(kComboNewBaud)->currentIndex(), -1);
  EXPECT_EQ(Combo(kComboGear)->currentIndex(), -1);
  EXPECT_EQ(IconButton(kBtnContinuous)->text(), QStringLiteral("连续采集"));
  EXPECT_EQ(Button(kBtnFactoryMode)->text(), QStringLiteral("厂家模式"));
  EXPECT_TRUE(Button(kBtnFactoryMode)->isDefault());
  EXPECT_FALSE(IconButton(kBtnViewPoint)->isEnabled());
  EXPECT_FALSE(IconButton(kBtnSaveFile)->isEnabled());
  EXPECT_FALSE(IconButton(kBtnShowCurves)->isEnabled());
  EXPECT_TRUE(IconButton(kBtnReadGroup)->isEnabled());
  EXPECT_EQ(IconButton(kBtnReadGroup)->m_nIconPlacement, kx::kIconAbove);
  EXPECT_EQ(IconButton(kBtnOpenFile)->m_nIconPlacement, kx::kIconLeft);
  for (QCheckBox* box : {Check(kCheckAlarmVolt), Check(kCheckAlarmCurrent), Check(kCheckAlarmTemp1),
                         Check(kCheckAlarmTemp2), Check(kCheckAlarmTemp3)})
    EXPECT_FALSE(box->isChecked());
  for (auto group : {CTesterDlg::kAlarmVolt, CTesterDlg::kAlarmCurrent, CTesterDlg::kAlarmTemp1,
                     CTesterDlg::kAlarmTemp2, CTesterDlg::kAlarmTemp3})
    EXPECT_EQ(Probe().AlarmSwitch(group), 0);
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_EQ(Probe().Continuous(), 0);
  EXPECT_EQ(Probe().PortNumber(), 1);
  EXPECT_EQ(Probe().Address(), 0);
  EXPECT_FLOAT_EQ(Probe().VoltageRange(), 17.0f);
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PanelStartup, EveryIdOfTheTemplateIsAnObjectName) {
  const int ids[] = {
      kFramePort,        kEditPort,          kComboBaud,         kEditAddress,        kBtnReadTime,
      kStaticDeviceTime, kBtnSetTime,        kFrameLinkSettings, kEditNewAddress,     kBtnSetAddress,
      kComboNewBaud,     kBtnSetBaud,        kFrameRange,        kEditCurrentRange,   kEditVoltRange,
      kFrameGear,        kEditRangeGear,     kBtnReadGear,       kFrameVersion,       kStaticVersion,
      kBtnReadVersion,   kStaticStatus,      kFrameAlarmWord,    kEditAlarmWord,      kBtnReadAlarm,
      kBtnFactoryMode,   kFrameAcquisition,  kEditPeriod,        kBtnAcquire,         kBtnContinuous,
      kEditSuccessCount, kEditFailCount,     kListValues,        kFrameCurves,        kBtnQueryCount,
      kBtnClearCurves,   kEditGroupNo,       kBtnReadGroup,      kStaticGroupDate,    kStaticPointCount,
      kEditPointNo,      kBtnViewPoint,      kBtnOpenFile,       kBtnSaveFile,        kBtnShowCurves,
      kStaticGroupCount, kStaticPointTime,   kListPointValues,   kFrameAlarmVolt,     kCheckAlarmVolt,
      kEditOverVolt,     kEditUnderVolt,     kBtnSetVoltAlarm,   kFrameAlarmCurrent,  kCheckAlarmCurrent,
      kEditOverCurrent,  kBtnSetCurrentAlarm, kFrameAlarmTemp1,  kCheckAlarmTemp1,    kEditTemp1High,
      kEditTemp1Low,     kBtnSetTemp1Alarm,  kFrameAlarmTemp2,   kCheckAlarmTemp2,    kEditTemp2High,
      kEditTemp2Low,     kBtnSetTemp2Alarm,  kFrameAlarmTemp3,   kCheckAlarmTemp3,    kEditTemp3High,
      kEditTemp3Low,     kBtnSetTemp3Alarm,  kComboGear,         kBtnSetGear,         kComboCalCell2V,
      kBtnCalCell2V,     kComboCalCell6V,    kBtnCalCell6V,      kComboCalCell12V,    kBtnCalCell12V,
      kComboCalTotal2V,  kBtnCalTotal2V,     kComboCalTotal6V,   kBtnCalTotal6V,      kComboCalTotal12V,
      kBtnCalTotal12V,   kComboCalTemp,      kBtnCalTemp,        kComboCalCurrent,    kBtnCalCurrent};
  for (int id : ids) {
    QWidget* w = panel->findChild<QWidget*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    EXPECT_EQ(w, panel->Control(id)) << id;
  }
}

TEST_F(PanelStartup, TablesCarryTheirColumnsAndRowLabels) {
  for (int id : {kListValues, kListPointValues}) {
    const QTableWidget* table = Table(id);
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("内容"));
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QStringLiteral("值"));
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), QStringLiteral("内容"));
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), QStringLiteral("值"));
    for (int r = 0; r < 31; ++r) EXPECT_EQ(Cell(id, r, 0), QStringLiteral("电池%1").arg(r + 1));
    for (int r = 0; r < 9; ++r) EXPECT_EQ(Cell(id, r, 2), QStringLiteral("电池%1").arg(r + 32));
    for (int r = 0; r < 31; ++r) {
      EXPECT_TRUE(Cell(id, r, 1).isEmpty());
      EXPECT_TRUE(Cell(id, r, 3).isEmpty());
    }
  }
  const QStringList quantities{"总电压", "电流", "温度1", "温度2", "温度3", "模拟量1", "模拟量2"};
  for (int i = 0; i < quantities.size(); ++i) EXPECT_EQ(Cell(kListValues, 9 + i, 2), quantities[i]);
  EXPECT_EQ(Cell(kListValues, 16, 2), QString());
  EXPECT_EQ(Cell(kListPointValues, 9, 2), QStringLiteral("总电压"));
  EXPECT_EQ(Cell(kListPointValues, 10, 2), QString());
  EXPECT_EQ(Table(kListValues)->columnWidth(1), 70);
  EXPECT_EQ(Table(kListValues)->columnWidth(2), 55);
  EXPECT_EQ(Table(kListPointValues)->columnWidth(1), 72);
  EXPECT_EQ(Table(kListPointValues)->columnWidth(2), 50);
}

TEST_F(PanelStartup, WindowStartsNarrowedSoTheFactoryStripIsOutOfView) {
  const int full = Probe().WindowRect().width();
  EXPECT_EQ(full, 1019);  // 679 dialog units
  EXPECT_EQ(panel->width(), full * 521 / 679);
  EXPECT_EQ(panel->height(), Probe().WindowRect().height());
  // The strip's controls lie right of the narrowed window; the left area fits in it.
  EXPECT_GE(Combo(kComboGear)->geometry().left(), panel->width());
  EXPECT_GE(Button(kBtnCalCurrent)->geometry().left(), panel->width());
  EXPECT_LE(Table(kListPointValues)->geometry().right(), panel->width());
}

TEST_F(PanelStartup, AddressCheckRefusesOutOfRangeAndRestoresTheLastAcceptedValue) {
  Edit(kEditAddress)->setText("12");
  ASSERT_TRUE(panel->UpdateData(true));
  EXPECT_EQ(Probe().Address(), 12);
  Edit(kEditAddress)->setText("256");
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("地址范围:0~255")});
  EXPECT_EQ(Edit(kEditAddress)->text(), "12");
  prompts.Clear();
  for (const char* ok : {"255", "0", ""}) {
    Edit(kEditAddress)->setText(ok);
    EXPECT_EQ(Edit(kEditAddress)->text(), ok);
  }
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PanelStartup, DataExchangeStopsAtTheFirstFieldThatDoesNotConvert) {
  Edit(kEditGroupNo)->setText("abc");
  Edit(kEditPeriod)->setText("250");
  Edit(kEditPointNo)->setText("7");
  EXPECT_FALSE(panel->UpdateData(true));
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("请输入一个整数。")});
  EXPECT_EQ(Probe().GroupNo(), 1);        // kept
  EXPECT_EQ(Probe().Period(), "1000");  // after the failing field: not read
  EXPECT_EQ(Probe().PointNo(), 1);
  Edit(kEditGroupNo)->setText(" 3 ");
  EXPECT_TRUE(panel->UpdateData(true));
  EXPECT_EQ(Probe().GroupNo(), 3);
  EXPECT_EQ(Probe().Period(), "250");
  EXPECT_EQ(Probe().PointNo(), 7);
  // Writing back formats every field.
  Probe().SuccessCount() = 42;
  Probe().GroupDate() = "2014-3-5";
  panel->UpdateData(false);
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "42");
  EXPECT_EQ(Static(kStaticGroupDate)->text(), "2014-3-5");
}

TEST_F(PanelStartup, OpenPortNeedsASelectedBaudItemAndAnExistingDevice) {
  EXPECT_TRUE(panel->OpenPort());
  EXPECT_NE(Probe().Port(), nullptr);
  EXPECT_EQ(Probe().Port()->AppliedBaud(), 9600);
  panel->ClosePort();
  EXPECT_EQ(Probe().Port(), nullptr);

  Combo(kComboBaud)->setCurrentIndex(-1);
  EXPECT_FALSE(panel->OpenPort());
  EXPECT_EQ(Probe().Port(), nullptr);
  Combo(kComboBaud)->setCurrentIndex(5);

  // Held by another program: the box keeps its text, the port's tooltip says why.
  {
    kx::SerialPort other;
    ASSERT_EQ(other.Open(host->Path(), 9600), kx::LinkError::None);
    EXPECT_FALSE(panel->OpenPort());
    EXPECT_TRUE(Edit(kEditPort)->toolTip().endsWith("端口被其他程序占用")) << Edit(kEditPort)->toolTip().toStdString();
  }

  Edit(kEditPort)->setText("12");  // no device behind port 12
  EXPECT_FALSE(panel->OpenPort());
  EXPECT_EQ(panel->LastOpenError(), kx::LinkError::NotFound);
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_TRUE(Edit(kEditPort)->toolTip().endsWith("设备不存在"));
}

TEST_F(PanelStartup, PortTwelveWorksLikePortOne) {
  kx::PortNaming naming("/nonexistent/sys/class/tty", "/nonexistent/dev");
  naming.Map(12, host->Path());
  CTesterDlg other(naming);
  other.ControlAs<QLineEdit>(kEditPort)->setText("12");
  EXPECT_EQ(other.ResolvedPortPath(), QString::fromStdString(host->Path()));
  EXPECT_EQ(other.ControlAs<QLineEdit>(kEditPort)->toolTip(), QString::fromStdString(host->Path()));
  EXPECT_TRUE(other.OpenPort());
}

TEST_F(PanelStartup, AboutBoxShowsTheIconTheVersionAndTheOkButton) {
  EXPECT_EQ(CTesterDlg::AboutItemText(), QStringLiteral("关于 KX4200(&A)..."));
  prompts.onExec = [](QDialog& dialog) {
    bool versionShown = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
      versionShown = versionShown || label->text() == QStringLiteral("KX4200 ") + QString::fromUtf8(kx::VersionText());
    EXPECT_TRUE(versionShown);
    auto* ok = dialog.findChild<QPushButton*>(QString::number(kButtonOk));
    EXPECT_NE(ok, nullptr);
    if (ok) {
      EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    }
    return static_cast<int>(QDialog::Accepted);
  };
  panel->ShowAbout();
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, "exec");
  EXPECT_EQ(prompts.shown[0].text, QString::number(kTemplateAbout));
}

}  // namespace
