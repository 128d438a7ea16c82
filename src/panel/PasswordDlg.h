#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// The factory access code prompt: a masked edit and "确认".
// Esc and the close box cancel; there is no Cancel button.
class CPasswordDlg : public QDialog {
 public:
  explicit CPasswordDlg(QWidget* parent = nullptr);

  // The typed text, taken from the masked edit when the dialog is confirmed.
  QString m_strPassword;

  void accept() override;

 private:
  void DoDataExchange();

  QLineEdit* m_editPassword = nullptr;
};
