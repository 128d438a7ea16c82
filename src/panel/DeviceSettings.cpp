// The device's identity and link settings: firmware version ("读取" and a click
// on the version read-out), a new address and a new baud rate ("设置").

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "lang/Language.h"
#include "link/DeviceSettings.h"
#include "texts/ChineseTexts.h"
#include "texts/Messages.h"
#include "panel/ControlIds.h"
#include "panel/FieldText.h"
#include "panel/PanelTexts.h"
#include "panel/TesterDlg.h"

using namespace kx::panel::ids;

namespace {

// A new address, unless it was out of range and nothing was sent, and the reply.
struct AddressSet {
  std::optional<uint8_t> newAddress;
  kx::ExchangeResult reply;
};

}  // namespace

void CTesterDlg::ConnectDeviceSettings() {
  // The version read-out reports its clicks to OnVersionClicked itself.
  connect(m_btnReadVersion, &QPushButton::clicked, this, [this] { OnReadVersion(); });
  connect(m_btnSetAddress, &QPushButton::clicked, this, [this] { OnSetAddress(); });
  connect(m_btnSetBaud, &QPushButton::clicked, this, [this] { OnSetBaud(); });
}

void CTesterDlg::ReadVersionInto(bool alsoStatus) {
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .waitMs = WaitOf(kx::Command::ReadVersion)},
      [this] { return [address = m_nAddress](kx::Port& port) { return kx::ReadVersion(port, address); }; },
      [this, alsoStatus](const kx::VersionReading& reading) {
        if (const char* failure = kx::VersionMessage(reading.outcome)) {
          ShowMessage(failure);
          return;
        }
        const QString text = QString::fromStdString(kx::FormatVersion(reading.raw));
        m_staticVersion->setText(text);
        if (alsoStatus) m_staticStatus->setText(text);
      });
}

void CTesterDlg::OnVersionClicked() {
  // The port belongs to continuous acquisition while it runs.
  if (m_bContinuous) return;
  ReadVersionInto(false);
}

void CTesterDlg::OnReadVersion() { ReadVersionInto(true); }

void CTesterDlg::OnSetAddress() {
  // The new address is checked once the port is open, so an unusable port is
  // reported first.
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .waitMs = WaitOf(kx::Command::SetAddress)},
      [this] {
        const long long typed = kx::panel::FieldText::AtoiWide(m_editNewAddress->text());
        return [address = m_nAddress, typed](kx::Port& port) {
          AddressSet set{kx::CheckNewAddress(typed), {}};
          if (set.newAddress) set.reply = kx::SetAddress(port, address, *set.newAddress);
          return set;
        };
      },
      [this](const AddressSet& set) {
        if (!set.newAddress) {
          ShowMessage(kx::QTr("Messages", kx::msg::kAddressOutOfRange));
          return;
        }
        if (const char* failure = kx::LinkSettingMessage(set.reply.outcome)) {
          ShowMessage(failure);
          return;
        }
        // The device now listens on the new address; every later request carries it.
        ControlAs<QLineEdit>(kEditAddress)->setText(QString::number(*set.newAddress));
        ShowMessage(kx::QTr("Messages", kx::msg::kAddressSetOk));
      });
}

void CTesterDlg::OnSetBaud() {
  // Only the selected item is a rate; with none there is nothing to send.
  const int item = m_comboNewBaud->currentIndex();
  RunOnPort(
      {.openFailure = kx::msg::kPortNotFound, .ready = [this, item] { return item >= 0 || Refuse(kx::msg::kChooseBaud); },
       .waitMs = WaitOf(kx::Command::SetBaud)},
      [this, item] {
        const int baud = kx::panel::FieldText::Atoi(m_comboNewBaud->itemText(item));
        return [address = m_nAddress, baud](kx::Port& port) { return kx::SetBaud(port, address, baud); };
      },
      [this, item](const kx::ExchangeResult& result) {
        if (const char* failure = kx::LinkSettingMessage(result.outcome)) {
          ShowMessage(failure);
          return;
        }
        // The device answered at the old rate and now listens at the new one.
        m_comboBaud->setCurrentIndex(item);
        ShowMessage(kx::QTr("Messages", kx::msg::kBaudSetOk));
      });
}
