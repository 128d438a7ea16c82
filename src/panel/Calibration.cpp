// The voltage range gear (set and read back) and the eight calibrations of the
// factory strip.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/GearCalibration.h"
#include "texts/ChineseTexts.h"
#include "texts/Messages.h"
#include "panel/ControlIds.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"

using namespace kx::panel::ids;

namespace {

// Where each calibration of the device sits on the panel: its point list and its
// "校准" button, by the calibration's key.
struct CalibrationControls {
  const char* key;
  int list;
  int button;
};
constexpr CalibrationControls kCalibrationControls[] = {
    {"cell-2v", kComboCalCell2V, kBtnCalCell2V},     {"cell-6v", kComboCalCell6V, kBtnCalCell6V},
    {"cell-12v", kComboCalCell12V, kBtnCalCell12V},  {"total-2v", kComboCalTotal2V, kBtnCalTotal2V},
    {"total-6v", kComboCalTotal6V, kBtnCalTotal6V},  {"total-12v", kComboCalTotal12V, kBtnCalTotal12V},
    {"temp", kComboCalTemp, kBtnCalTemp},            {"current", kComboCalCurrent, kBtnCalCurrent},
};

const CalibrationControls* ControlsOfButton(int button) {
  for (const CalibrationControls& c : kCalibrationControls) {
    if (c.button == button) return &c;
  }
  return nullptr;
}

}  // namespace

void CTesterDlg::ConnectCalibration() {
  connect(m_btnSetGear, &QPushButton::clicked, this, [this] { OnSetGear(); });
  connect(m_btnReadGear, &QPushButton::clicked, this, [this] { OnReadGear(); });
  for (const CalibrationControls& c : kCalibrationControls) {
    const int button = c.button;
    connect(ControlAs<QPushButton>(button), &QPushButton::clicked, this, [this, button] { OnCalibrate(button); });
  }
}

void CTesterDlg::OnSetGear() {
  // The strip's buttons stay enabled during continuous acquisition; they refuse here.
  const auto gear = kx::GearOfEntry(m_comboGear->currentIndex());
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound,
       .busy = Busy::Refused,
       .ready = [this, gear] { return gear.has_value() || Refuse(kx::msg::kChooseGear); },
       .waitMs = WaitOf(kx::Command::SetGear)},
      [this, gear] {
        return [address = m_nAddress, gear = gear.value_or(0)](kx::Port& port) {
          return kx::SetGear(port, address, gear);
        };
      },
      [this](const kx::ExchangeResult& result) { ShowMessage(kx::SetGearMessage(result.outcome)); });
}

void CTesterDlg::OnReadGear() {
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .waitMs = WaitOf(kx::Command::ReadGear)},
      [this] { return [address = m_nAddress](kx::Port& port) { return kx::ReadGear(port, address); }; },
      [this](const kx::GearReading& reading) {
        if (const char* failure = kx::ReadGearMessage(reading)) {
          ShowMessage(failure);
          return;
        }
        m_editRangeGear->setText(QString::fromUtf8(kx::GearText(reading.gear)));
      });
}

void CTesterDlg::OnCalibrate(int button) {
  const CalibrationControls* controls = ControlsOfButton(button);
  const kx::CalibrationRow* row = controls ? kx::FindCalibrationRow(controls->key) : nullptr;
  if (row == nullptr) return;
  const auto point = kx::CalibrationPointOfEntry(ControlAs<QComboBox>(controls->list)->currentIndex());
  // The unit may take the row's whole wait (up to 30 s for the cells); the strip counts it.
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound,
       .busy = Busy::Refused,
       .ready = [this, point] { return point.has_value() || Refuse(kx::msg::kChooseCalibrationPoint); },
       .waitMs = kx::ScaledWait(kx::CalibrationWaitMs(row->channel), m_waitScale)},
      [this, row, point] {
        return [address = m_nAddress, row = *row, point = point.value_or(0)](kx::Port& port) {
          return kx::Calibrate(port, address, row, point);
        };
      },
      [this, row](const kx::ExchangeResult& result) { ShowMessage(kx::CalibrationMessage(*row, result.outcome)); });
}
