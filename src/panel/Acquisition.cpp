// Live acquisition: one reading ("采集") or a reading per tick of timer 1
// ("连续采集" / "取消采集"), with the success and failure counters.

#include <QLineEdit>
#include <QTableWidget>
#include <climits>
#include <utility>

#include "lang/Language.h"
#include "link/LiveValues.h"
#include "link/LocalTime.h"
#include "texts/Messages.h"
#include "panel/ControlIds.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"
#include "panel/ValueTables.h"

using namespace kx::panel::ids;

namespace {

// The controls that would use or disturb the open port while a run lasts.
constexpr int kBusyControls[] = {kBtnSetAddress,   kBtnSetBaud,         kBtnReadAlarm,     kBtnReadGear,
                                 kBtnReadTime,     kBtnFactoryMode,     kBtnReadVersion,   kBtnSetVoltAlarm,
                                 kBtnSetCurrentAlarm, kBtnSetTemp1Alarm, kBtnSetTemp2Alarm, kBtnSetTemp3Alarm};

}  // namespace

void CTesterDlg::ConnectAcquisition() {
  connect(m_btnAcquire, &QPushButton::clicked, this, [this] { OnAcquire(); });
  connect(m_btnContinuous, &QPushButton::clicked, this, [this] { OnContinuous(); });
  connect(&m_acquisitionTimer, &QTimer::timeout, this, [this] { OnTimer(); });
  m_timerDue.setSingleShot(true);
  m_timerDue.setInterval(0);
  connect(&m_timerDue, &QTimer::timeout, this, [this] { OnTimer(); });
}

CTesterDlg::Exchange<kx::ExchangeResult> CTesterDlg::LiveExchange() {
  // Every reading reads the controls again, as it always did.
  UpdateData(true);
  return [address = m_nAddress](kx::Port& port) { return kx::AcquireLive(port, address); };
}

std::optional<kx::LiveReading> CTesterDlg::ShowLiveValues(const kx::ExchangeResult& result) {
  if (result.outcome != kx::ExchangeOutcome::Ok) return std::nullopt;
  // Both scales are read from their edits at every reading.
  const uint32_t volts = kx::panel::FieldText::Scale(ControlAs<QLineEdit>(kEditVoltRange)->text());
  const uint32_t amperes = kx::panel::FieldText::Scale(ControlAs<QLineEdit>(kEditCurrentRange)->text());
  const std::optional<kx::LiveReading> reading = kx::ScaleLiveValues(result.reply, volts, amperes);
  if (!reading) return std::nullopt;
  for (size_t k = 0; k < kx::kLiveValueCount; ++k) {
    const kx::panel::TableCell cell = kx::panel::ValueCell(k);
    kx::panel::SetCell(m_listValues, cell.row, cell.column, QString::fromStdString(reading->Text(k)));
  }
  ShowCellMarks(*reading);
  return reading;
}

void CTesterDlg::OnAcquire() {
  RunOnPort(
      {.openFailure = kx::msg::kOpenPortFailed,
       .busy = Busy::Refused,
       .readFirst = false,
       .waitMs = WaitOf(kx::Command::Acquire)},
      [this] { return LiveExchange(); },
      [this](const kx::ExchangeResult& result) {
        if (!ShowLiveValues(result)) ShowMessage(kx::QTr("Messages", kx::msg::kCommFailed));
      });
}

void CTesterDlg::OnContinuous() {
  UpdateData(true);
  if (m_bContinuous == 0) {
    if (!OpenPort()) {
      ShowMessage(kx::QTr("Messages", kx::msg::kOpenPortFailed));
      m_acquisitionTimer.stop();
      return;
    }
    m_nFailCount = 0;
    m_nSuccessCount = 0;
    StartLog();  // asks for the file while no tick can run yet
    m_bContinuous = 1;
    m_btnContinuous->setText(kx::QTr("CTesterDlg", "取消采集"));
    // The period is taken once per run. A negative one never fires, as a window
    // timer clamps it to its longest period.
    const long long period = kx::panel::FieldText::AtoiWide(m_strPeriod);
    m_acquisitionTimer.start(period < 0 || period > INT_MAX ? INT_MAX : static_cast<int>(period));
    for (int id : kBusyControls) Control(id)->setEnabled(false);
    UpdateData(false);
    return;
  }
  AwaitLine();  // a reading in flight is counted before the run stops
  m_bContinuous = 0;
  // Stopping the timer takes back a tick that fell due, as killing a window timer does.
  m_bTickDue = false;
  m_timerDue.stop();
  m_btnContinuous->setText(kx::QTr("CTesterDlg", "连续采集"));
  for (int id : kBusyControls) Control(id)->setEnabled(true);
  m_acquisitionTimer.stop();
  ClosePort();
  StopLog();
  UpdateData(false);
}

void CTesterDlg::OnTimer() {
  if (m_bClosing) return;
  // Ticks never overlap on the one port: not while one is on the worker, nor while
  // a prompt of one runs a nested event loop, nor while an operation's exchange runs.
  // One that falls due meanwhile is kept and comes once, when the panel is free.
  if (m_bInTick || m_bExchanging) {
    if (m_bContinuous) m_bTickDue = true;
    return;
  }
  m_bTickDue = false;
  m_timerDue.stop();
  m_bInTick = true;
  m_strTickTime = kx::LocalTimeNowMs();
  UpdateData(true);
  // The run holds the port open between ticks; each tick is one exchange on it,
  // started on the worker, and its completion (FinishTick) counts it.
  StartTickOnWorker();
}
