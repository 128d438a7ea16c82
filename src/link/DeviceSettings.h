#pragma once
// The device's identity and link settings: firmware version, communication address
// and baud rate. Each operation is one wait exchange on an open port; the outcome
// picks the message the front end shows (texts/ChineseTexts.h).

#include <cstdint>
#include <optional>
#include <string>

#include "link/Exchange.h"
#include "link/Port.h"

namespace kx {

struct VersionReading {
  ExchangeOutcome outcome = ExchangeOutcome::WrongCount;
  uint16_t raw = 0;  // version × 100 (valid when outcome is Ok)
  LinkError cause = LinkError::None;
  ReplyCount count;
};

// Command 0x03, waiting the table's time for the reply, or waitMs when given:
// finding a unit of unknown address or baud rate probes with a wait that suits
// the rate (ProbeWaitMs), as the table's wait for every one of 1536 combinations
// would take over twelve minutes.
VersionReading ReadVersion(Port& port, int address, std::optional<int> waitMs = std::nullopt);
// A wait that covers the version reply at baud with room for the unit to answer.
int ProbeWaitMs(int baud);
// "Ver%0.2f" of raw / 100: 130 gives "Ver1.30".
std::string FormatVersion(uint16_t raw);

// The new address as typed, already read by atoi rules; nullopt when outside 0..255.
std::optional<uint8_t> CheckNewAddress(long long typed);
// Command 0x10: the device answers at its old address, then listens on the new one.
ExchangeResult SetAddress(Port& port, int address, uint8_t newAddress);

// Command 0x11: the rate as a big-endian 16-bit value; the reply comes at the old rate.
ExchangeResult SetBaud(Port& port, int address, int baud);

}  // namespace kx
