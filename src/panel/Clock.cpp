// The device clock: set it from the PC's local time ("设置时间") and read it back
// into the read-out ("读取设备时间").

#include <QLabel>
#include <ctime>

#include "link/DeviceClock.h"
#include "texts/ChineseTexts.h"
#include "texts/Messages.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"
#include "widgets/IconButton.h"

void CTesterDlg::ConnectClock() {
  connect(m_btnSetTime, &QPushButton::clicked, this, [this] { OnSetTime(); });
  connect(m_btnReadTime, &QPushButton::clicked, this, [this] { OnReadTime(); });
}

void CTesterDlg::OnSetTime() {
  struct ClockSet {
    kx::SetClockResult result;
    std::tm local;  // the reading the frame was built from
  };
  // Said aloud when the port does not open: a silent failure leaves the operator guessing.
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .busy = Busy::Refused},
      [this] {
        // One reading of the clock, once the port is open, fills both the frame and the success text.
        const time_t now = m_clockNow ? static_cast<time_t>(m_clockNow()) : std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return [address = m_nAddress, local](kx::Port& port) {
          return ClockSet{kx::SetDeviceClock(port, address, local), local};
        };
      },
      [this](const ClockSet& set) { ShowMessage(kx::SetClockMessage(set.result.outcome, set.local).c_str()); });
}

void CTesterDlg::OnReadTime() {
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .waitMs = WaitOf(kx::Command::ReadClock)},
      [this] { return [address = m_nAddress](kx::Port& port) { return kx::ReadDeviceClock(port, address); }; },
      [this](const kx::ReadClockResult& result) {
        if (result.outcome != kx::ReadClockOutcome::Ok) {
          ShowMessage(kx::ReadClockMessage(result.outcome).c_str());
          return;
        }
        m_staticDeviceTime->setText(QString::fromStdString(kx::FormatDeviceTime(result.time)));
      });
}
