#include "monitor/Events.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/LocalTime.h"
#include "link/Alarms.h"
#include "monitor/Metrics.h"
#include "monitor/Reading.h"
#include "texts/ChineseTexts.h"

namespace kx::monitor {

namespace {

Event AlarmEvent(const char* name, uint16_t bits, uint16_t word) {
  Event e;
  e.name = name;
  e.alarms = DecodeAlarmWord(bits).texts;
  e.alarmKeys = AlarmKeys(bits);
  e.alarmWord = word;
  return e;
}

bool IsAlarm(const Event& e) { return e.name.rfind("alarm_", 0) == 0; }
bool IsMeasurement(const Event& e) { return e.name.rfind("measurement_", 0) == 0; }

std::string Joined(const std::vector<std::string>& texts) {
  std::string s;
  for (const std::string& t : texts) s += (s.empty() ? "" : "; ") + t;
  return s;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string s = "\"";
  for (char c : text) s += c == '"' ? std::string("\"\"") : std::string(1, c);
  return s + "\"";
}

}  // namespace

std::vector<std::string> AlarmKeys(uint16_t word) {
  std::vector<std::string> keys;
  for (int bit : AlarmBitsSet(word)) keys.push_back(AlarmKey(bit));
  return keys;
}

std::vector<Event> AlarmEvents(uint16_t before, uint16_t now) {
  std::vector<Event> events;
  // Only the alarm bits: DecodeAlarmWord names no others.
  const uint16_t rose = now & ~before & 0x1FF, fell = before & ~now & 0x1FF;
  if (rose) events.push_back(AlarmEvent("alarm_raised", rose, now));
  if (fell) events.push_back(AlarmEvent("alarm_cleared", fell, now));
  return events;
}

Event FaultEvent(const FaultChange& change) {
  Event e;
  e.name = change.raised ? "measurement_fault" : "measurement_ok";
  e.kind = FaultKindKey(change.kind);
  e.cell = change.cell;
  e.detail = change.detail;
  return e;
}

std::string EventJson(const Event& e, const std::string& unit) {
  std::string s = "{";
  if (!unit.empty()) s += "\"unit\":" + JsonString(unit) + ",";
  s += "\"time\":" + JsonString(IsoLocalTime(e.time)) + ",\"event\":" + JsonString(e.name);
  if (IsAlarm(e)) {
    const auto list = [](const std::vector<std::string>& texts) {
      std::string l;
      for (const std::string& t : texts) l += (l.empty() ? "" : ",") + JsonString(t);
      return "[" + l + "]";
    };
    s += ",\"alarms\":" + list(e.alarms) + ",\"alarm_keys\":" + list(e.alarmKeys) +
         ",\"alarm_word\":" + std::to_string(e.alarmWord);
  }
  if (IsMeasurement(e)) s += ",\"kind\":" + JsonString(e.kind);
  if (e.cell > 0) s += ",\"cell\":" + std::to_string(e.cell);
  if (!e.detail.empty()) s += ",\"detail\":" + JsonString(e.detail);
  return s + "}";
}

std::string EventLine(const std::string& unit, const Event& e) {
  std::string s = unit + " " + FormatLocalTimeMs(e.time, e.ms) + " " + e.name;
  if (IsAlarm(e)) return s + ": " + Joined(e.alarms) + " (alarm word " + std::to_string(e.alarmWord) + ")";
  if (IsMeasurement(e)) s += " " + e.kind;
  return e.detail.empty() ? s : s + ": " + e.detail;
}

EventCsv::EventCsv(std::string dir, const std::string& name) : path_(std::move(dir) + "/" + name + "-events.csv") {}

EventCsv::~EventCsv() {
  if (fd_ >= 0) ::close(fd_);
}

bool EventCsv::Write(const Event& e) {
  if (!error_.empty()) return false;
  std::string text;
  if (fd_ < 0) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
      error_ = "cannot write " + path_ + ": " + std::strerror(errno);
      return false;
    }
    if (st.st_size == 0) text = "time,event,alarm_word,alarms,kind,cell,detail\n";
  }
  text += FormatLocalTimeMs(e.time, e.ms) + "," + e.name + "," + (IsAlarm(e) ? std::to_string(e.alarmWord) : "") +
          "," + CsvField(Joined(e.alarms)) + "," + e.kind + "," + (e.cell > 0 ? std::to_string(e.cell) : "") + "," +
          CsvField(e.detail) + "\n";
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = "cannot write " + path_ + ": " + std::strerror(errno);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace kx::monitor
