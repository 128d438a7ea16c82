#pragma once
// One monitored unit as the command line names it: PATH|N|URL[:ADDRESS][@BAUD][=NAME],
// URL a network port (tcp://HOST:PORT or rfc2217://HOST:PORT, link/NetLine.h).

#include <optional>
#include <string>
#include <vector>

#include "link/CommandTable.h"

namespace kx::monitor {

struct UnitOption {
  std::string port;  // as given: a device path, a panel port number or a network port
  int address = 0;
  int baud = kDefaultBaud;
  std::string name;  // [a-z0-9_] only; the MQTT topic level and the CSV file name
};

// The default name and any given name are reduced to [a-z0-9_] (lower case;
// anything else becomes '_'). nullopt with error set when the text is no unit.
std::optional<UnitOption> ParseUnitOption(const std::string& text, std::string& error);

// Reduces a name to [a-z0-9_].
std::string CleanName(const std::string& text);

// Units on one port must share its baud rate and have distinct addresses; all
// names must differ. Empty when they do, else what is wrong.
std::string CheckUnits(const std::vector<UnitOption>& units);

}  // namespace kx::monitor
