// The factory gate ("厂家模式" / "用户模式"): the access code widens the window
// to show the factory strip; leaving narrows it again.

#include <QPushButton>

#include "lang/Language.h"
#include "panel/Layout.h"
#include "panel/PasswordDlg.h"
#include "panel/TesterDlg.h"
#include "ui/Prompts.h"

namespace {
constexpr const char* kAccessCode = "531790";
}  // namespace

void CTesterDlg::ConnectFactoryGate() {
  connect(m_btnFactoryMode, &QPushButton::clicked, this, [this] { OnFactoryMode(); });
}

void CTesterDlg::OnFactoryMode() {
  UpdateData(true);
  // Both sizes come from the rectangle taken at start-up, so toggling never drifts;
  // setFixedSize changes the size only, the window stays where it is.
  if (!m_bFactoryMode) {
    CPasswordDlg password;  // fresh, so the code is asked for from scratch every time
    if (kx::Prompts::Current().Exec(password) != QDialog::Accepted) return;
    if (password.m_strPassword != QLatin1String(kAccessCode)) {
      ShowMessage(kx::QTr("CTesterDlg", "密码错误!"));
      return;
    }
    ShowMessage(kx::QTr("CTesterDlg", "操作成功!"));
    setFixedSize(m_rectWindow.width(), m_rectWindow.height());
    m_btnFactoryMode->setText(kx::QTr("CTesterDlg", "用户模式"));
    m_bFactoryMode = true;
  } else {
    setFixedSize(kx::panel::UserWidth(m_rectWindow.width()), m_rectWindow.height());
    m_btnFactoryMode->setText(kx::QTr("CTesterDlg", "厂家模式"));
    m_bFactoryMode = false;
  }
}
