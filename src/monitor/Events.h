#pragma once
// What changed about a unit, told once per change: alarms raised and cleared,
// the unit going offline and coming back, wiring faults raised and cleared. As
// JSON (the MQTT event message), a line for stdout and a row of NAME-events.csv.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "monitor/WiringChecks.h"

namespace kx::monitor {

struct Event {
  std::time_t time = 0;
  int ms = 0;
  std::string name;  // alarm_raised, alarm_cleared, offline, online, measurement_fault, measurement_ok
  std::vector<std::string> alarms;  // the alarms' panel texts (Chinese), for the alarm events
  std::vector<std::string> alarmKeys;  // and their stable keys, in the same order
  uint16_t alarmWord = 0;           // the word read, for the alarm events
  std::string kind;                 // for the measurement events
  int cell = 0;                     // for the measurement events about one cell
  std::string detail;               // a sentence; for the measurement events and offline
};

// The events of two alarm words read one after the other: the bits that rose, then
// those that fell; nothing when they are equal.
std::vector<Event> AlarmEvents(uint16_t before, uint16_t now);
// The stable keys of the alarm bits set in word ("total_undervoltage", ...), in the
// order of DecodeAlarmWord's texts: what scripts and dashboards match on.
std::vector<std::string> AlarmKeys(uint16_t word);
Event FaultEvent(const FaultChange& change);

// {"time":...,"event":...,...}; with a unit name, "unit" leads.
std::string EventJson(const Event& e, const std::string& unit = {});
// "NAME 2026-12-07 13:05:39.250 alarm_raised: 总电压过压报警 (alarm word 128)".
std::string EventLine(const std::string& unit, const Event& e);

// NAME-events.csv in a folder: one row per event, appended to what earlier runs
// wrote there; the header when the file is new.
class EventCsv {
 public:
  EventCsv(std::string dir, const std::string& name);
  ~EventCsv();
  EventCsv(const EventCsv&) = delete;
  EventCsv& operator=(const EventCsv&) = delete;
  // False once a write failed (Error says why); later calls then do nothing.
  bool Write(const Event& e);
  const std::string& Error() const { return error_; }

 private:
  std::string path_;
  int fd_ = -1;
  std::string error_;
};

}  // namespace kx::monitor
