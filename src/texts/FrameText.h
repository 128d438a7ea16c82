#pragma once
// The verdict on a traced frame in words, and the one text line a frame becomes
// (the command line's --trace, the panel's protocol view, its copy and its saved file):
//
//   13:05:39.123 TX 14 2E 00 00 03 00 00 FF CE | read-version | sent
//   13:05:39.141 RX 14 2E 00 00 03 00 02 00 82 FF 4A | read-version | reply accepted
//   13:05:40.143 RX | read-version | no reply
//
// Local time with milliseconds, direction, the bytes in hex, the command's name
// from the command table, and the verdict.

#include <string>

#include "link/FrameTrace.h"

namespace kx {

std::string FrameVerdictText(const FrameEvent& event);  // "wrong length: 3 of 11 bytes"
// The whole line, without a line end.
std::string FrameLine(const FrameEvent& event);

}  // namespace kx
