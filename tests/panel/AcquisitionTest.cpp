#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "PanelFixture.h"
#include "link/Exchange.h"

namespace {

using namespace kx::panel::ids;

class Acquisition : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    panel->SetWaitScale(0.05);  // a silent device costs 50 ms, not a second
    device->SetNoise(false);
  }

  QStringList LiveColumn(int column) const {
    QStringList texts;
    for (int row = 0; row < 31; ++row) texts << Cell(kListValues, row, column);
    return texts;
  }
  bool Enabled(int id) const { return panel->Control(id)->isEnabled(); }
  // Runs the event loop until n readings of the run have been counted (bounded,
  // so that one that never comes fails instead of hanging).
  void AwaitCounted(int n) {
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
      if (Probe().SuccessCount() + Probe().FailCount() >= n) loop.quit();
    });
    watch.start(5);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_GE(Probe().SuccessCount() + Probe().FailCount(), n);
  }
  // The twelve controls a run disables.
  static constexpr int kBusy[] = {kBtnSetAddress,      kBtnSetBaud,       kBtnReadAlarm,     kBtnReadGear,
                                  kBtnReadTime,        kBtnFactoryMode,   kBtnReadVersion,   kBtnSetVoltAlarm,
                                  kBtnSetCurrentAlarm, kBtnSetTemp1Alarm, kBtnSetTemp2Alarm, kBtnSetTemp3Alarm};
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
  Edit(kEditAddress)->setText("0");

  IconButton(kBtnAcquire)->click();

  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Cell(kListValues, 0, 1), "8.500");
  EXPECT_EQ(Cell(kListValues, 1, 1), "3.300");
  EXPECT_EQ(Cell(kListValues, 30, 1), "3.300");
  EXPECT_EQ(Cell(kListValues, 0, 3), "17.000");
  EXPECT_EQ(Cell(kListValues, 8, 3), "3.300");
  EXPECT_EQ(Cell(kListValues, 9, 3), "75.00");
  EXPECT_EQ(Cell(kListValues, 10, 3), "250.00");
  EXPECT_EQ(Cell(kListValues, 11, 3), "-25.0");
  EXPECT_EQ(Cell(kListValues, 12, 3), "25.5");
  EXPECT_EQ(Cell(kListValues, 13, 3), "100.0");
  EXPECT_EQ(Cell(kListValues, 15, 3), "5.000");
  EXPECT_EQ(Cell(kListValues, 9, 2), QStringLiteral("总电压"));  // labels untouched
  ASSERT_EQ(Requests().size(), 1u);
  EXPECT_EQ(Requests()[0], (std::vector<uint8_t>{0x14, 0x2E, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xD1}));
  EXPECT_EQ(Probe().Port(), nullptr);
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "0");  // a single reading counts nothing
  EXPECT_EQ(Edit(kEditFailCount)->text(), "0");

  // The scales are read from their edits at every reading.
  Edit(kEditCurrentRange)->setText("200");
  Edit(kEditVoltRange)->setText("34");
  IconButton(kBtnAcquire)->click();
  EXPECT_EQ(Cell(kListValues, 10, 3), "50.00");
  EXPECT_EQ(Cell(kListValues, 0, 1), "17.000");
  // Not a whole number: the cells scale by 0.
  Edit(kEditVoltRange)->setText("17.5");
  IconButton(kBtnAcquire)->click();
  EXPECT_EQ(Cell(kListValues, 0, 1), "0.000");
  EXPECT_TRUE(prompts.Texts().isEmpty());
}

TEST_F(Acquisition, FailedSingleReadingLeavesTheTableAlone) {
  IconButton(kBtnAcquire)->click();
  const QStringList before = LiveColumn(1);
  ASSERT_FALSE(before[0].isEmpty());

  device->SetAllCells(2.0);
  device->SetFault(kx::Fault::Checksum, 1);
  IconButton(kBtnAcquire)->click();
  device->SetFault(kx::Fault::Silence, 1);
  IconButton(kBtnAcquire)->click();
  device->SetFault(kx::Fault::Short, 1, 20);
  IconButton(kBtnAcquire)->click();

  EXPECT_EQ(prompts.Texts(), QStringList({"通讯失败", "通讯失败", "通讯失败"}));
  EXPECT_EQ(LiveColumn(1), before);
  EXPECT_EQ(Probe().Port(), nullptr);
}

TEST_F(Acquisition, MissingPortIsReportedAndNothingStarts) {
  Edit(kEditPort)->setText("7");  // no device behind port 7
  IconButton(kBtnAcquire)->click();
  IconButton(kBtnContinuous)->click();
  EXPECT_EQ(prompts.Texts(), QStringList({"打开串口失败!", "打开串口失败!"}));
  EXPECT_EQ(IconButton(kBtnContinuous)->text(), QStringLiteral("连续采集"));
  EXPECT_EQ(Probe().Continuous(), 0);
  EXPECT_FALSE(panel->IsAcquiring());
  EXPECT_FALSE(panel->AcquisitionTimer().isActive());
  for (int id : kBusy) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(device->RequestCount(), 0u);
}

TEST_F(Acquisition, ContinuousRunCountsEveryTickAndRestoresThePanel) {
  Edit(kEditPeriod)->setText("250");
  Edit(kEditSuccessCount)->setText("9");  // stale counters from an earlier run
  Edit(kEditFailCount)->setText("4");
  IconButton(kBtnContinuous)->click();
  ASSERT_TRUE(panel->IsAcquiring());
  const QTimer* timer = &panel->AcquisitionTimer();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 250);
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "0");
  EXPECT_EQ(Edit(kEditFailCount)->text(), "0");
  for (int id : kBusy) EXPECT_FALSE(Enabled(id)) << id;
  EXPECT_TRUE(IconButton(kBtnAcquire)->isEnabled());  // refuses by its own rule

  Tick();                                // good
  device->SetFault(kx::Fault::Checksum, 1);
  Tick();                                // bad checksum
  device->SetFault(kx::Fault::Silence, 1);
  Tick();                                // no reply
  device->SetFault(kx::Fault::Short, 1, 1);
  Tick();                                // one byte short
  Tick();                                // good

  Edit(kEditPeriod)->setText("40");  // the period is taken at the start of a run only
  Edit(kEditAddress)->setText("5");   // the address at every tick
  device->SetAddress(5);
  Tick();

  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(timer->interval(), 250);
  EXPECT_EQ(Probe().SuccessCount() + Probe().FailCount(), 6);
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), QString::number(Probe().SuccessCount()));
  EXPECT_EQ(Edit(kEditFailCount)->text(), QString::number(Probe().FailCount()));
  EXPECT_EQ(Probe().SuccessCount(), 3);
  EXPECT_EQ(Probe().FailCount(), 3);
  ASSERT_FALSE(Requests().empty());
  EXPECT_EQ(Requests().back()[3], 5);
  EXPECT_NE(Probe().Port(), nullptr);  // the port stays open for the run

  IconButton(kBtnContinuous)->click();
  EXPECT_FALSE(panel->IsAcquiring());
  EXPECT_EQ(Probe().Continuous(), 0);
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(Probe().Port(), nullptr);
  for (int id : kBusy) EXPECT_TRUE(Enabled(id)) << id;
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "3");  // the counters stay on show after the run

  IconButton(kBtnContinuous)->click();  // the next run takes the new period and starts from 0
  EXPECT_EQ(timer->interval(), 40);
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "0");
  IconButton(kBtnContinuous)->click();
}

TEST_F(Acquisition, BusyRuleRefusesSingleReadingWithoutDisturbingTheRun) {
  IconButton(kBtnContinuous)->click();
  ASSERT_TRUE(panel->IsAcquiring());
  Tick();
  const size_t requests = device->RequestCount();

  IconButton(kBtnAcquire)->click();

  EXPECT_EQ(prompts.Texts(), QStringList({"请先停止当前采集!"}));
  EXPECT_EQ(device->RequestCount(), requests);
  EXPECT_TRUE(panel->IsAcquiring());
  EXPECT_NE(Probe().Port(), nullptr);
  EXPECT_TRUE(panel->AcquisitionTimer().isActive());
  Tick();  // the run goes on on the same open port
  EXPECT_EQ(Probe().SuccessCount(), 2);
  IconButton(kBtnContinuous)->click();
}

TEST_F(Acquisition, TextTypedDuringAReadingSurvivesItAndTheNextTickUsesIt) {
  Edit(kEditPeriod)->setText("100000");  // only the test's ticks
  IconButton(kBtnContinuous)->click();
  panel->OnTimer();
  ASSERT_TRUE(Probe().TickInFlight());
  // Typed while the reading is on the line.
  Edit(kEditAddress)->setText("5");
  Edit(kEditCurrentRange)->setText("200");
  Edit(kEditGroupNo)->setText("2");
  AwaitCounted(1);

  EXPECT_EQ(Edit(kEditAddress)->text(), "5");
  EXPECT_EQ(Edit(kEditCurrentRange)->text(), "200");
  EXPECT_EQ(Edit(kEditGroupNo)->text(), "2");
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "1");  // the reading is still counted
  device->SetAddress(5);
  Tick();
  EXPECT_EQ(Requests().back()[3], 5);
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "2");
  IconButton(kBtnContinuous)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
}

TEST_F(Acquisition, TicksFallingDueDuringAReadingAreDeliveredOnceAfterIt) {
  Edit(kEditPeriod)->setText("100000");  // the test fires the timer itself
  IconButton(kBtnContinuous)->click();
  panel->OnTimer();
  ASSERT_TRUE(Probe().TickInFlight());
  panel->OnTimer();  // the timer falls due twice while the reading runs
  panel->OnTimer();
  AwaitCounted(2);
  QCoreApplication::processEvents();
  EXPECT_FALSE(Probe().TickInFlight());
  EXPECT_EQ(Probe().SuccessCount(), 2);
  EXPECT_EQ(device->RequestCount(), 2u);

  // Stopping the run drops a tick that fell due during its last reading.
  panel->OnTimer();
  panel->OnTimer();
  IconButton(kBtnContinuous)->click();
  QCoreApplication::processEvents();
  EXPECT_EQ(Probe().SuccessCount(), 3);
  EXPECT_EQ(device->RequestCount(), 3u);
}

TEST_F(Acquisition, TimerDrivesTheReadings) {
  Edit(kEditPeriod)->setText("1");
  IconButton(kBtnContinuous)->click();
  ASSERT_TRUE(panel->IsAcquiring());
  AwaitCounted(2);
  IconButton(kBtnContinuous)->click();
  EXPECT_GE(Probe().SuccessCount(), 2);
  EXPECT_EQ(Probe().FailCount(), 0);
  EXPECT_GE(device->RequestCount(), 2u);
}

}  // namespace
