#pragma once
// The unattended monitor: every unit read once a period, units on one port in turn
// on one open port, ports in parallel; each reading goes to stdout, a daily CSV
// per unit and/or an MQTT broker; a summary at the end.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/MqttPublisher.h"
#include "monitor/UnitOption.h"
#include "monitor/WiringChecks.h"
#include "texts/ExitStatus.h"

namespace kx::monitor {

struct MonitorOptions {
  std::vector<UnitOption> units;
  std::vector<std::string> paths;  // the device path of each unit, same order
  int periodMs = 5000;
  int alarmsEvery = 12;  // alarm word every N cycles, from the first; 0: never
  int count = 0;         // cycles; 0: until stopped
  uint32_t currentRange = 1000;
  std::string csvDir;  // empty: no CSV
  bool json = false;   // stdout: one JSON object per reading and for the summary
  std::optional<MqttSettings> mqtt;
  bool discovery = true;
  bool cellEntities = true;  // discovery of a sensor per cell
  std::string discoveryPrefix = "homeassistant";
  size_t queueLimit = MqttPublisher::kDefaultQueueLimit;
  int connectWaitMs = 5000;  // for the broker's first answer at start
  int flushMs = 5000;        // for the queue to drain at the end
  bool trace = false;        // every frame on errLine, led by its unit's name
  double waitScale = 1.0;    // of every port (tests shorten a silent unit's waits)
  WiringLimits wiring;
  std::string metricsHost;   // with metricsPort >= 0: serve /metrics there
  int metricsPort = -1;
};

struct MonitorIo {
  std::function<void(std::string_view)> outLine;
  // A message about the run; the caller names the program before it.
  std::function<void(std::string_view)> errLine;
  std::function<bool()> stopRequested;  // SIGINT/SIGTERM
  // A traced frame's line, as it is (errLine when not set).
  std::function<void(std::string_view)> traceLine = nullptr;
  // Readable once a stop was requested (never read here), so that the monitor can
  // sleep until something happens; -1: none, and stopRequested is asked every 50 ms.
  int stopFd = -1;
};

// Returns kExitOk after a stop or after count cycles without a failed reading;
// kExitDevice when a reading of a counted run failed or the run ended with MQTT
// messages still queued; kExitUsage when the CSV folder is unusable or a log
// could not be written; kExitPort when the broker refused the credentials, the
// client could not be set up or the metrics address cannot be listened on.
int RunMonitor(const MonitorOptions& options, const MonitorIo& io);

// Why a topic the monitor would publish (given its units, prefixes and instance)
// cannot be an MQTT topic; empty when every one can.
std::string CheckMqttTopics(const MonitorOptions& options);

}  // namespace kx::monitor
