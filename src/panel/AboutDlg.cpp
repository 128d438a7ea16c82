#include "panel/AboutDlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "lang/Language.h"
#include "panel/ControlIds.h"
#include "ui/DialogUnits.h"
#include "version/Version.h"

using namespace kx::panel::ids;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QString::number(kTemplateAbout));
  setWindowTitle(kx::QTr("CAboutDlg", "关于 KX4200"));
  setFixedSize(kx::DluToPixels(235), kx::DluToPixels(55));
  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/res/app128.png")).pixmap(32, 32));
  icon->setGeometry(kx::DluRect(11, 17, 20, 20));
  auto* text = new QLabel(this);
  text->setGeometry(kx::DluRect(40, 25, 134, 8));
  text->setText(QStringLiteral("KX4200 ") + QString::fromUtf8(kx::VersionText()));
  auto* ok = new QPushButton(kx::QTr("CAboutDlg", "确定"), this);
  ok->setObjectName(QString::number(kButtonOk));
  ok->setDefault(true);
  ok->setGeometry(kx::DluRect(178, 7, 50, 14));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
