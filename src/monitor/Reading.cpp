#include "monitor/Reading.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "link/Alarms.h"
#include "link/CellStats.h"
#include "link/CellSummary.h"
#include "link/LiveValues.h"
#include "link/LocalTime.h"
#include "texts/ChineseTexts.h"
#include "texts/Messages.h"

namespace kx::monitor {

namespace {

constexpr size_t kCells = 40, kTotal = 40, kCurrent = 41, kTemp = 42, kAnalog = 45;

std::string Array(const std::vector<std::string>& texts, size_t from, size_t n) {
  std::string s = "[";
  for (size_t i = 0; i < n; ++i) s += (i ? "," : "") + texts[from + i];
  return s + "]";
}

std::string Fixed(double v, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::vector<std::string> AlarmTexts(uint16_t word) {
  std::vector<std::string> texts;
  std::istringstream lines(DescribeAlarmWord(word));
  for (std::string line; std::getline(lines, line);)
    if (!line.empty()) texts.push_back(line);
  return texts;
}

bool Good(const Reading& r) { return r.ok && r.texts.size() == kLiveValueCount; }

// The values of a reading as JSON members, each with a leading comma. The extremes
// leave out cells not fitted; with none fitted they are null or, unless nulls are
// asked for, absent. A failed reading gives every member null when nulls are asked for.
std::string Values(const Reading& r, bool nulls) {
  const bool good = Good(r);
  if (!good && !nulls) return {};
  const std::vector<std::string> none(kLiveValueCount, "null");
  const auto& t = good ? r.texts : none;
  std::string s = ",\"cells_V\":" + Array(t, 0, kCells) + ",\"total_V\":" + t[kTotal] + ",\"current_A\":" +
                  t[kCurrent] + ",\"temps_C\":" + Array(t, kTemp, 3) + ",\"analog_V\":" + Array(t, kAnalog, 2);
  std::vector<double> cells;
  for (size_t i = 0; good && i < kCells; ++i) cells.push_back(std::strtod(t[i].c_str(), nullptr));
  const CellSummary summary = SummariseCells(cells);
  if (const auto& e = summary.extremes) {
    s += ",\"cell_max_V\":" + Fixed(e->maxV, 3) + ",\"cell_max_index\":" + std::to_string(e->maxIndex) +
         ",\"cell_min_V\":" + Fixed(e->minV, 3) + ",\"cell_min_index\":" + std::to_string(e->minIndex) +
         ",\"cell_spread_mV\":" + Fixed(e->spreadMv, 0);
    if (nulls) s += ",\"cell_mean_V\":" + Fixed(summary.meanV, 3);
  } else if (nulls) {
    s += ",\"cell_max_V\":null,\"cell_max_index\":null,\"cell_min_V\":null,\"cell_min_index\":null,"
         "\"cell_spread_mV\":null,\"cell_mean_V\":null";
  }
  return s;
}

std::string Alarms(const Reading& r) {
  if (!r.alarmWord) return {};
  std::string s = ",\"alarm_word\":" + std::to_string(*r.alarmWord) + ",\"alarms\":[";
  const auto texts = AlarmTexts(*r.alarmWord);
  for (size_t i = 0; i < texts.size(); ++i) s += (i ? "," : "") + JsonString(texts[i]);
  return s + "]";
}

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

std::string StateJson(const Reading& r) {
  std::string s = "{\"time\":" + JsonString(IsoLocalTime(r.time)) + ",\"reading\":" + std::to_string(r.number);
  if (!Good(r))
    s += ",\"ok\":false,\"error\":" + JsonString(r.error.empty() ? "no reading" : r.error);
  else
    s += ",\"ok\":true" + Values(r, false);
  return s + Alarms(r) + "}";
}

std::string ReadingJson(const std::string& name, const Reading& r) {
  std::string s = "{\"unit\":" + JsonString(name) + ",\"ok\":" + (Good(r) ? "true" : "false") +
                  ",\"reading\":" + std::to_string(r.number) + ",\"time\":" + JsonString(CsvLocalTime(r)) +
                  Values(r, true);
  if (!Good(r))
    s += ",\"cause\":" + JsonString(r.error.empty() ? "no reading" : r.error) +
         ",\"error\":" + JsonString(msg::kCommFailed);
  return s + Alarms(r) + "}";
}

std::string PlainLine(const std::string& name, const Reading& r) {
  std::string s = name + " " + CsvLocalTime(r) + " #" + std::to_string(r.number);
  if (!Good(r)) return s + " failed: " + r.error;
  s += " total " + r.texts[kTotal] + " V, current " + r.texts[kCurrent] + " A";
  std::vector<double> cells;
  for (size_t i = 0; i < kCells; ++i) cells.push_back(std::strtod(r.texts[i].c_str(), nullptr));
  if (const auto e = FindCellExtremes(cells))
    s += ", cells " + Fixed(e->minV, 3) + " (" + std::to_string(e->minIndex) + ") .. " + Fixed(e->maxV, 3) + " (" +
         std::to_string(e->maxIndex) + ") V, spread " + Fixed(e->spreadMv, 0) + " mV";
  s += ", temps " + r.texts[kTemp] + "/" + r.texts[kTemp + 1] + "/" + r.texts[kTemp + 2] + " °C";
  if (r.alarmWord) {
    const auto texts = AlarmTexts(*r.alarmWord);
    s += ", alarms: ";
    if (texts.empty()) s += "none";
    for (size_t i = 0; i < texts.size(); ++i) s += (i ? "; " : "") + texts[i];
  }
  return s;
}

}  // namespace kx::monitor
