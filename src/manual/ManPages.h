#pragma once
// The manual pages of the three programs, in roff (man macros), made from the
// texts the programs print: kx4200-cli's command registry and global options,
// and the --help of kx4200 and kx4200-sim. Nothing here is written twice.

#include <string>

namespace kx::manual {

std::string CliManPage();
std::string AppManPage();
std::string SimManPage();

// Text for roff: backslashes and leading dots made harmless, "-" that starts an
// option a minus, anything beyond ASCII as a named code point.
std::string Roff(const std::string& text);

}  // namespace kx::manual
