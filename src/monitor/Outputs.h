#pragma once
// Where every reading of the monitor goes: stdout, the unit's daily CSV, the
// MQTT broker (with the unit's discovery and availability); and the counts per
// unit for the summary. Called from the pollers, one reading at a time.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "monitor/DailyCsv.h"
#include "monitor/Monitor.h"
#include "monitor/MqttPublisher.h"
#include "monitor/Reading.h"

namespace kx::monitor {

struct UnitState {
  long long good = 0, failed = 0, number = 0;
  int failedInRow = 0;
  std::optional<bool> online;  // as last published
  bool described = false;      // discovery built
  std::string firmware;
  std::unique_ptr<DailyCsv> csv;
};

class Outputs {
 public:
  Outputs(const MonitorOptions& o, const MonitorIo& io, MqttPublisher* mqtt);

  // Whether the unit's firmware version is still to be read (before its discovery).
  bool WantsVersion(size_t unit);
  void SetFirmware(size_t unit, std::string firmware);

  void Deliver(const Reading& r);

  bool AnyFailed() const;
  bool AnyCsvFailed() const { return !csvFailed_.empty(); }
  const UnitState& Unit(size_t i) const { return units_[i]; }

 private:
  const MonitorOptions& o_;
  const MonitorIo& io_;
  MqttPublisher* mqtt_;
  std::mutex mutex_;
  std::vector<UnitState> units_;
  std::map<size_t, bool> csvFailed_;
};

}  // namespace kx::monitor
