#pragma once
// Opening the unit's port for a command and putting a failed exchange in plain words.

#include <memory>
#include <string>

#include "cli/CliTypes.h"
#include "link/Exchange.h"

namespace kx::cli {

// Opens the port at the global baud rate. On failure prints the cause and the
// panel's open-failure text (none when panelText is empty), sets status to
// kExitPort and returns nullptr.
std::unique_ptr<Port> OpenDevicePort(Env& env, const char* panelText, int& status);

// What happened, as it was: "the unit did not reply", "... cut short: 4 of 11
// bytes", "... 11 bytes expected, 311 received", "stopped on request", ...
// (count.expected == 0: the lengths are not known).
std::string DescribeOutcome(ExchangeOutcome outcome, LinkError cause, ReplyCount count = {});

}  // namespace kx::cli
