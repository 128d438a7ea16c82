#include <QComboBox>

#include "panel/FieldText.h"
#include "panel/TesterDlg.h"

bool CTesterDlg::OpenPort() {
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
  if (path.empty()) {
    m_lastOpenError = kx::LinkError::NotFound;
    return false;
  }
  auto port = std::make_unique<kx::SerialPort>();
  m_lastOpenError = port->Open(path, baud);
  if (m_lastOpenError != kx::LinkError::None) return false;
  m_hComm = std::move(port);
  return true;
}

void CTesterDlg::ClosePort() { m_hComm.reset(); }
