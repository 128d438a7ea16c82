#include "monitor/Discovery.h"

#include "link/LiveReading.h"
#include "monitor/Reading.h"

namespace kx::monitor {

namespace {

struct Sensor {
  std::string id;        // object id, also the topic level
  std::string label;     // shown name
  std::string field;     // JSON path into the state, e.g. "cells_V[0]"
  const char* unit;      // unit of measurement, nullptr for none
  const char* deviceClass;  // nullptr for none
};

std::vector<Sensor> Sensors(const DiscoveryUnit& unit) {
  std::vector<Sensor> s;
  for (size_t i = 0; i < kLiveCells; ++i) {
    if (i < unit.cellFitted.size() && !unit.cellFitted[i]) continue;
    const std::string n = std::to_string(i + 1);
    s.push_back({"cell" + n, "Cell " + n, "cells_V[" + std::to_string(i) + "]", "V", "voltage"});
  }
  s.push_back({"total", "Total voltage", "total_V", "V", "voltage"});
  s.push_back({"current", "Current", "current_A", "A", "current"});
  for (size_t i = 0; i < kLiveTempCount; ++i)
    s.push_back({"temp" + std::to_string(i + 1), "Temperature " + std::to_string(i + 1),
                 "temps_C[" + std::to_string(i) + "]", "°C", "temperature"});
  for (size_t i = 0; i < kLiveAnalogCount; ++i)
    s.push_back({"analog" + std::to_string(i + 1), "Analogue input " + std::to_string(i + 1),
                 "analog_V[" + std::to_string(i) + "]", "V", "voltage"});
  s.push_back({"cell_max", "Highest cell", "cell_max_V", "V", "voltage"});
  s.push_back({"cell_max_index", "Highest cell number", "cell_max_index", nullptr, nullptr});
  s.push_back({"cell_min", "Lowest cell", "cell_min_V", "V", "voltage"});
  s.push_back({"cell_min_index", "Lowest cell number", "cell_min_index", nullptr, nullptr});
  s.push_back({"cell_spread", "Cell spread", "cell_spread_mV", "mV", "voltage"});
  return s;
}

}  // namespace

std::vector<MqttMessage> DiscoveryMessages(const std::string& discoveryPrefix, const std::string& prefix,
                                           const std::string& statusTopic, const DiscoveryUnit& unit, int unitIndex) {
  std::string device = "{\"identifiers\":[" + JsonString(unit.name) + "],\"name\":" + JsonString(unit.name) +
                       ",\"model\":\"KX4200\"";
  if (!unit.firmware.empty()) device += ",\"sw_version\":" + JsonString(unit.firmware);
  device += "}";
  const std::string availability = "[{\"topic\":" + JsonString(statusTopic) + "},{\"topic\":" +
                                   JsonString(UnitTopic(prefix, unit.name, "availability")) + "}]";
  std::vector<MqttMessage> out;
  for (const Sensor& s : Sensors(unit)) {
    const std::string uid = unit.name + "_" + s.id;
    // A failed reading carries no values; the sensor then shows unknown, not an error.
    const std::string tpl = "{{ value_json." + s.field + " if value_json.ok else None }}";
    std::string p = "{\"name\":" + JsonString(s.label) + ",\"unique_id\":" + JsonString(uid) +
                    ",\"object_id\":" + JsonString(uid) + ",\"state_topic\":" +
                    JsonString(UnitTopic(prefix, unit.name, "state")) + ",\"value_template\":" + JsonString(tpl);
    if (s.unit) p += ",\"unit_of_measurement\":" + JsonString(s.unit);
    if (s.deviceClass) p += ",\"device_class\":" + JsonString(s.deviceClass);
    p += ",\"state_class\":\"measurement\",\"availability\":" + availability +
         ",\"availability_mode\":\"all\",\"device\":" + device + "}";
    out.push_back({discoveryPrefix + "/sensor/" + unit.name + "/" + s.id + "/config", p, true, unitIndex});
  }
  return out;
}

}  // namespace kx::monitor
