// kx4200-cli: every device operation of the panel from the command line.

#include <signal.h>

#include <QGuiApplication>
#include <QStringList>
#include <atomic>
#include <cstdlib>

#include "cli/Cli.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void OnInterrupt(int) { g_stop = 1; }

// Qt's own chatter (fonts, runtime folders) is no business of a script's stderr.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "kx4200-cli: %s\n", qPrintable(text));
}

}  // namespace

int main(int argc, char** argv) {
  // The tool never opens a window; the chart is painted off screen, display or not.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  QGuiApplication app(argc, argv);

  // The first Ctrl-C ends a run cleanly after the exchange in progress; a second one kills.
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  kx::cli::StdOutput out;
  kx::cli::Hooks hooks;
  hooks.stopRequested = [] { return g_stop != 0; };
  return kx::cli::RunCli(QCoreApplication::arguments(), out, hooks);
}
