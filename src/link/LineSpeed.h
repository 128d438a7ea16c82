#pragma once
// The termios speed constants of the rates in kBaudRates, for both ends of a line
// (the serial port and the simulator's pseudo-terminal).

#include <termios.h>

#include <optional>

namespace kx {

// nullopt for a rate that is not in kBaudRates.
std::optional<speed_t> SpeedOfBaud(int baud);
// 0 for a speed that is not one of kBaudRates'.
int BaudOfSpeed(speed_t speed);

}  // namespace kx
