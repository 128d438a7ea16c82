#include "panel/PasswordDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "lang/Language.h"
#include "panel/ControlIds.h"
#include "ui/DialogUnits.h"

using namespace kx::panel::ids;

CPasswordDlg::CPasswordDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QString::number(kTemplatePassword));
  setWindowTitle(QStringLiteral("Nexora"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(kx::DluToPixels(158), kx::DluToPixels(76));

  auto* prompt = new QLabel(kx::QTr("CPasswordDlg", "请输入密码："), this);
  prompt->setGeometry(kx::DluRect(14, 14, 56, 8));
  m_editPassword = new QLineEdit(this);
  m_editPassword->setObjectName(QString::number(kEditPassword));
  m_editPassword->setEchoMode(QLineEdit::Password);
  m_editPassword->setGeometry(kx::DluRect(29, 27, 97, 14));
  auto* ok = new QPushButton(kx::QTr("CPasswordDlg", "确认"), this);
  ok->setObjectName(QString::number(kButtonOk));
  ok->setDefault(true);
  ok->setGeometry(kx::DluRect(95, 49, 50, 14));
  connect(ok, &QPushButton::clicked, this, &CPasswordDlg::accept);
  m_editPassword->setFocus();
}

void CPasswordDlg::DoDataExchange() { m_strPassword = m_editPassword->text(); }

void CPasswordDlg::accept() {
  DoDataExchange();
  QDialog::accept();
}
