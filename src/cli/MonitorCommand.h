#pragma once
// 'kx4200-cli monitor': its options, read into the monitor's own, and the run.

#include "cli/CommandRegistry.h"

namespace kx::cli {

extern const char* const kMonitorUsage;
extern const char* const kMonitorHelp;
std::vector<CliOption> MonitorOptionList();
CliRun ParseMonitor(const CommandLine& line);

}  // namespace kx::cli
