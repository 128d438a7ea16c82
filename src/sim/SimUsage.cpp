#include "sim/SimUsage.h"

#include "link/CommandTable.h"

namespace kx {

std::string SimUsageText() {
  return
      "Usage: kx4200-sim [options]\n"
      "Serves a simulated KX4200 battery monitoring unit on a pseudo-terminal and\n"
      "prints the path to open. Runs until interrupted (SIGINT or SIGTERM).\n"
      "\n"
      "Options:\n"
      "  --address A     the device's communication address, 0..255 (default 0);\n"
      "                  A,B,... serves one unit per address on the same line, each\n"
      "                  answering only its own address, each with its own values\n"
      "  --baud RATE     the device's baud rate: " + JoinBaudRates(", ", " or\n                  ") +
      " (default " + std::to_string(kDefaultBaud) + "); it answers only a port set to it\n"
      "  --pace          deliver replies at the baud rate (10 bits a byte)\n"
      "  --fault NAME    misbehave on every reply: silence, short, long, checksum,\n"
      "                  oversize (curve packets), slow, hangup (mid-reply; the\n"
      "                  device comes back on the same path a second later)\n"
      "  --groups N      number of stored curve groups, 0..255 (default 5; the fifth is a\n"
      "                  capacity test of 2 V cells)\n"
      "  --seed N        seed of the measurement noise (default 4200)\n"
      "  --lose-cell N@R[-S]  cell N (1..40) reads 0 V from reading R on (until\n"
      "                  reading S), its sense lead off; readings count from 1\n"
      "  --stuck-cell N  cell N keeps one raw count while the others swing 3 %\n"
      "  --total-offset PERCENT  the total voltage reads this much off the cells\n"
      "  --raise-alarm WORD@R[-S]  the alarm word has these bits set (0..511) from\n"
      "                  reading R on (until reading S)\n"
      "  --listen HOST:PORT  also serve the line on TCP, raw, one connection at a time\n"
      "                  (as tcp://HOST:PORT; port 0 takes a free one, printed second)\n"
      "  --help          show this text\n"
      "  --version       show the program's version\n";
}

}  // namespace kx
