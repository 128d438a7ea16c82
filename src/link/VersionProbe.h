#pragma once
// The version read with a caller's wait, for finding a unit whose address or
// baud rate is unknown: at 38400 baud a reply takes a few ms, so probing 1536
// combinations with the panel's 500 ms wait would take over twelve minutes.

#include "link/DeviceSettings.h"

namespace kx {

// Command 0x03 exactly as ReadVersion sends it, waiting waitMs for the 11 bytes.
VersionReading ProbeVersion(Port& port, int address, int waitMs);

// A wait that covers an 11-byte reply at baud with room for the unit to answer.
int ProbeWaitMs(int baud);

}  // namespace kx
