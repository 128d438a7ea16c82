#pragma once
// Home Assistant discovery: one device per unit, one sensor per measurement, each
// a retained config message whose value_template reads the unit's state JSON.

#include <string>
#include <vector>

namespace kx::monitor {

struct MqttMessage {
  std::string topic;
  std::string payload;
  bool retain = false;
  int unit = -1;  // the unit it belongs to, for the counts; -1: the monitor's own
};

struct DiscoveryUnit {
  std::string name;            // the unit's topic level
  std::string firmware;        // "1.30"; empty when the version could not be read
  std::vector<bool> cellFitted;  // one per cell: false for a cell that read 0.000 V at start
};

// PREFIX/NAME/LEAF: a unit's state and availability.
inline std::string UnitTopic(const std::string& prefix, const std::string& name, const char* leaf) {
  return prefix + "/" + name + "/" + leaf;
}

// The config messages of one unit under discoveryPrefix, for the state and
// availability topics under prefix; a sensor is available while both the
// monitor's statusTopic and the unit's availability say online.
std::vector<MqttMessage> DiscoveryMessages(const std::string& discoveryPrefix, const std::string& prefix,
                                           const std::string& statusTopic, const DiscoveryUnit& unit, int unitIndex);

}  // namespace kx::monitor
