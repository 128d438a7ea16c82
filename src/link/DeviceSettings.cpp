#include "link/DeviceSettings.h"

#include <cstdio>

#include "link/CommandTable.h"
#include "link/Frame.h"

namespace kx {

VersionReading ReadVersion(Port& port, int address, std::optional<int> waitMs) {
  const ExchangeResult r = Transact(port, address, Command::ReadVersion, {}, {.waitMs = waitMs});
  VersionReading reading{r.outcome, 0, r.cause, r.count};
  if (r.outcome == ExchangeOutcome::Ok) reading.raw = BigEndian16(r.reply, kFrameHeaderSize);
  return reading;
}

int ProbeWaitMs(int baud) {
  const CommandInfo& info = Info(Command::ReadVersion);
  if (baud <= 0) return info.waitMs;
  // Twice the time on the wire (10 bits a byte) plus 20 ms for the unit itself.
  const int wireMs = (info.replyLength * 10 * 1000 + baud - 1) / baud;
  return 20 + 2 * wireMs;
}

std::string FormatVersion(uint16_t raw) {
  char text[32];
  std::snprintf(text, sizeof text, "Ver%0.2f", raw / 100.0);
  return text;
}

std::optional<uint8_t> CheckNewAddress(long long typed) {
  if (typed < 0 || typed > 255) return std::nullopt;
  return static_cast<uint8_t>(typed);
}

ExchangeResult SetAddress(Port& port, int address, uint8_t newAddress) {
  const uint8_t data[] = {newAddress};
  return Transact(port, address, Command::SetAddress, data);
}

ExchangeResult SetBaud(Port& port, int address, int baud) {
  const uint8_t data[] = {static_cast<uint8_t>(baud / 256), static_cast<uint8_t>(baud % 256)};
  return Transact(port, address, Command::SetBaud, data);
}

}  // namespace kx
