#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/Alarms.h"
#include "panel/FactoryPanel.h"
#include "panel/ControlIds.h"
#include "panel/FieldText.h"

using namespace kx::panel::ids;

using kx::panel::Show;

namespace {

long long Typed(const QLineEdit* edit) { return kx::panel::FieldText::AtoiWide(edit->text()); }

// The usual settings exchange: open, send the group's data, report, close.
void SendAlarmSetting(CTesterDlg& dlg, kx::AlarmSetting setting, std::span<const uint8_t> data) {
  const kx::ExchangeResult r = kx::SetAlarm(*dlg.m_hComm, dlg.m_nAddress, setting, data);
  dlg.ClosePort();
  Show(dlg, kx::SetAlarmMessage(r.outcome));
}

}  // namespace

void CTesterDlg::ConnectAlarms() {
  connect(m_btnReadAlarm, &QPushButton::clicked, this, [this] { OnReadAlarm(); });
  connect(m_btnSetVoltAlarm, &QPushButton::clicked, this, [this] { OnSetVoltAlarm(); });
  connect(m_btnSetCurrentAlarm, &QPushButton::clicked, this, [this] { OnSetCurrentAlarm(); });
  connect(m_btnSetTemp1Alarm, &QPushButton::clicked, this, [this] { OnSetTempAlarm(1); });
  connect(m_btnSetTemp2Alarm, &QPushButton::clicked, this, [this] { OnSetTempAlarm(2); });
  connect(m_btnSetTemp3Alarm, &QPushButton::clicked, this, [this] { OnSetTempAlarm(3); });
  for (QCheckBox* box : {m_checkAlarmVolt, m_checkAlarmCurrent, m_checkAlarmTemp1, m_checkAlarmTemp2,
                         m_checkAlarmTemp3}) {
    const int id = box->objectName().toInt();
    connect(box, &QCheckBox::toggled, this, [this, id] { OnAlarmSwitch(id); });
  }
}

void CTesterDlg::OnAlarmSwitch(int checkId) {
  // Only the switch changes; the device hears of it with the group's next "设置".
  auto* box = ControlAs<QCheckBox>(checkId);
  if (box == nullptr) return;
  const int on = box->isChecked() ? 1 : 0;
  switch (checkId) {
    case kCheckAlarmVolt: g_bAlarmVoltOn = on; break;
    case kCheckAlarmCurrent: g_bAlarmCurrentOn = on; break;
    case kCheckAlarmTemp1: g_bAlarmTemp1On = on; break;
    case kCheckAlarmTemp2: g_bAlarmTemp2On = on; break;
    case kCheckAlarmTemp3: g_bAlarmTemp3On = on; break;
    default: break;
  }
}

void CTesterDlg::OnReadAlarm() {
  UpdateData(true);
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const kx::AlarmReading r = kx::ReadAlarmWord(*m_hComm, m_nAddress);
  ClosePort();
  if (const char* failure = kx::ReadAlarmMessage(r.outcome)) {
    Show(*this, failure);
    return;
  }
  ShowMessage(QString::fromStdString(kx::AlarmReport(r.word)));
}

void CTesterDlg::OnSetVoltAlarm() {
  UpdateData(true);
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const auto data = kx::VoltAlarmData(g_bAlarmVoltOn != 0, Typed(m_editOverVolt), Typed(m_editUnderVolt));
  SendAlarmSetting(*this, kx::AlarmSetting::Volt, data);
}

void CTesterDlg::OnSetCurrentAlarm() {
  UpdateData(true);
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const auto data = kx::CurrentAlarmData(g_bAlarmCurrentOn != 0, Typed(m_editOverCurrent));
  SendAlarmSetting(*this, kx::AlarmSetting::Current, data);
}

void CTesterDlg::OnSetTempAlarm(int which) {
  struct Group {
    kx::AlarmSetting setting;
    const int* on;
    QLineEdit* high;
    QLineEdit* low;
  };
  const Group groups[] = {
      {kx::AlarmSetting::Temp1, &g_bAlarmTemp1On, m_editTemp1High, m_editTemp1Low},
      {kx::AlarmSetting::Temp2, &g_bAlarmTemp2On, m_editTemp2High, m_editTemp2Low},
      {kx::AlarmSetting::Temp3, &g_bAlarmTemp3On, m_editTemp3High, m_editTemp3Low},
  };
  if (which < 1 || which > 3) return;
  const Group& g = groups[which - 1];
  UpdateData(true);
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const auto data = kx::TempAlarmData(*g.on != 0, Typed(g.high), Typed(g.low));
  SendAlarmSetting(*this, g.setting, data);
}
