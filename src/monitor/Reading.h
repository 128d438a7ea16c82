#pragma once
// One reading of one unit as the outputs see it, and the texts made of it: the
// state JSON, the --json line, the plain line and the CSV time.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "link/Alarms.h"
#include "link/LiveReading.h"
#include "texts/ChineseTexts.h"

namespace kx::monitor {

struct Reading {
  size_t unit = 0;        // index into the monitor's units
  long long number = 0;   // the unit's reading number, from 1
  std::time_t time = 0;
  int ms = 0;             // milliseconds past time
  std::optional<LiveReading> live;  // the values, when the reading succeeded
  std::string error;                // the cause in English when it failed
  std::optional<AlarmList> alarms;  // read this cycle
  bool ok() const { return live.has_value(); }
};

// "2026-12-07T13:05:39+08:00" in local time.
std::string IsoLocalTime(std::time_t t);
// "2026-12-07 13:05:39.250" in local time, as the live CSV has it.
std::string CsvLocalTime(const Reading& r);

// A string as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

// The object published on PREFIX/NAME/state, with the alarms of the word last read
// (their texts, which stay Chinese, and their stable keys) and the wiring fault
// kinds raised.
std::string StateJson(const Reading& r, uint16_t activeAlarmWord, const std::vector<std::string>& faults);
// The object --json prints: acquire --json's keys (a failed reading has them all,
// null, with its cause) and the unit's name.
std::string ReadingJson(const std::string& name, const Reading& r);
// What stdout shows when no other output is asked for.
std::string PlainLine(const std::string& name, const Reading& r);

}  // namespace kx::monitor
