#pragma once
// kx4200-cli as a function: the arguments in, text on the sink, the exit status
// back. main() and the tests both call it.

#include <QCommandLineOption>
#include <QStringList>
#include <ctime>
#include <functional>
#include <string>

#include "cli/CliTypes.h"

namespace kx::cli {

struct Hooks {
  std::function<bool()> stopRequested;  // Ctrl-C seen
  int stopFd = -1;  // readable once Ctrl-C was seen; -1: none (stopRequested is asked)
  std::function<std::tm()> now;         // default: the PC's local time
  std::function<void(int ms)> sleep;    // default: sleeps in slices, ending early on a stop
  std::string sysClassTty = "/sys/class/tty";  // where --com and ports look (tests: a fake tree)
  std::string devRoot = "/dev";
  // Set when the command that ran ends normally on a stop (the monitor), so that
  // main returns its status rather than 128 + the signal.
  bool* stopEndsCleanly = nullptr;
  // Every port's wait scale (Port::SetWaitScale): tests shorten a silent unit's waits.
  double waitScale = 1.0;
  // The unit's texts without --lang: main takes it from the environment; tests
  // get the panel's Chinese whatever LANG the machine has.
  Language language = Language::Chinese;
};

// The options before the command, as --help lists them (and --version).
QList<QCommandLineOption> GlobalCommandLineOptions();

// arguments[0] is the program name.
int RunCli(const QStringList& arguments, Output& out, const Hooks& hooks = {});

}  // namespace kx::cli
