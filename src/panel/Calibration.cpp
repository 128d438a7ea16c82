#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/GearCalibration.h"
#include "panel/FactoryPanel.h"
#include "panel/PanelTexts.h"

using kx::panel::Show;

namespace {

// Each calibration's button and point list on the panel.
struct CalibrationControls {
  const char* key;
  int button;
  int list;
};
constexpr CalibrationControls kCalibrationControls[] = {
    {"cell-2v", 1078, 1077},   {"cell-6v", 1080, 1079},   {"cell-12v", 1082, 1081}, {"total-2v", 1084, 1083},
    {"total-6v", 1086, 1085},  {"total-12v", 1088, 1087}, {"temp", 1102, 1101},     {"current", 1104, 1103},
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
  UpdateData(true);
  // The strip's buttons stay enabled during continuous acquisition; they refuse here.
  if (IsAcquiring()) {
    Show(*this, kx::msg::kStopAcquisitionFirst);
    return;
  }
  const auto gear = kx::GearOfEntry(m_comboGear->currentIndex());
  if (!gear) {
    Show(*this, kx::msg::kChooseGear);
    return;
  }
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const kx::ExchangeResult r = kx::SetGear(*m_hComm, m_nAddress, *gear);
  ClosePort();
  Show(*this, kx::SetGearMessage(r.outcome));
}

void CTesterDlg::OnReadGear() {
  UpdateData(true);
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const kx::GearReading r = kx::ReadGear(*m_hComm, m_nAddress);
  ClosePort();
  if (const char* failure = kx::ReadGearMessage(r)) {
    Show(*this, failure);
    return;
  }
  m_editRangeGear->setText(QString::fromUtf8(kx::GearText(r.gear)));
}

void CTesterDlg::OnCalibrate(int button) {
  const CalibrationControls* controls = ControlsOfButton(button);
  const kx::CalibrationRow* row = controls ? kx::FindCalibrationRow(controls->key) : nullptr;
  if (row == nullptr) return;
  UpdateData(true);
  if (IsAcquiring()) {
    Show(*this, kx::msg::kStopAcquisitionFirst);
    return;
  }
  const auto point = kx::CalibrationPointOfEntry(ControlAs<QComboBox>(controls->list)->currentIndex());
  if (!point) {
    Show(*this, kx::msg::kChooseCalibrationPoint);
    return;
  }
  if (!kx::panel::OpenFactoryPort(*this)) return;
  // The window is blocked for the row's whole wait (up to 30 s for the cells).
  const kx::ExchangeResult r = kx::Calibrate(*m_hComm, m_nAddress, *row, *point);
  ClosePort();
  Show(*this, kx::CalibrationMessage(*row, r.outcome));
}
