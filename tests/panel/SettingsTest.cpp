// Remembered settings: what the panel shows when it closes comes back next time;
// --defaults starts from the start-up values; a bad file falls back field by field.
// Every store here is a file in the test's own folder, never the user's.

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>

#include "PanelFixture.h"
#include "panel/PanelSettings.h"

namespace {

using namespace kx::panel::ids;
using kx::panel::PanelSettings;

class Settings : public PanelFixture {
 protected:
  std::unique_ptr<QSettings> Store() const {
    return std::make_unique<QSettings>(dir.filePath("kx4200.ini"), QSettings::IniFormat);
  }
  std::function<std::unique_ptr<QSettings>()> Opener() {
    return [this] {
      ++opened;
      return Store();
    };
  }
  // A panel on the same unit as a new run of the program would show it.
  std::unique_ptr<CTesterDlg> NextRun(bool defaults) {
    auto next = std::make_unique<CTesterDlg>(panel->PortNames());
    next->UseSettings(Opener(), defaults);
    return next;
  }
  QString Folder(const char* name) const {
    QDir(dir.path()).mkpath(name);
    return dir.filePath(name);
  }
  QTemporaryDir dir;
  int opened = 0;  // times the store was opened
};

TEST_F(Settings, WhatThePanelShowsWhenItClosesComesBack) {
  panel->UseSettings(Opener(), false);
  Edit(kEditPort)->setText("3");
  Combo(kComboBaud)->setCurrentIndex(5);
  Edit(kEditAddress)->setText("17");
  Edit(kEditPeriod)->setText("250");
  Edit(kEditCurrentRange)->setText("500");
  Check(kCheckAlarmVolt)->setChecked(true);  // a setting of the unit, not of the panel
  prompts.openPaths.push_back(Folder("curves") + "/missing.bin");  // the folder counts, opened or not
  panel->OnOpenCurveFile();
  panel->show();
  panel->move(40, 30);
  panel->close();

  auto next = NextRun(false);
  EXPECT_EQ(next->ControlAs<QLineEdit>(kEditPort)->text(), "3");
  EXPECT_EQ(next->ControlAs<QComboBox>(kComboBaud)->currentText(), "38400");
  EXPECT_EQ(next->ControlAs<QLineEdit>(kEditAddress)->text(), "17");
  EXPECT_EQ(next->ControlAs<QLineEdit>(kEditPeriod)->text(), "250");
  EXPECT_EQ(next->ControlAs<QLineEdit>(kEditCurrentRange)->text(), "500");
  EXPECT_FALSE(next->ControlAs<QCheckBox>(kCheckAlarmVolt)->isChecked());
  EXPECT_EQ(next->pos(), QPoint(40, 30));
  next->OnOpenCurveFile();
  ASSERT_EQ(prompts.openRequests.size(), 2u);
  EXPECT_EQ(prompts.openRequests[1].initialFolder, Folder("curves"));

  // --defaults: the start-up values, whatever the file holds (it is not even opened); closing then replaces it.
  next->reject();  // as Esc or the close button
  opened = 0;
  next = NextRun(true);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(next->CurrentSettings().port, 1);
  EXPECT_EQ(next->CurrentSettings().baud, 9600);
  EXPECT_EQ(next->ControlAs<QLineEdit>(kEditAddress)->text(), "0");
  EXPECT_EQ(next->ControlAs<QLineEdit>(kEditPeriod)->text(), "1000");
  EXPECT_EQ(next->ControlAs<QLineEdit>(kEditCurrentRange)->text(), "1000");
  next->reject();
  EXPECT_EQ(opened, 1);
  auto store = Store();
  EXPECT_EQ(kx::panel::ReadPanelSettings(*store), PanelSettings{});
}

TEST_F(Settings, ABadFileFallsBackFieldByField) {
  PanelSettings defaults;
  {
    QFile garbage(dir.filePath("kx4200.ini"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919 + 13) % 256);
    garbage.write(bytes);
  }
  auto store = Store();
  EXPECT_EQ(kx::panel::ReadPanelSettings(*store), defaults);
  // The panel starts on the defaults, and closing writes a good file over the bad one.
  panel->UseSettings(Opener(), false);
  EXPECT_EQ(panel->CurrentSettings(), defaults);
  Edit(kEditPort)->setText("4");
  panel->reject();
  store = Store();
  EXPECT_EQ(kx::panel::ReadPanelSettings(*store).port, 4);

  // Well-formed, mostly nonsense: only the fitting fields are taken.
  QFile::remove(dir.filePath("kx4200.ini"));
  {
    QFile ini(dir.filePath("kx4200.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[link]\nport=0\nbaud=19200, 38400\naddress=7\n"
              "[acquisition]\nperiod=12abc\ncurrentRange=200\n"
              "[window]\nx=-90000\ny=5\n"
              "[folders]\nopen=/nonexistent/folder\nsave=" + QFile::encodeName(Folder("saved")) + "\nlog=relative\n");
  }
  store = Store();
  PanelSettings expected;
  expected.address = 7;
  expected.currentRange = "200";
  expected.saveFolder = Folder("saved");
  EXPECT_EQ(kx::panel::ReadPanelSettings(*store), expected);
}

}  // namespace
