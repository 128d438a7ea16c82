#include "monitor/Poller.h"

#include <chrono>

#include "link/Alarms.h"
#include "link/DeviceSettings.h"
#include "link/LiveValues.h"
#include "texts/EnglishTexts.h"

namespace kx::monitor {

namespace {

using Clock = StopSignal::Clock;

}  // namespace

void Poller::Run() {
  auto due = Clock::now();
  for (long long cycle = 0; o_.count == 0 || cycle < o_.count; ++cycle) {
    if (cycle > 0 && !stop_.WaitUntil(due)) break;
    if (stop_.Stopped()) break;
    const bool alarms = o_.alarmsEvery > 0 && cycle % o_.alarmsEvery == 0;
    bool hungUp = false;
    for (size_t unit : units_) {
      if (stop_.Stopped()) break;
      std::optional<Reading> r = ReadUnit(unit, alarms, hungUp);
      if (r) out_.Deliver(*r);
    }
    due += std::chrono::milliseconds(o_.periodMs);
    if (Clock::now() > due) {
      // Overran: the next cycle starts at once and the schedule restarts from it.
      if (o_.periodMs > 0) ++overruns;
      due = Clock::now();
    }
  }
  port_.Close();
}

std::optional<Reading> Poller::ReadUnit(size_t unit, bool alarms, bool& hungUp) {
  const UnitOption& option = o_.units[unit];
  Reading r;
  r.unit = unit;
  r.number = ++numbers_[unit];
  const auto now = std::chrono::system_clock::now();
  r.time = std::chrono::system_clock::to_time_t(now);
  r.ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
                          1000);
  if (hungUp) {
    r.error = "port " + path_ + ": " + Describe(LinkError::HungUp);
    return r;
  }
  if (!port_.IsOpen()) {
    // Unplugged or not there yet: tried again every period.
    port_.SetWaitScale(o_.waitScale);
    if (const LinkError e = port_.Open(path_, option.baud); e != LinkError::None) {
      if (e == LinkError::Cancelled || stop_.Stopped()) return std::nullopt;
      r.error = "port " + path_ + ": " + Describe(e);
      hungUp = true;  // the other units on this port fail alike without another try
      return r;
    }
  }
  if (out_.WantsVersion(unit)) {
    const VersionReading v = ReadVersion(port_, option.address);
    if (v.outcome == ExchangeOutcome::Ok) {
      const std::string text = FormatVersion(v.raw);  // "Ver1.30"
      out_.SetFirmware(unit, text.rfind("Ver", 0) == 0 ? text.substr(3) : text);
    }
    if (v.cause == LinkError::Cancelled) return std::nullopt;
  }
  const ExchangeResult x = AcquireLive(port_, option.address);
  if (x.cause == LinkError::Cancelled) return std::nullopt;  // stopped mid-reading
  if (x.outcome == ExchangeOutcome::Ok) r.live = ScaleLiveValues(x.reply, kCellFullScaleV, o_.currentRange);
  if (!r.live) r.error = DescribeOutcome(x.outcome, x.cause, x.count);
  if (x.cause == LinkError::HungUp) {
    port_.Close();
    hungUp = true;
    return r;
  }
  if (r.live && alarms) {
    const AlarmReading a = ReadAlarmWord(port_, option.address);
    if (a.outcome == ExchangeOutcome::Ok) r.alarms = DecodeAlarmWord(a.word);
    if (a.cause == LinkError::HungUp) {
      port_.Close();
      hungUp = true;
    }
  }
  return r;
}

}  // namespace kx::monitor
