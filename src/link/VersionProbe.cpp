#include "link/VersionProbe.h"

#include "link/CommandTable.h"
#include "link/Frame.h"

namespace kx {

VersionReading ProbeVersion(Port& port, int address, int waitMs) {
  const CommandInfo& info = Info(Command::ReadVersion);
  const ExchangeResult r =
      ExchangeWait(port, RequestFrame(address, static_cast<uint8_t>(Command::ReadVersion)),
                   static_cast<size_t>(info.replyLength), waitMs, {.purge = info.purge});
  VersionReading reading{r.outcome, 0, r.cause};
  if (r.outcome == ExchangeOutcome::Ok) reading.raw = BigEndian16(r.reply, kFrameHeaderSize);
  return reading;
}

int ProbeWaitMs(int baud) {
  if (baud <= 0) return Info(Command::ReadVersion).waitMs;
  // Twice the time on the wire (10 bits a byte) plus 20 ms for the unit itself.
  const int wireMs = (Info(Command::ReadVersion).replyLength * 10 * 1000 + baud - 1) / baud;
  return 20 + 2 * wireMs;
}

}  // namespace kx
