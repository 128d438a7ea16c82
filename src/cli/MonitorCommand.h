#pragma once
// 'kx4200-cli monitor': its options (declared in the command table) read into the
// monitor's own, and the run.

#include "cli/CommandRegistry.h"

namespace kx::cli {

CliRun ParseMonitor(const CommandLine& line);

}  // namespace kx::cli
