#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "link/PortNaming.h"

namespace kx {
class SimHost;
class VirtualDevice;
}

// Command-line options of the panel program.
struct AppOptions {
  kx::PortNaming naming;
  bool simulate = false;
  bool help = false;
  bool version = false;
  bool defaults = false;  // start with the start-up values, not the remembered ones
  QString screenshot;  // non-empty: save a picture of the panel there and quit
  std::string error;  // non-empty: the arguments were refused
};

// Parses --com N=PATH (repeatable), --simulate, --defaults, --screenshot FILE, --help and --version.
AppOptions ParseAppOptions(const QStringList& arguments);
// --help's text, which the manual page is made from as well.
const char* AppUsageText();
// Prints the help or the refusal; true (with the exit code) when the program ends
// here. Needs no display, so it runs before the application object exists.
bool AnswerOptions(const AppOptions& options, int& exitCode);

// The application object: sets up fonts, the optional simulated device, and runs the panel.
class CTesterApp {
 public:
  CTesterApp();
  ~CTesterApp();
  // Runs the program with its parsed arguments; returns the process exit code.
  int Run(AppOptions options);

 private:
  std::unique_ptr<kx::VirtualDevice> m_device;
  std::unique_ptr<kx::SimHost> m_host;
};
