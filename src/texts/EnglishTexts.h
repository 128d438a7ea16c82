#pragma once
// The link's outcomes in the command line's English words: one table for the
// port's causes, and the sentences built on it.

#include <string>

#include "link/Exchange.h"
#include "link/Port.h"

namespace kx {

// "no such serial device", "the serial device hung up (unplugged?)", "stopped on request", ...
const char* Describe(LinkError error);

// What happened, as it was: "the unit did not reply", "the unit's reply was cut
// short: 4 of 11 bytes", "... 11 bytes expected, 311 received", "stopped on
// request", ... (count.expected == 0: the lengths are not known).
std::string DescribeOutcome(ExchangeOutcome outcome, LinkError cause, ReplyCount count = {});

// "cannot open PATH: " and the cause, with what the user can do about it: for no
// permission the group to join ("...; the device belongs to group 'dialout': join
// it with 'sudo usermod -aG dialout $USER' and log in again") or the only user who
// may; for a device in use, how to find the program that holds it.
std::string ExplainOpenFailure(const std::string& path, LinkError error);

}  // namespace kx
