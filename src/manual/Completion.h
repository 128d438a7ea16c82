#pragma once
// Bash completion for kx4200-cli, made from its command registry: the commands,
// each command's options and words, and file arguments by their extension.

#include <string>

namespace kx::manual {

// A script for /usr/share/bash-completion/completions/kx4200-cli.
std::string CliBashCompletion();

}  // namespace kx::manual
