#pragma once
// Live acquisition (command 0x00): the exchange and the decoding of its reply into
// the 47 values of the live table, driven by one layout table.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/Exchange.h"
#include "link/Port.h"

namespace kx {

inline constexpr size_t kLiveValueCount = 47;

// How a raw 16-bit count becomes a value.
enum class LiveScale {
  Cell,         // raw * V / 32768
  Total,        // raw * 600 / 32768
  Current,      // raw * I / 32768 - I / 2
  Temperature,  // raw * 125 / 32768 - 25
  Analogue,     // raw * 5 / 32768
};

// One measurement of the reply: where it is, how it scales, how it reads.
struct LiveField {
  size_t offset;       // of the big-endian raw count in the reply frame
  LiveScale scale;
  const char* format;  // printf format of the shown text
  std::string label;   // the measurement's name (UTF-8)
};

// The 47 fields: cells 1..40, total, current, temperatures 1..3, analogue inputs 1..2.
std::span<const LiveField> LiveFieldTable();

struct LiveValue {
  const LiveField* field;
  uint16_t raw;
  double value;
  std::string text;  // formatted as field->format says
};

// Scales the data of an acquisition reply. V and I are the cell-voltage and
// current full scales; a negative entry converted to uint32_t stays as it is
// (2^32 - k), and V is held as a float like the panel's field. Empty when the
// reply is too short to hold every measurement.
std::vector<LiveValue> ScaleLiveValues(std::span<const uint8_t> reply, uint32_t V, uint32_t I);

// One reading on an open port: the table's exchange, except that up to 200 bytes
// may be queued; they are all read, the checksum covers the reply's own length and
// the bytes after it are ignored.
ExchangeResult AcquireLive(Port& port, int address);

}  // namespace kx
