#pragma once
// The commands of kx4200-cli, one row each: the name, what 'kx4200-cli --help'
// and 'COMMAND --help' say about it, its own options, and the function that
// parses its arguments into the run. A new command is one row in
// CommandRegistry.cpp, its parse function there and its run function in
// Commands.h; usage, help and option parsing follow from the row.

#include <QString>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "cli/CliTypes.h"
#include "cli/CommandLine.h"

namespace kx::cli {

// A command's own option, as QCommandLineOption takes it.
struct CliOption {
  std::vector<const char*> names;  // the first is the name parse functions use
  const char* description;
  const char* valueName = nullptr;  // null: a switch
  std::string defaultValue = {};
};

// A parsed command, ready to run against the environment the driver builds.
using CliRun = std::function<int(Env& env)>;

// Where the summaries start in the command list; a longer synopsis gets three spaces.
inline constexpr int kListColumn = 46;

struct CliCommand {
  const char* name = nullptr;
  // Its line under "Commands:" in 'kx4200-cli --help': the synopsis (by default
  // the usage), then the summary from column listColumn. A command without a
  // summary is named on another command's line.
  const char* synopsis = nullptr;
  const char* summary = nullptr;
  int listColumn = kListColumn;
  const char* usage = nullptr;  // 'COMMAND --help' and the usage error
  std::string help = {};
  std::vector<CliOption> options = {};
  bool needsPort = true;  // false: the command never opens the unit's port
  bool stopEndsCleanly = false;  // Ctrl-C or SIGTERM is its normal end: its own status, not 128 + signal
  // Reads the arguments (throwing UsageError) and returns the run.
  CliRun (*parse)(const CommandLine& line) = nullptr;
};

std::span<const CliCommand> CliCommands();
const CliCommand* FindCliCommand(const QString& name);

// 'kx4200-cli --help'.
std::string UsageText();
// 'kx4200-cli COMMAND --help'; optionsHelp is the parser's help text, whose
// "Options:" part lists the global and the command's options.
std::string CommandHelpText(const CliCommand& command, const QString& optionsHelp);

}  // namespace kx::cli
