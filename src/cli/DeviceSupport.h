#pragma once
// Opening the unit's port for a command.

#include <memory>
#include <string>

#include "cli/CliTypes.h"
#include "link/Exchange.h"

namespace kx::cli {

// Opens the port at the global baud rate. On failure prints the cause and the
// panel's open-failure text (none when panelText is empty), sets status to
// kExitPort and returns nullptr.
std::unique_ptr<Port> OpenDevicePort(Env& env, const char* panelText, int& status);

}  // namespace kx::cli
