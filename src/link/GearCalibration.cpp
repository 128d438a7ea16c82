#include "link/GearCalibration.h"

#include <array>

#include "link/CommandTable.h"
#include "link/Frame.h"

namespace kx {

namespace {

constexpr std::array<CalibrationRow, 8> kRows{{
    {"cell-2v", 0x13, {"1V", "2V"}},
    {"cell-6v", 0x12, {"3V", "6V"}},
    {"cell-12v", 0x11, {"6V", "12V"}},
    {"total-2v", 0x23, {"40V", "80V"}},
    {"total-6v", 0x22, {"120V", "240V"}},
    {"total-12v", 0x21, {"240V", "480V"}},
    {"temp", 0x30, {"10K", "50K"}},
    {"current", 0x40, {"2.5V", "5V"}},
}};

}  // namespace

std::optional<uint8_t> GearOfEntry(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kGears))) return std::nullopt;
  return kGears[index];
}

const char* GearText(uint8_t gear) {
  switch (gear) {
    case 2: return "2V";
    case 6: return "6V";
    case 12: return "12V";
    default: return nullptr;
  }
}

ExchangeResult SetGear(Port& port, int address, uint8_t gear) {
  const uint8_t data[] = {gear};
  return Transact(port, address, Command::SetGear, data);
}

GearReading ReadGear(Port& port, int address) {
  const ExchangeResult r = Transact(port, address, Command::ReadGear, {});
  GearReading reading{r.outcome, 0, r.cause, r.count};
  if (r.outcome == ExchangeOutcome::Ok) reading.gear = r.reply[kFrameHeaderSize];
  return reading;
}

std::span<const CalibrationRow> CalibrationRows() { return kRows; }

const CalibrationRow* FindCalibrationRow(std::string_view key) {
  for (const CalibrationRow& row : kRows) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

std::optional<uint8_t> CalibrationPointOfEntry(int index) {
  if (index < 0 || index > 1) return std::nullopt;
  return static_cast<uint8_t>(index + 1);
}

ExchangeResult Calibrate(Port& port, int address, const CalibrationRow& row, uint8_t point) {
  const uint8_t data[] = {row.channel, point};
  return Transact(port, address, Command::Calibrate, data);
}

}  // namespace kx
