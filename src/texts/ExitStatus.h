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

}  // namespace kx
