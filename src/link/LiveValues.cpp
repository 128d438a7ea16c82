#include "link/LiveValues.h"

#include <charconv>
#include <cstdio>

#include "link/CommandTable.h"
#include "link/Frame.h"

namespace kx {

namespace {

// More than this queued is not an acquisition reply.
constexpr size_t kMaxQueued = 200;

std::vector<LiveField> BuildTable() {
  std::vector<LiveField> t;
  t.reserve(kLiveValueCount);
  for (size_t k = 0; k < kLiveCells; ++k) t.push_back({kFrameHeaderSize + 2 * k, LiveScale::Cell});
  t.push_back({87, LiveScale::Total});
  t.push_back({89, LiveScale::Current});
  t.push_back({91, LiveScale::Temperature});
  t.push_back({93, LiveScale::Temperature});
  t.push_back({95, LiveScale::Temperature});
  t.push_back({97, LiveScale::Analogue});
  t.push_back({99, LiveScale::Analogue});
  return t;
}

}  // namespace

std::span<const LiveField> LiveFieldTable() {
  static const std::vector<LiveField> table = BuildTable();
  return table;
}

std::optional<LiveReading> ScaleLiveValues(std::span<const uint8_t> reply, uint32_t V, uint32_t I) {
  const auto table = LiveFieldTable();
  for (const LiveField& f : table) {
    if (f.offset + 1 >= reply.size()) return std::nullopt;
  }
  // The panel keeps V in a float field; I stays a whole number.
  const double v = static_cast<float>(V);
  const double i = static_cast<double>(I);
  LiveReading reading;
  for (size_t k = 0; k < table.size(); ++k) {
    const LiveField& f = table[k];
    const uint16_t raw = BigEndian16(reply, f.offset);
    double value = 0;
    switch (f.scale) {
      case LiveScale::Cell:
        value = raw * v / 32768.0;
        break;
      case LiveScale::Total:
        value = raw * 0.018310546875;
        break;
      case LiveScale::Current:
        value = raw * i / 32768.0 - i * 0.5;
        break;
      case LiveScale::Temperature:
        value = raw * 0.003814697265625 - 25.0;
        break;
      case LiveScale::Analogue:
        value = raw * 0.000152587890625;
        break;
    }
    // Rounded through the text, so that an exact tie goes the way printf takes it
    // (to even), not the way std::round would.
    const std::string text = LiveFieldText(k, value);
    reading.raw[k] = raw;
    std::from_chars(text.data(), text.data() + text.size(), reading.shown[k]);
  }
  return reading;
}

ExchangeResult AcquireLive(Port& port, int address) {
  return Transact(port, address, Command::Acquire, {}, {.maxQueued = kMaxQueued});
}

}  // namespace kx
