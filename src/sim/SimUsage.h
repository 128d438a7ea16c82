#pragma once
// kx4200-sim's --help, which its manual page is made from as well.

#include <string>

namespace kx {

std::string SimUsageText();

}  // namespace kx
