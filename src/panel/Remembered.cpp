// The settings the panel remembers between runs (panel/PanelSettings.h): taken
// from the store the application attaches, written back when the panel closes.

#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <utility>

#include "panel/ControlIds.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"

using namespace kx::panel::ids;
using kx::panel::FieldText;

void CTesterDlg::UseSettings(SettingsOpener open, bool startWithDefaults) {
  m_openSettings = std::move(open);
  m_settings.reset();
  if (startWithDefaults) return;
  QSettings* store = Settings();
  if (store) ApplySettings(kx::panel::ReadPanelSettings(*store));
  // The viewer keeps its analysis parameters in the same store.
  m_dlgCurveView.UseSettings(store, true);
}

QSettings* CTesterDlg::Settings() {
  if (m_openSettings) m_settings = std::exchange(m_openSettings, nullptr)();
  return m_settings.get();
}

kx::panel::PanelSettings CTesterDlg::CurrentSettings() const {
  kx::panel::PanelSettings s;
  // Read without the data exchange's prompts: closing never asks anything.
  auto number = [this](int id, int last) { return FieldText::ParseInt(ControlAs<QLineEdit>(id)->text()).value_or(last); };
  s.port = number(kEditPort, m_nPort);
  s.address = number(kEditAddress, m_nAddress);
  const int item = m_comboBaud->currentIndex();
  if (item >= 0) s.baud = FieldText::Atoi(m_comboBaud->itemText(item));
  s.period = ControlAs<QLineEdit>(kEditPeriod)->text();
  s.currentRange = ControlAs<QLineEdit>(kEditCurrentRange)->text();
  if (isVisible()) s.windowPos = pos();
  s.openFolder = m_strOpenFolder;
  s.saveFolder = m_strSaveFolder;
  s.logFolder = m_strLogFolder;
  s.language = m_language;
  return s;
}

void CTesterDlg::ApplySettings(const kx::panel::PanelSettings& s) {
  m_nPort = s.port;
  m_nAddress = s.address;
  m_strPeriod = s.period;
  m_strCurrentRange = s.currentRange;
  const int item = m_comboBaud->findText(QString::number(s.baud));
  if (item >= 0) m_comboBaud->setCurrentIndex(item);
  if (s.windowPos) move(*s.windowPos);
  m_strOpenFolder = s.openFolder;
  m_strSaveFolder = s.saveFolder;
  m_strLogFolder = s.logFolder;
  m_language = s.language;
  UpdateData(false);
  ControlAs<QLineEdit>(kEditPort)->setToolTip(ResolvedPortPath());
}

void CTesterDlg::ChooseLanguage(kx::Language language) {
  m_language = language;
  if (QSettings* store = Settings()) {
    store->setValue(QLatin1String(kx::panel::kKeyLanguage), QLatin1String(kx::LanguageCode(language)));
    store->sync();
  }
  // The windows are built in one language; switching them all over is not worth it.
  ShowMessage(QString::fromUtf8(kx::msg::kLanguageNextStart));
}

void CTesterDlg::SaveSettings() {
  if (QSettings* store = Settings()) kx::panel::WritePanelSettings(*store, CurrentSettings());
}
