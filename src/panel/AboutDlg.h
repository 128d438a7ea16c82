#pragma once

#include <QDialog>

// The About box: the application icon, an empty static and "确定".
class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
