// Every reply decoder fed an arbitrary device byte stream through an in-memory
// port. The first byte picks the operation, the second its parameters; the rest
// is what the "device" sends.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <span>
#include <string>

#include "link/Alarms.h"
#include "link/CommandTable.h"
#include "link/CurveTransfer.h"
#include "link/DeviceClock.h"
#include "link/DeviceSettings.h"
#include "link/GearCalibration.h"
#include "link/LiveValues.h"
#include "link/MemoryPort.h"
#include "texts/ChineseTexts.h"

namespace {

// An Ok outcome must rest on a reply of the full length.
void Expect(bool condition) {
  if (!condition) std::abort();
}

size_t ReplyLength(kx::Command command) { return static_cast<size_t>(kx::Info(command).replyLength); }

void Run(uint8_t op, uint8_t param, kx::MemoryPort& port, std::span<const uint8_t> stream) {
  const int address = param;
  switch (op % 12) {
    case 0: {  // live values: the exchange, then the scaling of what it read
      const kx::ExchangeResult r = kx::AcquireLive(port, address);
      if (r.outcome == kx::ExchangeOutcome::Ok) Expect(r.reply.size() >= ReplyLength(kx::Command::Acquire));
      const uint32_t V = param & 1 ? 17u : 0xFFFFFFFFu - param;  // a negative typed value wraps
      const uint32_t I = param & 2 ? 100u : static_cast<uint32_t>(-static_cast<int>(param));
      const auto values = kx::ScaleLiveValues(r.reply, V, I);
      Expect(values.has_value() == (r.reply.size() > kx::LiveFieldTable().back().offset + 1));
      // The decoder on its own too, on the raw stream (any length): each shown
      // value is the number its text reads as.
      if (const auto raw = kx::ScaleLiveValues(stream, V, I))
        for (size_t k = 0; k < kx::kLiveValueCount; ++k)
          Expect(std::strtod(raw->Text(k).c_str(), nullptr) == raw->shown[k]);
      break;
    }
    case 1: {  // clock
      const kx::ReadClockResult r = kx::ReadDeviceClock(port, address);
      if (r.outcome == kx::ReadClockOutcome::Ok) {
        Expect(r.reply.size() == ReplyLength(kx::Command::ReadClock));
        (void)kx::FormatDeviceTime(r.time);
      }
      (void)kx::ReadClockMessage(r.outcome);
      break;
    }
    case 2: {  // group count
      const kx::CurveCountResult r = kx::QueryCurveCount(port, address);
      if (r.outcome == kx::CurveCountOutcome::Ok) (void)kx::CurveCountText(r.recorded, r.recording);
      break;
    }
    case 3: {  // group date
      const kx::GroupDateResult r = kx::ReadGroupDate(port, address, param);
      if (r.outcome == kx::GroupDateOutcome::Ok) (void)kx::FormatGroupDate(r.date);
      break;
    }
    case 4: {  // version
      const kx::VersionReading r = kx::ReadVersion(port, address);
      if (r.outcome == kx::ExchangeOutcome::Ok) (void)kx::FormatVersion(r.raw);
      (void)kx::VersionMessage(r.outcome);
      break;
    }
    case 5: {  // gear
      const kx::GearReading r = kx::ReadGear(port, address);
      (void)kx::ReadGearMessage(r);
      if (r.outcome == kx::ExchangeOutcome::Ok) (void)kx::GearText(r.gear);
      break;
    }
    case 6: {  // alarm word
      const kx::AlarmReading r = kx::ReadAlarmWord(port, address);
      (void)kx::ReadAlarmMessage(r.outcome);
      if (r.outcome == kx::ExchangeOutcome::Ok) (void)kx::AlarmReport(r.word);
      break;
    }
    case 7: {  // set clock: the acknowledge byte
      std::tm local{};
      local.tm_year = 114;
      local.tm_mon = 4;
      local.tm_mday = 6;
      const kx::SetClockResult r = kx::SetDeviceClock(port, address, local);
      if (r.outcome != kx::SetClockOutcome::NoReply) Expect(r.reply.size() == ReplyLength(kx::Command::SetClock));
      (void)kx::SetClockMessage(r.outcome, local);
      break;
    }
    case 8:  // clear curves: the acknowledge byte
      (void)kx::ClearCurves(port, address);
      break;
    case 9: {  // gear and calibration acknowledges
      (void)kx::SetGearMessage(kx::SetGear(port, address, kx::kGears[param % 3]).outcome);
      const auto rows = kx::CalibrationRows();
      const kx::CalibrationRow& row = rows[param % rows.size()];
      (void)kx::CalibrationMessage(row, kx::Calibrate(port, address, row, 1 + (param & 1)).outcome);
      break;
    }
    case 10: {  // address and baud acknowledges
      (void)kx::LinkSettingMessage(kx::SetAddress(port, address, param).outcome);
      const int baud = kx::kBaudRates[param % std::size(kx::kBaudRates)];
      (void)kx::LinkSettingMessage(kx::SetBaud(port, address, baud).outcome);
      break;
    }
    default: {  // alarm settings acknowledges
      const auto setting = static_cast<kx::AlarmSetting>(param % 5);
      const auto data = kx::VoltAlarmData(param & 1, param * 300LL, -param);
      (void)kx::SetAlarmMessage(kx::SetAlarm(port, address, setting, data).outcome);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::span<const uint8_t> stream(data + 2, size - 2);
  kx::MemoryPort port;
  port.SetPurgeDiscards(false);  // the stream is the device's whole answer
  port.SetHangUpWhenDry((data[1] & 0x80) != 0);
  port.Feed(stream);
  Run(data[0], data[1], port, stream);
  return 0;
}
