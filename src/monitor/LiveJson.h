#pragma once
// A live reading as JSON members, written once for every JSON that carries one:
// acquire --json, the monitor's --json lines and its MQTT state message.

#include <string>
#include <vector>

#include "link/Alarms.h"
#include "link/LiveReading.h"
#include "texts/ChineseTexts.h"

namespace kx::monitor {

// How the values are written: as the panel shows them ("3.400", the monitor's
// outputs) or in their shortest form that reads back as the same number ("3.4",
// acquire --json).
enum class JsonNumbers { Shown, Shortest };
// Which keys: all of them, null where there is no value (acquire --json and the
// monitor's --json), or only the values there are and no cell mean (the state message).
enum class JsonKeys { All, Present };

struct JsonMember {
  std::string key;
  std::string value;  // JSON text
};

// cells_V, total_V, current_A, temps_C, analog_V; cell_max_V, cell_max_index,
// cell_min_V, cell_min_index, cell_spread_mV (the extremes leave out cells not
// fitted) and, with JsonKeys::All, cell_mean_V; then alarm_word and alarms when
// alarms is given. reading is null for a failed reading.
std::vector<JsonMember> LiveJsonMembers(const LiveReading* reading, const AlarmList* alarms, JsonNumbers numbers,
                                        JsonKeys keys);

// {"key":value,...} in the order given.
std::string JsonObject(const std::vector<JsonMember>& members);

}  // namespace kx::monitor
