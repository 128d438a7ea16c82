#pragma once
// The monitor's readings for Prometheus: the text exposition format of every
// unit's last values, counters, alarms and wiring faults, served on /metrics by
// an HTTP server in a thread of its own (libmicrohttpd).

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/LiveReading.h"

struct MHD_Daemon;

namespace kx::monitor {

// The stable ASCII key of each alarm bit 0..8 ("total_overvoltage" for bit 7).
const char* AlarmKey(int bit);

struct UnitMetrics {
  std::string name;
  bool read = false;                // a reading was made
  bool up = false;                  // the last reading was good
  long long ok = 0, failed = 0;     // readings
  std::optional<LiveReading> live;  // the last good reading, while up
  std::array<bool, kLiveCells> connected{};  // read above 0 V since the start
  double lastGood = 0;              // Unix time of the last good reading; 0: none
  std::optional<uint16_t> alarmWord;  // the last one read
  std::vector<std::string> faults;    // wiring fault kinds raised
};

// The exposition text of the units, HELP and TYPE once per metric.
std::string MetricsText(const std::vector<UnitMetrics>& units);

class MetricsServer {
 public:
  explicit MetricsServer(std::vector<UnitMetrics> units) : units_(std::move(units)) {}
  ~MetricsServer();
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;

  // Listens on host:port (port 0: one the system picks); false with error set.
  bool Start(const std::string& host, int port, std::string& error);
  int Port() const { return port_; }
  void Stop();

  // The unit's metrics, changed under the server's lock.
  template <typename F>
  void Update(size_t unit, F change) {
    std::lock_guard lock(mutex_);
    change(units_[unit]);
  }
  std::string Text() const;

 private:
  mutable std::mutex mutex_;
  std::vector<UnitMetrics> units_;
  MHD_Daemon* daemon_ = nullptr;
  int port_ = 0;
};

}  // namespace kx::monitor
