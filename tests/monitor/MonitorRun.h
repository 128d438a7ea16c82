#pragma once
// Units 1 and 2 on one simulated line and unit 5 on another, publishing to a test
// broker as kxt/u1, kxt/u2, kxt/u5; the monitor in a thread of the test. Each test
// sets its own options and device values before Start.

#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "monitor/Monitor.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx::testing {

class MonitorRun {
 public:
  // seed: of unit 1's noise; units 2 and 5 take the next two.
  MonitorRun(int brokerPort, uint32_t seed) : a1(seed), a2(seed + 1), b5(seed + 2), lineA({&a1, &a2}), lineB(b5) {
    a1.SetAddress(1);
    a2.SetAddress(2);
    b5.SetAddress(5);
    for (VirtualDevice* d : {&a1, &a2, &b5}) d->SetNoise(false);
    EXPECT_TRUE(lineA.Start());
    EXPECT_TRUE(lineB.Start());
    options.units = {{"a", 1, 9600, "u1"}, {"a", 2, 9600, "u2"}, {"b", 5, 9600, "u5"}};
    options.paths = {lineA.Path(), lineA.Path(), lineB.Path()};
    monitor::MqttSettings m;
    m.host = "127.0.0.1";
    m.port = brokerPort;
    m.prefix = "kxt";
    m.instance = "test";
    options.mqtt = m;
  }
  ~MonitorRun() { Finish(); }
  MonitorRun(const MonitorRun&) = delete;
  MonitorRun& operator=(const MonitorRun&) = delete;

  void Start() {
    thread_ = std::thread([this] {
      status = monitor::RunMonitor(options, {[this](std::string_view s) { out += std::string(s) + "\n"; },
                                             [](std::string_view) {}, [this] { return stop.load(); }});
    });
  }
  // Stops the run and waits for its end.
  void Finish() {
    stop = true;
    Wait();
  }
  // Waits for a counted run's end.
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }

  VirtualDevice a1, a2, b5;
  SimHost lineA, lineB;
  monitor::MonitorOptions options;
  std::atomic<bool> stop{false};
  int status = -1;
  std::string out;  // read once the run is over

 private:
  std::thread thread_;
};

}  // namespace kx::testing
