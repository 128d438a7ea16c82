#pragma once
// What the test report shows, gathered from the unit in one go: the firmware
// version, the unit's clock against the PC's, one live reading and the alarm
// word. Each item keeps its own failure, so that a unit that does not answer
// still gives a report that says so. No Qt: the panel gathers on its worker.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/Bcd.h"
#include "link/CommandTable.h"
#include "link/Exchange.h"
#include "link/LiveReading.h"
#include "link/Port.h"

namespace kx::report {

// Why an item has no value: the exchange's outcome as it was.
struct Failure {
  ExchangeOutcome outcome = ExchangeOutcome::ShortRead;
  LinkError cause = LinkError::None;
  ReplyCount count;
  bool invalidDate = false;  // the clock answered, but with no calendar date
};

template <class T>
struct Item {
  std::optional<T> value;
  Failure failure;  // meaningful when value is empty
  bool ok() const { return value.has_value(); }
};

struct ClockReading {
  BcdDateTime unit;         // the unit's clock as it answered
  std::time_t pc = 0;       // the PC's clock when the answer came
  long long differenceS = 0;  // unit minus PC, in seconds
};

struct ReportData {
  // Filled by the front end.
  std::string title;
  std::time_t madeAt = 0;  // the PC's time the report was made
  std::string port;        // the device path
  int address = 0;
  int baud = kDefaultBaud;
  std::string portFailure;  // not empty: the port did not open and nothing was asked

  // Filled by GatherReport.
  Item<uint16_t> version;  // raw, version x 100
  Item<ClockReading> clock;
  Item<LiveReading> live;
  Item<uint16_t> alarmWord;

  // The port opened and at least one item was answered.
  bool UnitAnswered() const;
  // Every item was answered.
  bool Complete() const;
};

struct GatherOptions {
  int address = 0;
  uint32_t cellFullScale = kCellFullScaleV;  // V of the live scaling
  uint32_t currentRange = 1000;  // I of the live scaling
  std::function<std::time_t()> now;  // the PC's clock; default time()
};

// Asks the unit for every item in turn on an open port. A silent unit costs each
// item its wait; every item is asked regardless, so the report names each one.
void GatherReport(Port& port, const GatherOptions& options, ReportData& data);

// The cause of a failed item in the report's words: "设备无应答",
// "应答不完整: 收到4字节, 应为11字节", "校验错", ...
std::string FailureText(const Failure& failure);

// "2026-12-07 16:50:03" for the unit's clock.
std::string FormatClockReading(const BcdDateTime& unit);
// "设备比电脑慢 7 秒", "设备比电脑快 2 秒" or "设备与电脑一致".
std::string ClockDifferenceText(long long differenceS);

}  // namespace kx::report
