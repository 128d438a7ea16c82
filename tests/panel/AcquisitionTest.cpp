#include <QEventLoop>
#include <QTimer>
#include <QPushButton>

#include "PanelFixture.h"
#include "link/Exchange.h"
#include "widgets/IconButton.h"

namespace {

class Acquisition : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    kx::SetWaitScale(0.05);  // a silent device costs 50 ms, not a second
    device->SetNoise(false);
  }

  QStringList LiveColumn(int column) const {
    QStringList texts;
    for (int row = 0; row < 31; ++row) texts << Cell(panel->m_listValues, row, column);
    return texts;
  }
  bool Enabled(int id) const { return panel->Control(id)->isEnabled(); }
  static constexpr int kBusy[] = {1090, 1106, 1105, 1099, 1092, 1074, 1107, 1119, 1122, 1124, 1127, 1130};
};

TEST_F(Acquisition, SingleReadingFillsTheTableWithScaledValues) {
  device->SetAllCells(3.3);
  device->SetCellVoltage(0, 8.5);    // raw 0x4000
  device->SetCellVoltage(31, 17.0);  // raw 0x8000, cell 32
  device->SetTotalVoltage(75.0);     // raw 0x1000
  device->SetCurrent(250.0);         // raw 0x6000
  device->SetTemperature(0, -25.0);
  device->SetTemperature(2, 100.0);
  device->SetAnalogue(1, 5.0);
  Edit(1002)->setText("0");

  panel->m_btnAcquire->click();

  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Cell(panel->m_listValues, 0, 1), "8.500");
  EXPECT_EQ(Cell(panel->m_listValues, 1, 1), "3.300");
  EXPECT_EQ(Cell(panel->m_listValues, 30, 1), "3.300");
  EXPECT_EQ(Cell(panel->m_listValues, 0, 3), "17.000");
  EXPECT_EQ(Cell(panel->m_listValues, 8, 3), "3.300");
  EXPECT_EQ(Cell(panel->m_listValues, 9, 3), "75.00");
  EXPECT_EQ(Cell(panel->m_listValues, 10, 3), "250.00");
  EXPECT_EQ(Cell(panel->m_listValues, 11, 3), "-25.0");
  EXPECT_EQ(Cell(panel->m_listValues, 12, 3), "25.5");
  EXPECT_EQ(Cell(panel->m_listValues, 13, 3), "100.0");
  EXPECT_EQ(Cell(panel->m_listValues, 15, 3), "5.000");
  EXPECT_EQ(Cell(panel->m_listValues, 9, 2), QStringLiteral("总电压"));  // labels untouched
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0], (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xD1}));
  EXPECT_EQ(panel->m_hComm, nullptr);
  EXPECT_EQ(Edit(1071)->text(), "0");  // a single reading counts nothing
  EXPECT_EQ(Edit(1072)->text(), "0");

  // The scales are read from their edits at every reading.
  Edit(1069)->setText("200");
  panel->ControlAs<QLineEdit>(1073)->setText("34");
  panel->m_btnAcquire->click();
  EXPECT_EQ(Cell(panel->m_listValues, 10, 3), "50.00");
  EXPECT_EQ(Cell(panel->m_listValues, 0, 1), "17.000");
  // Not a whole number: the cells scale by 0.
  panel->ControlAs<QLineEdit>(1073)->setText("17.5");
  panel->m_btnAcquire->click();
  EXPECT_EQ(Cell(panel->m_listValues, 0, 1), "0.000");
  EXPECT_TRUE(prompts.Texts().isEmpty());
}

TEST_F(Acquisition, FailedSingleReadingLeavesTheTableAlone) {
  panel->m_btnAcquire->click();
  const QStringList before = LiveColumn(1);
  ASSERT_FALSE(before[0].isEmpty());

  device->SetAllCells(2.0);
  device->SetFault(kx::Fault::Checksum, 1);
  panel->m_btnAcquire->click();
  device->SetFault(kx::Fault::Silence, 1);
  panel->m_btnAcquire->click();
  device->SetFault(kx::Fault::Short, 1, 20);
  panel->m_btnAcquire->click();

  EXPECT_EQ(prompts.Texts(), QStringList({"通讯失败", "通讯失败", "通讯失败"}));
  EXPECT_EQ(LiveColumn(1), before);
  EXPECT_EQ(panel->m_hComm, nullptr);
}

TEST_F(Acquisition, MissingPortIsReportedAndNothingStarts) {
  Edit(1000)->setText("7");  // no device behind port 7
  panel->m_btnAcquire->click();
  panel->m_btnContinuous->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"打开串口失败!", "打开串口失败!"}));
  EXPECT_EQ(panel->m_btnContinuous->text(), QStringLiteral("连续采集"));
  EXPECT_EQ(panel->m_bContinuous, 0);
  EXPECT_FALSE(panel->IsAcquiring());
  EXPECT_FALSE(panel->AcquisitionTimer().isActive());
  for (int id : kBusy) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(device->RequestCount(), 0u);
}

TEST_F(Acquisition, ContinuousRunCountsEveryTickAndRestoresThePanel) {
  Edit(1023)->setText("250");
  Edit(1071)->setText("9");  // stale counters from an earlier run
  Edit(1072)->setText("4");
  panel->m_btnContinuous->click();
  ASSERT_TRUE(panel->IsAcquiring());
  const QTimer* timer = &panel->AcquisitionTimer();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 250);
  EXPECT_EQ(Edit(1071)->text(), "0");
  EXPECT_EQ(Edit(1072)->text(), "0");
  for (int id : kBusy) EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(panel->m_btnAcquire->isEnabled());  // refuses by its own rule

  panel->OnTimer();                                // good
  device->SetFault(kx::Fault::Checksum, 1);
  panel->OnTimer();                                // bad checksum
  device->SetFault(kx::Fault::Silence, 1);
  panel->OnTimer();                                // no reply
  device->SetFault(kx::Fault::Short, 1, 1);
  panel->OnTimer();                                // one byte short
  panel->OnTimer();                                // good

  Edit(1023)->setText("40");  // the period is taken at the start of a run only
  Edit(1002)->setText("5");   // the address at every tick
  device->SetAddress(5);
  panel->OnTimer();

  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(timer->interval(), 250);
  EXPECT_EQ(panel->m_nSuccessCount + panel->m_nFailCount, 6);
  EXPECT_EQ(Edit(1071)->text(), QString::number(panel->m_nSuccessCount));
  EXPECT_EQ(Edit(1072)->text(), QString::number(panel->m_nFailCount));
  EXPECT_EQ(panel->m_nSuccessCount, 3);
  EXPECT_EQ(panel->m_nFailCount, 3);
  ASSERT_FALSE(Requests().empty());
  EXPECT_EQ(Requests().back()[3], 5);
  EXPECT_NE(panel->m_hComm, nullptr);  // the port stays open for the run

  panel->m_btnContinuous->click();
  EXPECT_FALSE(panel->IsAcquiring());
  EXPECT_EQ(panel->m_bContinuous, 0);
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(panel->m_hComm, nullptr);
  for (int id : kBusy) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(Edit(1071)->text(), "3");  // the counters stay on show after the run

  panel->m_btnContinuous->click();  // the next run takes the new period and starts from 0
  EXPECT_EQ(timer->interval(), 40);
  EXPECT_EQ(Edit(1071)->text(), "0");
  panel->m_btnContinuous->click();
}

TEST_F(Acquisition, BusyRuleRefusesSingleReadingWithoutDisturbingTheRun) {
  panel->m_btnContinuous->click();
  ASSERT_TRUE(panel->IsAcquiring());
  panel->OnTimer();
  const size_t requests = device->RequestCount();

  panel->m_btnAcquire->click();

  EXPECT_EQ(prompts.Texts(), QStringList({"请先停止当前采集!"}));
  EXPECT_EQ(device->RequestCount(), requests);
  EXPECT_TRUE(panel->IsAcquiring());
  EXPECT_NE(panel->m_hComm, nullptr);
  EXPECT_TRUE(panel->AcquisitionTimer().isActive());
  panel->OnTimer();  // the run goes on on the same open port
  EXPECT_EQ(panel->m_nSuccessCount, 2);
  panel->m_btnContinuous->click();
}

TEST_F(Acquisition, TimerDrivesTheReadings) {
  Edit(1023)->setText("1");
  panel->m_btnContinuous->click();
  ASSERT_TRUE(panel->IsAcquiring());
  // Runs the event loop until two ticks have been counted (bounded, so a timer that
  // never fires fails instead of hanging).
  QEventLoop loop;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
    if (panel->m_nSuccessCount + panel->m_nFailCount >= 2) loop.quit();
  });
  watch.start(5);
  QTimer::singleShot(10000, &loop, &QEventLoop::quit);
  loop.exec();
  panel->m_btnContinuous->click();
  EXPECT_GE(panel->m_nSuccessCount, 2);
  EXPECT_EQ(panel->m_nFailCount, 0);
  EXPECT_GE(device->RequestCount(), 2u);
}

}  // namespace
