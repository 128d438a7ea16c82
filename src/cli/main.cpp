// kx4200-cli: every device operation of the panel from the command line.

#include <signal.h>

#include <QGuiApplication>
#include <QStringList>
#include <atomic>
#include <cstdlib>

#include "cli/Cli.h"
#include "files/SafeFile.h"
#include "lang/Language.h"
#include "link/SerialPort.h"

namespace {

volatile sig_atomic_t g_stop = 0;

// The first Ctrl-C or SIGTERM ends the exchange in progress at once and the run
// cleanly (port closed, no file half-written); a second one ends the process
// without leaving a temporary file behind.
void OnInterrupt(int signal) {
  if (g_stop != 0) {
    kx::files::RemoveTemporaries();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  g_stop = signal;
  kx::SerialPort::InterruptAll();
}

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

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  kx::cli::StdOutput out;
  kx::cli::Hooks hooks;
  hooks.stopRequested = [] { return g_stop != 0; };
  hooks.stopFd = kx::SerialPort::InterruptAllFd();  // what OnInterrupt signals
  bool stopEndsCleanly = false;
  hooks.stopEndsCleanly = &stopEndsCleanly;
  hooks.language = kx::LanguageOfEnvironment();
  const int status = kx::cli::RunCli(QCoreApplication::arguments(), out, hooks);
  // Stopped by a signal: the shell's convention, 128 + its number (130, 143),
  // except for a command that runs until stopped (a service's normal end).
  return g_stop != 0 && !stopEndsCleanly ? 128 + g_stop : status;
}
