#pragma once
// Live acquisition (command 0x00): the exchange and the decoding of its reply into
// a live reading, driven by one layout table.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/Exchange.h"
#include "link/LiveReading.h"
#include "link/Port.h"

namespace kx {

// How a raw 16-bit count becomes a value.
enum class LiveScale {
  Cell,         // raw * V / 32768
  Total,        // raw * 600 / 32768
  Current,      // raw * I / 32768 - I / 2
  Temperature,  // raw * 125 / 32768 - 25
  Analogue,     // raw * 5 / 32768
};

// One measurement of the reply: where it is and how it scales (its name is
// LiveFieldLabel's, texts/ChineseTexts.h).
struct LiveField {
  size_t offset;  // of the big-endian raw count in the reply frame
  LiveScale scale;
};

// The fields in the order of LiveReading.h.
std::span<const LiveField> LiveFieldTable();

// Scales the data of an acquisition reply. V and I are the cell-voltage and
// current full scales; a negative entry converted to uint32_t stays as it is
// (2^32 - k), and V is held as a float like the panel's field. Each value is
// rounded as printf rounds it for its shown text. Empty when the reply is too
// short to hold every measurement.
std::optional<LiveReading> ScaleLiveValues(std::span<const uint8_t> reply, uint32_t V, uint32_t I);

// One reading on an open port: the table's exchange, except that up to 200 bytes
// may be queued; they are all read, the checksum covers the reply's own length and
// the bytes after it are ignored.
ExchangeResult AcquireLive(Port& port, int address);

}  // namespace kx
