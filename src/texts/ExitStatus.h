#pragma once
// The exit statuses scripts rely on, the same for every command of kx4200-cli and
// for its unattended monitor.

namespace kx {

enum ExitStatus : int {
  kExitOk = 0,
  kExitDevice = 1,  // no answer, a short or corrupt answer, or a refusal
  kExitUsage = 2,   // bad arguments or a bad file
  kExitPort = 3,    // the port could not be opened (the monitor: nor the MQTT broker reached)
};

// What each status means, for 'kx4200-cli --help' and the manual page.
struct ExitStatusMeaning {
  const char* statuses;
  const char* meaning;
};
inline constexpr ExitStatusMeaning kExitStatusMeanings[] = {
    {"0", "success"},
    {"1", "the unit did not answer, answered short or with a wrong checksum, or refused"},
    {"2", "bad arguments or a bad output file, found before anything is sent (or a log that could not be written)"},
    {"3", "the port could not be opened"},
    {"130/143", "stopped by Ctrl-C or SIGTERM"},
};
static_assert(kExitOk == 0 && kExitDevice == 1 && kExitUsage == 2 && kExitPort == 3, "the meanings above");

}  // namespace kx
