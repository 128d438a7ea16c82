// The alarm registers: read the device's alarm word, and send one group's alarm
// setting with its switch and the values in its edits.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/Alarms.h"
#include "texts/ChineseTexts.h"
#include "texts/Messages.h"
#include "panel/FieldText.h"
#include "panel/TesterDlg.h"

namespace {

long long Typed(const QLineEdit* edit) { return kx::panel::FieldText::AtoiWide(edit->text()); }

}  // namespace

void CTesterDlg::ConnectAlarms() {
  connect(m_btnReadAlarm, &QPushButton::clicked, this, [this] { OnReadAlarm(); });
  connect(m_btnSetVoltAlarm, &QPushButton::clicked, this, [this] { OnSetVoltAlarm(); });
  connect(m_btnSetCurrentAlarm, &QPushButton::clicked, this, [this] { OnSetCurrentAlarm(); });
  connect(m_btnSetTemp1Alarm, &QPushButton::clicked, this, [this] { OnSetTempAlarm(1); });
  connect(m_btnSetTemp2Alarm, &QPushButton::clicked, this, [this] { OnSetTempAlarm(2); });
  connect(m_btnSetTemp3Alarm, &QPushButton::clicked, this, [this] { OnSetTempAlarm(3); });
  for (int i = 0; i < kAlarmGroups; ++i) {
    const auto group = static_cast<AlarmGroup>(i);
    connect(AlarmSwitchBox(group), &QCheckBox::toggled, this, [this, group] { OnAlarmSwitch(group); });
  }
}

QCheckBox* CTesterDlg::AlarmSwitchBox(AlarmGroup group) const {
  const std::array<QCheckBox*, kAlarmGroups> boxes = {m_checkAlarmVolt, m_checkAlarmCurrent, m_checkAlarmTemp1,
                                                      m_checkAlarmTemp2, m_checkAlarmTemp3};
  return boxes[group];
}

void CTesterDlg::OnAlarmSwitch(AlarmGroup group) {
  // Only the switch changes; the device hears of it with the group's next "设置".
  m_bAlarmOn[group] = AlarmSwitchBox(group)->isChecked() ? 1 : 0;
}

void CTesterDlg::OnReadAlarm() {
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .waitMs = WaitOf(kx::Command::ReadAlarm)},
      [this] { return [address = m_nAddress](kx::Port& port) { return kx::ReadAlarmWord(port, address); }; },
      [this](const kx::AlarmReading& reading) {
        if (const char* failure = kx::ReadAlarmMessage(reading.outcome)) {
          ShowMessage(failure);
          return;
        }
        ShowMessage(QString::fromStdString(kx::AlarmReport(reading.word)));
      });
}

void CTesterDlg::OnSetVoltAlarm() { SetAlarm(kAlarmVolt); }

void CTesterDlg::OnSetCurrentAlarm() { SetAlarm(kAlarmCurrent); }

void CTesterDlg::OnSetTempAlarm(int which) {
  if (which < 1 || which > 3) return;
  SetAlarm(static_cast<AlarmGroup>(kAlarmTemp1 + which - 1));
}

void CTesterDlg::SetAlarm(AlarmGroup group) {
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .waitMs = WaitOf(kx::Command::SetVoltAlarm)},
      [this, group] {
        // The switch goes with whatever the group's edits hold at this moment.
        const bool on = m_bAlarmOn[group] != 0;
        std::vector<uint8_t> data;
        kx::AlarmSetting setting = kx::AlarmSetting::Volt;
        auto take = [&data](const auto& bytes) { data.assign(bytes.begin(), bytes.end()); };
        switch (group) {
          case kAlarmVolt:
            take(kx::VoltAlarmData(on, Typed(m_editOverVolt), Typed(m_editUnderVolt)));
            break;
          case kAlarmCurrent:
            setting = kx::AlarmSetting::Current;
            take(kx::CurrentAlarmData(on, Typed(m_editOverCurrent)));
            break;
          case kAlarmTemp1:
            setting = kx::AlarmSetting::Temp1;
            take(kx::TempAlarmData(on, Typed(m_editTemp1High), Typed(m_editTemp1Low)));
            break;
          case kAlarmTemp2:
            setting = kx::AlarmSetting::Temp2;
            take(kx::TempAlarmData(on, Typed(m_editTemp2High), Typed(m_editTemp2Low)));
            break;
          case kAlarmTemp3:
            setting = kx::AlarmSetting::Temp3;
            take(kx::TempAlarmData(on, Typed(m_editTemp3High), Typed(m_editTemp3Low)));
            break;
        }
        return [address = m_nAddress, setting, data](kx::Port& port) {
          return kx::SetAlarm(port, address, setting, data);
        };
      },
      [this](const kx::ExchangeResult& result) { ShowMessage(kx::SetAlarmMessage(result.outcome)); });
}
