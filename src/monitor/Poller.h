#pragma once
// One port of the monitor: its units read in turn, a cycle a period, each
// reading handed to the outputs.

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/SerialPort.h"
#include "monitor/Monitor.h"
#include "monitor/Outputs.h"
#include "monitor/Reading.h"
#include "monitor/StopSignal.h"

namespace kx::monitor {

class Poller {
 public:
  Poller(const MonitorOptions& o, std::string path, std::vector<size_t> units, Outputs& out, StopSignal& stop)
      : o_(o), path_(std::move(path)), units_(std::move(units)), out_(out), stop_(stop) {}

  // Until the count of cycles is done or the stop; closes the port at the end.
  void Run();

  void Interrupt() { port_.Interrupt(); }
  const std::vector<size_t>& Units() const { return units_; }
  std::atomic<long long> overruns{0};

 private:
  // Empty when the stop came in the middle: no reading, not a failed one.
  std::optional<Reading> ReadUnit(size_t unit, bool alarms, bool& hungUp);

  const MonitorOptions& o_;
  std::string path_;
  std::vector<size_t> units_;
  Outputs& out_;
  StopSignal& stop_;
  SerialPort port_;
  std::map<size_t, long long> numbers_;
};

}  // namespace kx::monitor
