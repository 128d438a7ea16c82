#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "lang/LanguageId.h"
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
  std::optional<kx::Language> language;  // --lang; none: remembered, else the desktop's
  std::string error;  // non-empty: the arguments were refused
};

// Parses --com N=PATH (repeatable), --simulate, --defaults, --screenshot FILE, --lang zh|en,
// --help and --version.
AppOptions ParseAppOptions(const QStringList& arguments);
// --help's text, which the manual page is made from as well.
const char* AppUsageText();
// Prints the help or the refusal; true (with the exit code) when the program ends
// here. Needs no display, so it runs before the application object exists.
bool AnswerOptions(const AppOptions& options, int& exitCode);

// The language the panel starts in: --lang, else the one remembered, else the
// desktop's (English when its first UI language is English).
kx::Language StartLanguage(std::optional<kx::Language> option, std::optional<kx::Language> remembered,
                           const QStringList& uiLanguages);

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
