// The voltage range gear (set and read back) and the eight calibrations of the
// factory strip.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/GearCalibration.h"
#include "link/Messages.h"
#include "panel/ControlIds.h"
#include "panel/TesterDlg.h"

using namespace kx::panel::ids;

namespace {

// Where each calibration of the device sits on the panel: its point list and its
// "校准" button, by the calibration's channel.
struct CalibrationControls {
  uint8_t channel;
  int list;
  int button;
};
constexpr CalibrationControls kCalibrationControls[] = {
    {0x13, kComboCalCell2V, kBtnCalCell2V},     {0x12, kComboCalCell6V, kBtnCalCell6V},
    {0x11, kComboCalCell12V, kBtnCalCell12V},   {0x23, kComboCalTotal2V, kBtnCalTotal2V},
    {0x22, kComboCalTotal6V, kBtnCalTotal6V},   {0x21, kComboCalTotal12V, kBtnCalTotal12V},
    {0x30, kComboCalTemp, kBtnCalTemp},         {0x40, kComboCalCurrent, kBtnCalCurrent},
};

const CalibrationControls* ControlsOfButton(int button) {
  for (const CalibrationControls& c : kCalibrationControls) {
    if (c.button == button) return &c;
  }
  return nullptr;
}

const kx::CalibrationRow* RowOfChannel(uint8_t channel) {
  for (const kx::CalibrationRow& row : kx::CalibrationRows()) {
    if (row.channel == channel) return &row;
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
       .ready = [this, gear] { return gear.has_value() || Refuse(kx::msg::kChooseGear); }},
      [this, gear] {
        return [address = m_nAddress, gear = gear.value_or(0)](kx::Port& port) {
          return kx::SetGear(port, address, gear);
        };
      },
      [this](const kx::ExchangeResult& result) { ShowMessage(kx::SetGearMessage(result.outcome)); });
}

void CTesterDlg::OnReadGear() {
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound},
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
  const kx::CalibrationRow* row = controls ? RowOfChannel(controls->channel) : nullptr;
  if (row == nullptr) return;
  const auto point = kx::CalibrationPointOfEntry(ControlAs<QComboBox>(controls->list)->currentIndex());
  // The window is blocked for the row's whole wait (up to 30 s for the cells).
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound,
       .busy = Busy::Refused,
       .ready = [this, point] { return point.has_value() || Refuse(kx::msg::kChooseCalibrationPoint); }},
      [this, row, point] {
        return [address = m_nAddress, row = *row, point = point.value_or(0)](kx::Port& port) {
          return kx::Calibrate(port, address, row, point);
        };
      },
      [this, row](const kx::ExchangeResult& result) { ShowMessage(kx::CalibrationMessage(*row, result.outcome)); });
}
