#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/DeviceSettings.h"
#include "panel/FactoryPanel.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"

using kx::panel::Show;

namespace {

// Reads the version into the static 1093 (and 1133 when asked); false on failure.
void ReadVersionInto(CTesterDlg& dlg, bool alsoStatus) {
  dlg.UpdateData(true);
  if (!kx::panel::OpenFactoryPort(dlg)) return;
  const kx::VersionReading r = kx::ReadVersion(*dlg.m_hComm, dlg.m_nAddress);
  dlg.ClosePort();
  if (const char* failure = kx::VersionMessage(r.outcome)) {
    Show(dlg, failure);
    return;
  }
  const QString text = QString::fromStdString(kx::FormatVersion(r.raw));
  dlg.m_staticVersion->setText(text);
  if (alsoStatus) dlg.m_staticStatus->setText(text);
}

}  // namespace

void CTesterDlg::ConnectDeviceSettings() {
  // The version static 1093 reports its clicks to OnVersionClicked itself.
  connect(m_btnReadVersion, &QPushButton::clicked, this, [this] { OnReadVersion(); });
  connect(m_btnSetAddress, &QPushButton::clicked, this, [this] { OnSetAddress(); });
  connect(m_btnSetBaud, &QPushButton::clicked, this, [this] { OnSetBaud(); });
}

void CTesterDlg::OnVersionClicked() {
  // The port belongs to continuous acquisition while it runs.
  if (m_bContinuous) return;
  ReadVersionInto(*this, false);
}

void CTesterDlg::OnReadVersion() { ReadVersionInto(*this, true); }

void CTesterDlg::OnSetAddress() {
  UpdateData(true);
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const auto newAddress = kx::CheckNewAddress(kx::panel::FieldText::AtoiWide(m_editNewAddress->text()));
  if (!newAddress) {
    ClosePort();
    Show(*this, kx::msg::kAddressOutOfRange);
    return;
  }
  const kx::ExchangeResult r = kx::SetAddress(*m_hComm, m_nAddress, *newAddress);
  ClosePort();
  if (const char* failure = kx::LinkSettingMessage(r.outcome)) {
    Show(*this, failure);
    return;
  }
  // The device now listens on the new address; every later request carries it.
  ControlAs<QLineEdit>(1002)->setText(QString::number(*newAddress));
  Show(*this, kx::msg::kAddressSetOk);
}

void CTesterDlg::OnSetBaud() {
  UpdateData(true);
  const int item = m_comboNewBaud->currentIndex();
  if (item < 0) {
    // No rate chosen: there is nothing to send.
    Show(*this, kx::msg::kChooseBaud);
    return;
  }
  if (!kx::panel::OpenFactoryPort(*this)) return;
  const int baud = kx::panel::FieldText::Atoi(m_comboNewBaud->itemText(item));
  const kx::ExchangeResult r = kx::SetBaud(*m_hComm, m_nAddress, baud);
  ClosePort();
  if (const char* failure = kx::LinkSettingMessage(r.outcome)) {
    Show(*this, failure);
    return;
  }
  // The device answered at the old rate and now listens at the new one.
  m_comboBaud->setCurrentIndex(item);
  Show(*this, kx::msg::kBaudSetOk);
}
