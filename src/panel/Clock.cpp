// The device clock: set it from the PC's local time ("设置时间") and read it back
// into the read-out ("读取设备时间").

#include <QLabel>
#include <ctime>

#include "link/DeviceClock.h"
#include "link/Messages.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"
#include "widgets/IconButton.h"

void CTesterDlg::ConnectClock() {
  connect(m_btnSetTime, &QPushButton::clicked, this, [this] { OnSetTime(); });
  connect(m_btnReadTime, &QPushButton::clicked, this, [this] { OnReadTime(); });
}

void CTesterDlg::OnSetTime() {
  UpdateData(true);
  if (IsAcquiring()) {
    ShowMessage(QString::fromUtf8(kx::msg::kStopAcquisitionFirst));
    return;
  }
  if (!OpenPort()) {
    // Said aloud: a silent failure leaves the operator guessing.
    ShowMessage(QString::fromUtf8(kx::msg::kPortNotFound));
    return;
  }
  // One reading of the clock fills both the frame and the success text.
  const time_t now = m_clockNow ? static_cast<time_t>(m_clockNow()) : std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const kx::SetClockResult result = kx::SetDeviceClock(*m_hComm, m_nAddress, local);
  ClosePort();
  ShowMessage(QString::fromUtf8(kx::SetClockMessage(result.outcome, local).c_str()));
}

void CTesterDlg::OnReadTime() {
  UpdateData(true);
  if (!OpenPort()) {
    ShowMessage(QString::fromUtf8(kx::msg::kPortNotFound));
    return;
  }
  const kx::ReadClockResult result = kx::ReadDeviceClock(*m_hComm, m_nAddress);
  ClosePort();
  if (result.outcome != kx::ReadClockOutcome::Ok) {
    ShowMessage(QString::fromUtf8(kx::ReadClockMessage(result.outcome).c_str()));
    return;
  }
  m_staticDeviceTime->setText(QString::fromUtf8(kx::FormatDeviceTime(result.time).c_str()));
}
