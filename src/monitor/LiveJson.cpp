#include "monitor/LiveJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <span>

#include "link/CellSummary.h"
#include "monitor/Reading.h"

namespace kx::monitor {

namespace {

// A number in the given style; decimals are those the value is shown with.
std::string Number(double v, int decimals, JsonNumbers numbers) {
  char text[64];
  if (numbers == JsonNumbers::Shown) {
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
  }
  // Plain digits, never an exponent: the shortest that reads back as v; no sign on
  // a zero (a current shown as "-0.00"), as QJsonDocument writes it.
  const auto end = std::to_chars(text, text + sizeof text, v == 0 ? 0.0 : v, std::chars_format::fixed).ptr;
  return std::string(text, end);
}

std::string Array(std::span<const double> values, size_t first, JsonNumbers numbers, bool null) {
  std::string s = "[";
  for (size_t i = 0; i < values.size(); ++i)
    s += (i ? "," : "") + (null ? std::string("null") : Number(values[i], LiveDecimals(first + i), numbers));
  return s + "]";
}

}  // namespace

std::vector<JsonMember> LiveJsonMembers(const LiveReading* reading, const AlarmList* alarms, JsonNumbers numbers,
                                        JsonKeys keys) {
  std::vector<JsonMember> m;
  const bool all = keys == JsonKeys::All;
  if (reading || all) {
    const LiveReading none;
    const LiveReading& r = reading ? *reading : none;
    const bool null = !reading;
    auto field = [&](size_t k) { return null ? std::string("null") : Number(r.shown[k], LiveDecimals(k), numbers); };
    m.push_back({"cells_V", Array(r.Cells(), 0, numbers, null)});
    m.push_back({"total_V", field(kLiveTotal)});
    m.push_back({"current_A", field(kLiveCurrent)});
    m.push_back({"temps_C", Array(r.Temps(), kLiveTemps, numbers, null)});
    m.push_back({"analog_V", Array(r.Analogs(), kLiveAnalogs, numbers, null)});

    const CellSummary summary = SummariseCells(reading ? r.Cells() : std::span<const double>());
    if (const auto& e = summary.extremes) {
      m.push_back({"cell_max_V", Number(e->maxV, 3, numbers)});
      m.push_back({"cell_max_index", std::to_string(e->maxIndex)});
      m.push_back({"cell_min_V", Number(e->minV, 3, numbers)});
      m.push_back({"cell_min_index", std::to_string(e->minIndex)});
      m.push_back({"cell_spread_mV", Number(e->spreadMv, 0, numbers)});
      // Rounded as the panel's line shows it.
      const double mean = numbers == JsonNumbers::Shown ? summary.meanV : std::round(summary.meanV * 1000.0) / 1000.0;
      if (all) m.push_back({"cell_mean_V", Number(mean, 3, numbers)});
    } else if (all) {
      for (const char* key :
           {"cell_max_V", "cell_max_index", "cell_min_V", "cell_min_index", "cell_spread_mV", "cell_mean_V"})
        m.push_back({key, "null"});
    }
  }
  if (alarms) {
    std::string list = "[";
    for (const std::string& text : alarms->texts) list += (list.size() > 1 ? "," : "") + JsonString(text);
    m.push_back({"alarm_word", std::to_string(alarms->word)});
    m.push_back({"alarms", list + "]"});
  }
  return m;
}

std::string JsonObject(const std::vector<JsonMember>& members) {
  std::string s = "{";
  for (const JsonMember& m : members) s += (s.size() > 1 ? "," : "") + JsonString(m.key) + ":" + m.value;
  return s + "}";
}

}  // namespace kx::monitor
