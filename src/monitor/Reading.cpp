#include "monitor/Reading.h"

#include <cstdio>

#include "link/CellStats.h"
#include "link/LocalTime.h"
#include "texts/Messages.h"
#include "monitor/Events.h"
#include "monitor/LiveJson.h"

namespace kx::monitor {

namespace {

std::string Fixed(double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string Cause(const Reading& r) { return JsonString(r.error.empty() ? "no reading" : r.error); }

}  // namespace

std::string IsoLocalTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  std::string s = text;  // +0800 becomes +08:00
  if (s.size() >= 5) s.insert(s.size() - 2, ":");
  return s;
}

std::string CsvLocalTime(const Reading& r) { return FormatLocalTimeMs(r.time, r.ms); }

std::string JsonString(const std::string& text) {
  std::string s = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      s += '\\';
      s += static_cast<char>(c);
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      s += esc;
    } else {
      s += static_cast<char>(c);
    }
  }
  return s + "\"";
}

std::string StateJson(const Reading& r, uint16_t activeAlarmWord, const std::vector<std::string>& faults) {
  std::vector<JsonMember> m{{"time", JsonString(IsoLocalTime(r.time))}, {"reading", std::to_string(r.number)}};
  if (r.ok()) {
    m.push_back({"ok", "true"});
  } else {
    m.push_back({"ok", "false"});
    m.push_back({"error", Cause(r)});
  }
  for (JsonMember& v : LiveJsonMembers(r.live ? &*r.live : nullptr, r.alarms ? &*r.alarms : nullptr,
                                       JsonNumbers::Shown, JsonKeys::Present))
    m.push_back(std::move(v));
  auto list = [](const std::vector<std::string>& texts) {
    std::string s;
    for (const std::string& t : texts) s += (s.empty() ? "" : ",") + JsonString(t);
    return "[" + s + "]";
  };
  m.push_back({"alarms_active", list(DecodeAlarmWord(activeAlarmWord).texts)});
  m.push_back({"alarm_keys_active", list(AlarmKeys(activeAlarmWord))});
  m.push_back({"measurement_faults", list(faults)});
  return JsonObject(m);
}

std::string ReadingJson(const std::string& name, const Reading& r) {
  std::vector<JsonMember> m{{"unit", JsonString(name)},
                            {"ok", r.ok() ? "true" : "false"},
                            {"reading", std::to_string(r.number)},
                            {"time", JsonString(CsvLocalTime(r))}};
  // A failed reading has no alarm word: it is read only after a good one.
  for (JsonMember& v : LiveJsonMembers(r.live ? &*r.live : nullptr, r.alarms ? &*r.alarms : nullptr,
                                       JsonNumbers::Shown, JsonKeys::All))
    m.push_back(std::move(v));
  if (!r.ok()) {
    m.push_back({"cause", Cause(r)});
    m.push_back({"error", JsonString(msg::kCommFailed)});
  }
  return JsonObject(m);
}

std::string PlainLine(const std::string& name, const Reading& r) {
  std::string s = name + " " + CsvLocalTime(r) + " #" + std::to_string(r.number);
  if (!r.live) return s + " failed: " + r.error;
  const LiveReading& v = *r.live;
  s += " total " + v.Text(kLiveTotal) + " V, current " + v.Text(kLiveCurrent) + " A";
  if (const auto e = FindCellExtremes(v.Cells()))
    s += ", cells " + Fixed(e->minV, 3) + " (" + std::to_string(e->minIndex) + ") .. " + Fixed(e->maxV, 3) + " (" +
         std::to_string(e->maxIndex) + ") V, spread " + Fixed(e->spreadMv, 0) + " mV";
  s += ", temps " + v.Text(kLiveTemps) + "/" + v.Text(kLiveTemps + 1) + "/" + v.Text(kLiveTemps + 2) + " °C";
  if (r.alarms) {
    const auto& texts = r.alarms->texts;
    s += ", alarms: ";
    if (texts.empty()) s += "none";
    for (size_t i = 0; i < texts.size(); ++i) s += (i ? "; " : "") + texts[i];
  }
  return s;
}

}  // namespace kx::monitor
