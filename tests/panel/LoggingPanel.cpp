// A panel on a simulated unit logging a continuous run to the file named by its
// one argument, until it is killed: the logging test's process to SIGKILL.
// TMPDIR and KX4200_LOCK_DIR come from the test, so that nothing of it stays behind.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "ScriptedPrompts.h"
#include "panel/ControlIds.h"
#include "panel/TesterDlg.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  setenv("TZ", "CST-8", 1);
  tzset();
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  kx::VirtualDevice device;
  kx::SimHost host(device);
  if (!host.Start()) return 1;
  kx::PortNaming naming("/nonexistent/sys/class/tty", "/nonexistent/dev");
  naming.Map(1, host.Path());
  ScriptedPrompts prompts;
  prompts.savePaths.push_back(QString::fromLocal8Bit(argv[1]));
  CTesterDlg panel(naming);
  using namespace kx::panel::ids;
  panel.ControlAs<QLineEdit>(kEditPeriod)->setText(QStringLiteral("0"));  // as fast as the unit answers
  panel.ControlAs<QCheckBox>(kCheckLog)->setChecked(true);
  panel.OnContinuous();
  if (panel.LogPath().isEmpty()) return 1;
  return app.exec();
}
