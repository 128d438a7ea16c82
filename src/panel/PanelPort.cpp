#include <QComboBox>
#include <QLineEdit>

#include "lang/Language.h"
#include "panel/ControlIds.h"
#include "panel/FieldText.h"
#include "panel/TesterDlg.h"
#include "texts/ChineseTexts.h"

bool CTesterDlg::OpenPort() {
  AwaitLine();  // a tick may still use the port this replaces; a drain still holds the line
  if (m_bClosing) return false;
  UpdateData(true);
  m_hComm.reset();
  // Only the selected list item is ever used as the rate; with none there is no rate.
  const int item = m_comboBaud->currentIndex();
  if (item < 0) {
    m_lastOpenError = kx::LinkError::BadSettings;
    return false;
  }
  const int baud = kx::panel::FieldText::Atoi(m_comboBaud->itemText(item));
  const std::string path = m_naming.Resolve(m_nPort);
  auto port = std::make_unique<kx::SerialPort>();
  port->SetWaitScale(m_waitScale);
  m_lastOpenError = path.empty() ? kx::LinkError::NotFound : port->Open(path, baud);
  // The message box keeps its fixed text; the port edit's tooltip tells why.
  auto* portEdit = ControlAs<QLineEdit>(kx::panel::ids::kEditPort);
  if (m_lastOpenError != kx::LinkError::None) {
    portEdit->setToolTip(QString::fromStdString(path) + kx::QTr("CTesterDlg", "\n打开失败: ") +
                         QString::fromStdString(kx::OpenFailureCause(path, m_lastOpenError)));
    return false;
  }
  portEdit->setToolTip(QString::fromStdString(path));
  m_hComm = std::move(port);
  m_commBaud = baud;
  return true;
}

void CTesterDlg::ClosePort() { m_hComm.reset(); }
