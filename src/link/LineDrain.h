#pragma once
// Taking what a unit still sends off the line after an exchange was abandoned
// half-way, so that the next exchange on the port does not read it as its reply.

#include <cstddef>

#include "link/Port.h"

namespace kx {

// Reads and drops whatever arrives until the line has been quiet for quietMs, or at
// the latest until limitMs have passed; returns the number of bytes dropped. An
// interrupted or hung-up port ends it at once.
size_t DrainLine(Port& port, int quietMs, int limitMs);

}  // namespace kx
