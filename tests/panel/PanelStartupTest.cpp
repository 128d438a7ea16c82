#include <QCheckBox>
#include <QPushButton>

#include "PanelFixture.h"
#include "panel/AboutDlg.h"
#include "widgets/IconButton.h"

namespace {

using PanelStartup = PanelFixture;

TEST_F(PanelStartup, FieldsAndControlsStartWithTheirDefaults) {
  EXPECT_EQ(panel->windowTitle(), QStringLiteral("KX4200(Ver 1.3)"));
  EXPECT_EQ(Edit(1000)->text(), "1");
  EXPECT_EQ(Edit(1002)->text(), "0");
  EXPECT_EQ(Edit(1010)->text(), "1");
  EXPECT_EQ(Edit(1023)->text(), "1000");
  EXPECT_EQ(Edit(1022)->text(), "1");
  EXPECT_EQ(Edit(1069)->text(), "1000");
  EXPECT_EQ(Edit(1071)->text(), "0");
  EXPECT_EQ(Edit(1072)->text(), "0");
  EXPECT_EQ(Edit(1073)->text(), "17");
  EXPECT_TRUE(Edit(1071)->isReadOnly());
  EXPECT_TRUE(Edit(1072)->isReadOnly());
  EXPECT_TRUE(Edit(1073)->isHidden());
  EXPECT_TRUE(Edit(1100)->isHidden());
  EXPECT_EQ(Static(1034)->text(), QStringLiteral("0000-00-00"));
  EXPECT_EQ(Static(1035)->text(), QStringLiteral("000"));
  EXPECT_EQ(Static(1037)->text(), QStringLiteral("数据记录点时间"));
  EXPECT_EQ(Static(1094)->text(), QStringLiteral("XXXX--XX--XX--XX--XX--XX"));
  EXPECT_EQ(Static(1093)->text(), QStringLiteral("VER"));
  EXPECT_EQ(Static(1133)->text(), QStringLiteral("    "));
  EXPECT_EQ(panel->m_comboBaud->currentText(), "9600");
  EXPECT_EQ(panel->m_comboBaud->currentIndex(), 3);
  EXPECT_EQ(panel->m_comboNewBaud->currentIndex(), -1);
  EXPECT_EQ(panel->m_comboGear->currentIndex(), -1);
  EXPECT_EQ(panel->m_btnContinuous->text(), QStringLiteral("连续采集"));
  EXPECT_EQ(panel->m_btnFactoryMode->text(), QStringLiteral("厂家模式"));
  EXPECT_TRUE(panel->m_btnFactoryMode->isDefault());
  EXPECT_FALSE(panel->m_btnView->isEnabled());
  EXPECT_FALSE(panel->m_btnSaveAs->isEnabled());
  EXPECT_FALSE(panel->m_btnCurve->isEnabled());
  EXPECT_TRUE(panel->m_btnRead->isEnabled());
  EXPECT_EQ(panel->m_btnRead->m_nIconPlacement, 2);
  EXPECT_EQ(panel->m_btnOpen->m_nIconPlacement, 0);
  for (QCheckBox* box : {panel->m_checkAlarmVolt, panel->m_checkAlarmCurrent, panel->m_checkAlarmTemp1,
                         panel->m_checkAlarmTemp2, panel->m_checkAlarmTemp3})
    EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(g_bAlarmVoltOn + g_bAlarmCurrentOn + g_bAlarmTemp1On + g_bAlarmTemp2On + g_bAlarmTemp3On, 0);
  EXPECT_EQ(panel->m_hComm, nullptr);
  EXPECT_EQ(panel->m_bContinuous, 0);
  EXPECT_EQ(panel->m_nPort, 1);
  EXPECT_EQ(panel->m_nAddress, 0);
  EXPECT_FLOAT_EQ(panel->m_fVoltageRange, 17.0f);
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PanelStartup, EveryIdOfTheTemplateIsAnObjectName) {
  const int ids[] = {1000, 1001, 1002, 1006, 1008, 1009, 1010, 1011, 1015, 1019, 1022, 1023, 1024, 1025, 1026,
                     1031, 1034, 1035, 1037, 1038, 1039, 1047, 1059, 1064, 1065, 1066, 1067, 1068, 1069, 1070,
                     1071, 1072, 1073, 1074, 1075, 1076, 1077, 1078, 1079, 1080, 1081, 1082, 1083, 1084, 1085,
                     1086, 1087, 1088, 1089, 1090, 1091, 1092, 1093, 1094, 1097, 1098, 1099, 1100, 1101, 1102,
                     1103, 1104, 1105, 1106, 1107, 1108, 1109, 1110, 1111, 1112, 1114, 1115, 1116, 1117, 1118,
                     1119, 1120, 1121, 1122, 1123, 1124, 1125, 1126, 1127, 1128, 1129, 1130, 1131, 1132, 1133};
  for (int id : ids) {
    QWidget* w = panel->findChild<QWidget*>(QString::number(id));
    EXPECT_NE(w, nullptr) << id;
    EXPECT_EQ(w, panel->Control(id)) << id;
  }
}

TEST_F(PanelStartup, TablesCarryTheirColumnsAndRowLabels) {
  for (QTableWidget* table : {panel->m_listValues, panel->m_listPointValues}) {
    ASSERT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("内容"));
    EXPECT_EQ(table->horizontalHeaderItem(1)->text(), QStringLiteral("值"));
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(), QStringLiteral("内容"));
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), QStringLiteral("值"));
    for (int r = 0; r < 31; ++r) EXPECT_EQ(Cell(table, r, 0), QStringLiteral("电池%1").arg(r + 1));
    for (int r = 0; r < 9; ++r) EXPECT_EQ(Cell(table, r, 2), QStringLiteral("电池%1").arg(r + 32));
    for (int r = 0; r < 31; ++r) {
      EXPECT_TRUE(Cell(table, r, 1).isEmpty());
      EXPECT_TRUE(Cell(table, r, 3).isEmpty());
    }
  }
  const QStringList quantities{"总电压", "电流", "温度1", "温度2", "温度3", "模拟量1", "模拟量2"};
  for (int i = 0; i < quantities.size(); ++i) EXPECT_EQ(Cell(panel->m_listValues, 9 + i, 2), quantities[i]);
  EXPECT_EQ(Cell(panel->m_listValues, 16, 2), QString());
  EXPECT_EQ(Cell(panel->m_listPointValues, 9, 2), QStringLiteral("总电压"));
  EXPECT_EQ(Cell(panel->m_listPointValues, 10, 2), QString());
  EXPECT_EQ(panel->m_listValues->columnWidth(1), 70);
  EXPECT_EQ(panel->m_listValues->columnWidth(2), 55);
  EXPECT_EQ(panel->m_listPointValues->columnWidth(1), 72);
  EXPECT_EQ(panel->m_listPointValues->columnWidth(2), 50);
}

TEST_F(PanelStartup, WindowStartsNarrowedSoTheFactoryStripIsOutOfView) {
  const int full = panel->m_rectWindow.width();
  EXPECT_EQ(full, 1019);  // 679 dialog units
  EXPECT_EQ(panel->width(), full * 521 / 679);
  EXPECT_EQ(panel->height(), panel->m_rectWindow.height());
  // The strip's controls lie right of the narrowed window; the left area fits in it.
  EXPECT_GE(panel->m_comboGear->geometry().left(), panel->width());
  EXPECT_GE(panel->m_btnCurrentCal->geometry().left(), panel->width());
  EXPECT_LE(panel->m_listPointValues->geometry().right(), panel->width());
}

TEST_F(PanelStartup, AddressCheckRefusesOutOfRangeAndRestoresTheLastAcceptedValue) {
  Edit(1002)->setText("12");
  ASSERT_TRUE(panel->UpdateData(true));
  EXPECT_EQ(panel->m_nAddress, 12);
  Edit(1002)->setText("256");
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("地址范围:0~255")});
  EXPECT_EQ(Edit(1002)->text(), "12");
  prompts.Clear();
  for (const char* ok : {"255", "0", ""}) {
    Edit(1002)->setText(ok);
    EXPECT_EQ(Edit(1002)->text(), ok);
  }
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PanelStartup, DataExchangeStopsAtTheFirstFieldThatDoesNotConvert) {
  Edit(1010)->setText("abc");
  Edit(1023)->setText("250");
  Edit(1022)->setText("7");
  EXPECT_FALSE(panel->UpdateData(true));
  EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("请输入一个整数。")});
  EXPECT_EQ(panel->m_nGroupNo, 1);          // kept
  EXPECT_EQ(panel->m_strPeriod, "1000");    // after the failing field: not read
  EXPECT_EQ(panel->m_nPointNo, 1);
  Edit(1010)->setText(" 3 ");
  EXPECT_TRUE(panel->UpdateData(true));
  EXPECT_EQ(panel->m_nGroupNo, 3);
  EXPECT_EQ(panel->m_strPeriod, "250");
  EXPECT_EQ(panel->m_nPointNo, 7);
  // Writing back formats every field.
  panel->m_nSuccessCount = 42;
  panel->m_strGroupDate = "2014-3-5";
  panel->UpdateData(false);
  EXPECT_EQ(Edit(1071)->text(), "42");
  EXPECT_EQ(Static(1034)->text(), "2014-3-5");
}

TEST_F(PanelStartup, OpenPortNeedsASelectedBaudItemAndAnExistingDevice) {
  EXPECT_TRUE(panel->OpenPort());
  EXPECT_NE(panel->m_hComm, nullptr);
  EXPECT_EQ(panel->m_hComm->AppliedBaud(), 9600);
  panel->ClosePort();
  EXPECT_EQ(panel->m_hComm, nullptr);

  panel->m_comboBaud->setCurrentIndex(-1);
  EXPECT_FALSE(panel->OpenPort());
  EXPECT_EQ(panel->m_hComm, nullptr);
  panel->m_comboBaud->setCurrentIndex(5);

  Edit(1000)->setText("12");  // no device behind port 12
  EXPECT_FALSE(panel->OpenPort());
  EXPECT_EQ(panel->LastOpenError(), kx::LinkError::NotFound);
  EXPECT_EQ(panel->m_hComm, nullptr);
}

TEST_F(PanelStartup, PortTwelveWorksLikePortOne) {
  kx::PortNaming naming("/nonexistent/sys/class/tty", "/nonexistent/dev");
  naming.Map(12, host->Path());
  CTesterDlg other(naming);
  other.ControlAs<QLineEdit>(1000)->setText("12");
  EXPECT_EQ(other.ResolvedPortPath(), QString::fromStdString(host->Path()));
  EXPECT_EQ(other.ControlAs<QLineEdit>(1000)->toolTip(), QString::fromStdString(host->Path()));
  EXPECT_TRUE(other.OpenPort());
}

TEST_F(PanelStartup, AboutBoxShowsTheIconAndTheOkButton) {
  EXPECT_EQ(CTesterDlg::AboutItemText(), QStringLiteral("关于 KX4200(&A)..."));
  prompts.onExec = [](QDialog& dialog) {
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("1"));
    EXPECT_NE(ok, nullptr);
    if (ok) {
      EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    }
    return static_cast<int>(QDialog::Accepted);
  };
  panel->ShowAbout();
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].kind, "exec");
  EXPECT_EQ(prompts.shown[0].text, "100");
}

}  // namespace
