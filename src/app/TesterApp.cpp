#include "app/TesterApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QIcon>
#include <cstdio>

#include "kxres/ResourcePaths.h"
#include "panel/PanelSettings.h"
#include "panel/TesterDlg.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"
#include "ui/SongFont.h"

namespace {

const char* const kUsage =
    "Usage: kx4200 [--com N=PATH]... [--simulate] [--defaults]\n"
    "\n"
    "The service and test panel for the battery monitoring unit.\n"
    "\n"
    "  --com N=PATH   let port number N on the panel mean the device PATH\n"
    "                 (repeatable; e.g. --com 1=/dev/ttyUSB0)\n"
    "  --simulate     serve a simulated unit on a pseudo-terminal and map port 1 to it\n"
    "  --defaults     start with the start-up values, not the remembered ones; the\n"
    "                 settings shown when the panel closes are remembered as usual\n"
    "  --screenshot FILE  save a picture of the panel as it starts (PNG) and quit\n"
    "  --help         show this text\n"
    "\n"
    "Without --com, port N is the N-th serial device found: USB adapters (ttyUSB*)\n"
    "first, then ttyACM*, then the other serial ports. The port edit's tooltip shows\n"
    "the device a number means.\n"
    "\n"
    "The panel remembers the port number, baud rate, address, acquisition period,\n"
    "current range, window position and the last folders of its file dialogs in\n"
    "~/.config/kx4200/kx4200.ini (below $XDG_CONFIG_HOME when set).\n";

}  // namespace

AppOptions ParseAppOptions(const QStringList& arguments) {
  AppOptions options;
  bool mapped = false;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
      options.help = true;
    } else if (a == QLatin1String("--defaults")) {
      options.defaults = true;
    } else if (a == QLatin1String("--simulate")) {
      options.simulate = true;
    } else if (a == QLatin1String("--screenshot")) {
      if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
        options.error = "--screenshot needs a file name";
        return options;
      }
      options.screenshot = arguments[++i];
    } else if (a == QLatin1String("--com") || a.startsWith(QLatin1String("--com="))) {
      QString value;
      if (a == QLatin1String("--com")) {
        if (i + 1 >= arguments.size()) {
          options.error = "--com needs N=PATH";
          return options;
        }
        value = arguments[++i];
      } else {
        value = a.mid(6);
      }
      if (!options.naming.MapFromText(value.toStdString())) {
        options.error = "--com needs N=PATH with N a positive port number, not '" + value.toStdString() + "'";
        return options;
      }
      mapped = true;
    } else {
      options.error = "unknown argument '" + a.toStdString() + "'";
      return options;
    }
  }
  // The simulated unit takes port 1; a mapping beside it would be silently ignored.
  if (options.simulate && mapped) options.error = "--simulate cannot be combined with --com";
  return options;
}

bool AnswerOptions(const AppOptions& options, int& exitCode) {
  if (options.help) {
    std::fputs(kUsage, stdout);
    exitCode = 0;
    return true;
  }
  if (!options.error.empty()) {
    std::fprintf(stderr, "kx4200: %s\n\n%s", options.error.c_str(), kUsage);
    exitCode = 2;
    return true;
  }
  return false;
}

CTesterApp::CTesterApp() = default;
CTesterApp::~CTesterApp() = default;

int CTesterApp::Run(AppOptions options) {
  int exitCode = 0;
  if (AnswerOptions(options, exitCode)) return exitCode;
  // The dialog face must be mapped before any widget exists.
  kx::InstallDialogFont();
  QIcon icon;
  for (int size : kx::res::kAppIconSizes) icon.addFile(QStringLiteral(":/res/icons/kx4200-%1.png").arg(size));
  QApplication::setWindowIcon(icon);

  if (options.simulate) {
    m_device = std::make_unique<kx::VirtualDevice>();
    m_host = std::make_unique<kx::SimHost>(*m_device);
    if (!m_host->Start()) {
      std::fprintf(stderr, "kx4200: could not start the simulated device (no pseudo-terminal)\n");
      return 1;
    }
    options.naming.Map(1, m_host->Path());
    std::fprintf(stderr, "kx4200: simulated device on %s (port 1)\n", m_host->Path().c_str());
  }
  CTesterDlg panel(options.naming);
  panel.UseSettings(kx::panel::OpenUserSettings(), options.defaults);
  if (!options.screenshot.isEmpty()) {
    panel.show();
    QApplication::processEvents();
    const bool saved = panel.grab().save(options.screenshot, "PNG");
    if (!saved) std::fprintf(stderr, "kx4200: could not write %s\n", qPrintable(options.screenshot));
    return saved ? 0 : 1;
  }
  panel.exec();
  return 0;
}
