#pragma once
// The voltage range gear (set and read back) and the eight input calibrations.
// The calibrations differ only by the data in CalibrationRows().

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "link/Exchange.h"
#include "link/Port.h"

namespace kx {

// The gears in the order of the gear list: "2V", "6V", "12V" = 2, 6, 12 volts.
inline constexpr uint8_t kGears[] = {2, 6, 12};
// The gear of list entry index (0..2); nullopt for no or another entry.
std::optional<uint8_t> GearOfEntry(int index);
// "2V", "6V" or "12V" for a gear byte the device reports; nullptr for any other.
const char* GearText(uint8_t gear);

// Command 0x20 with the gear byte.
ExchangeResult SetGear(Port& port, int address, uint8_t gear);

struct GearReading {
  ExchangeOutcome outcome = ExchangeOutcome::WrongCount;
  uint8_t gear = 0;  // reply byte 7 (valid when outcome is Ok)
  LinkError cause = LinkError::None;
  ReplyCount count;
};
// Command 0x01: the gear in reply byte 7.
GearReading ReadGear(Port& port, int address);

// One calibration: a stable key the front ends know it by ("cell-2v", "cell-6v",
// "cell-12v", "total-2v", "total-6v", "total-12v", "temp", "current"), the channel
// code K and the two points' names. Point P is 1 or 2 (list entry + 1). The reply
// wait is the channel's (CalibrationWaitMs).
struct CalibrationRow {
  const char* key;
  uint8_t channel;
  const char* entries[2];
};
std::span<const CalibrationRow> CalibrationRows();
// nullptr for a key no row has.
const CalibrationRow* FindCalibrationRow(std::string_view key);
// The point byte of list entry index; nullopt for no entry.
std::optional<uint8_t> CalibrationPointOfEntry(int index);

// Command 0x21 with the row's channel and point, without a purge of its own; the
// reply is awaited for as long as the channel takes.
ExchangeResult Calibrate(Port& port, int address, const CalibrationRow& row, uint8_t point);

}  // namespace kx
