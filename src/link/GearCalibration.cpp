#include "link/GearCalibration.h"

#include <array>

#include "link/CommandTable.h"
#include "link/Frame.h"
#include "link/Messages.h"

namespace kx {

namespace {

// Only the 2 V cell-voltage row reports a missing reply with one exclamation mark.
constexpr std::array<CalibrationRow, 8> kRows{{
    {"cell-2v", 0x13, msg::kCalibrationFailed, {"1V", "2V"}},
    {"cell-6v", 0x12, msg::kCalibrationFailedBang, {"3V", "6V"}},
    {"cell-12v", 0x11, msg::kCalibrationFailedBang, {"6V", "12V"}},
    {"total-2v", 0x23, msg::kCalibrationFailedBang, {"40V", "80V"}},
    {"total-6v", 0x22, msg::kCalibrationFailedBang, {"120V", "240V"}},
    {"total-12v", 0x21, msg::kCalibrationFailedBang, {"240V", "480V"}},
    {"temp", 0x30, msg::kCalibrationFailedBang, {"10K", "50K"}},
    {"current", 0x40, msg::kCalibrationFailedBang, {"2.5V", "5V"}},
}};

const char* WithOutcome(ExchangeOutcome outcome, const char* ok, const char* wrongCount) {
  switch (outcome) {
    case ExchangeOutcome::Ok: return ok;
    case ExchangeOutcome::ShortRead: return msg::kOperationFailed;
    case ExchangeOutcome::BadChecksum: return msg::kBadChecksum;
    case ExchangeOutcome::WrongCount:
    case ExchangeOutcome::WriteFailed: break;  // no reply can follow an unsent request
  }
  return wrongCount;
}

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

const char* SetGearMessage(ExchangeOutcome outcome) { return WithOutcome(outcome, msg::kSetOk, msg::kSetFailed); }

GearReading ReadGear(Port& port, int address) {
  const ExchangeResult r = Transact(port, address, Command::ReadGear, {});
  GearReading reading{r.outcome, 0, r.cause, r.count};
  if (r.outcome == ExchangeOutcome::Ok) reading.gear = r.reply[kFrameHeaderSize];
  return reading;
}

const char* ReadGearMessage(const GearReading& reading) {
  switch (reading.outcome) {
    case ExchangeOutcome::Ok: return GearText(reading.gear) ? nullptr : msg::kBadGear;
    case ExchangeOutcome::BadChecksum: return msg::kBadChecksum;
    default: return msg::kReadDataFailed;
  }
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

const char* CalibrationMessage(const CalibrationRow& row, ExchangeOutcome outcome) {
  return WithOutcome(outcome, msg::kCalibrationOk, row.wrongCountMessage);
}

}  // namespace kx
