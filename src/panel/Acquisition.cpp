// Live acquisition: one reading ("采集") or a reading per tick of timer 1
// ("连续采集" / "取消采集"), with the success and failure counters.

#include <QLineEdit>
#include <QTableWidget>
#include <climits>
#include <utility>

#include "link/LiveValues.h"
#include "link/Messages.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"

namespace {

// The controls that would use or disturb the open port while a run lasts.
constexpr int kBusyControls[] = {1090, 1106, 1105, 1099, 1092, 1074, 1107, 1119, 1122, 1124, 1127, 1130};

// A scale typed into an edit: a whole number or 0, then taken as unsigned 32-bit
// (so "-k" acts as 2^32 - k, as the device tool always treated it).
uint32_t ScaleFromEdit(const QLineEdit* edit) {
  const QString text = edit ? edit->text() : QString();
  return static_cast<uint32_t>(kx::panel::FieldText::ParseInt(text).value_or(0));
}

// Where the live table shows value index of the acquisition: cells 1..31 down
// column 1, then cells 32..40 and the seven other quantities down column 3.
constexpr int kFirstColumnRows = 31;
std::pair<int, int> LiveCell(int index) {
  return index < kFirstColumnRows ? std::pair{index, 1} : std::pair{index - kFirstColumnRows, 3};
}

void SetCellText(QTableWidget* table, int row, int column, const QString& text) {
  if (auto* item = table->item(row, column)) {
    item->setText(text);
  } else {
    table->setItem(row, column, new QTableWidgetItem(text));
  }
}

}  // namespace

void CTesterDlg::ConnectAcquisition() {
  connect(m_btnAcquire, &QPushButton::clicked, this, [this] { OnAcquire(); });
  connect(m_btnContinuous, &QPushButton::clicked, this, [this] { OnContinuous(); });
  connect(&m_timer1, &QTimer::timeout, this, [this] { OnTimer(); });
}

bool CTesterDlg::AcquireValues() {
  UpdateData(true);
  if (!m_hComm) return false;
  const kx::ExchangeResult result = kx::AcquireLive(*m_hComm, m_nAddress);
  if (result.outcome != kx::ExchangeOutcome::Ok) return false;
  // Both scales are read from their edits at every reading.
  const uint32_t volts = ScaleFromEdit(ControlAs<QLineEdit>(1073));
  const uint32_t amperes = ScaleFromEdit(ControlAs<QLineEdit>(1069));
  const auto values = kx::ScaleLiveValues(result.reply, volts, amperes);
  if (values.empty()) return false;
  for (size_t i = 0; i < values.size(); ++i) {
    const auto [row, column] = LiveCell(static_cast<int>(i));
    SetCellText(m_listValues, row, column, QString::fromUtf8(values[i].text.c_str()));
  }
  return true;
}

void CTesterDlg::OnAcquire() {
  if (IsAcquiring()) {
    ShowMessage(QString::fromUtf8(kx::msg::kStopAcquisitionFirst));
    return;
  }
  if (!OpenPort()) {
    ShowMessage(QString::fromUtf8(kx::msg::kOpenPortFailed));
    return;
  }
  if (!AcquireValues()) ShowMessage(QString::fromUtf8(kx::msg::kCommFailed));
  ClosePort();
}

void CTesterDlg::OnContinuous() {
  UpdateData(true);
  if (m_bContinuous == 0) {
    if (!OpenPort()) {
      ShowMessage(QString::fromUtf8(kx::msg::kOpenPortFailed));
      m_timer1.stop();
      return;
    }
    m_nFailCount = 0;
    m_nSuccessCount = 0;
    m_bContinuous = 1;
    m_btnContinuous->setText(QStringLiteral("取消采集"));
    // The period is taken once per run. A negative one never fires, as a window
    // timer clamps it to its longest period.
    const long long period = kx::panel::FieldText::AtoiWide(m_strPeriod);
    m_timer1.start(period < 0 || period > INT_MAX ? INT_MAX : static_cast<int>(period));
    for (int id : kBusyControls) {
      if (QWidget* w = Control(id)) w->setEnabled(false);
    }
    UpdateData(false);
    return;
  }
  m_bContinuous = 0;
  m_btnContinuous->setText(QStringLiteral("连续采集"));
  for (int id : kBusyControls) {
    if (QWidget* w = Control(id)) w->setEnabled(true);
  }
  m_timer1.stop();
  ClosePort();
  UpdateData(false);
}

void CTesterDlg::OnTimer() {
  // A prompt shown inside a tick runs a nested event loop in which the timer keeps
  // firing; ticks must not overlap on the one port.
  if (m_bInTick) return;
  m_bInTick = true;
  UpdateData(true);
  if (AcquireValues()) {
    ++m_nSuccessCount;
  } else {
    ++m_nFailCount;
  }
  UpdateData(false);
  m_bInTick = false;
}
