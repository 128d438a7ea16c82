// The monitor against a real broker: discovery, state values, availability, a
// broker outage or one that starts late, SIGTERM, refused credentials and
// refused messages, instances, an IPv6 address; the stop descriptor and events
// logged as they come.

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "MonitorRun.h"
#include "MqttBroker.h"
#include "cli/Cli.h"
#include "monitor/Monitor.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx::testing {
namespace {

QJsonObject Json(const std::string& s) { return QJsonDocument::fromJson(QByteArray::fromStdString(s)).object(); }

// The values the state and discovery checks look for, and this suite's pace.
struct MqttRun : MonitorRun {
  explicit MqttRun(int brokerPort) : MonitorRun(brokerPort, 11) {
    a1.SetCellVoltage(39, 0.0);  // cell 40 not fitted
    a2.SetCellVoltage(6, 3.456);
    a2.SetCurrent(-20.0);
    b5.SetTemperature(2, 41.5);
    options.periodMs = 150;
    options.alarmsEvery = 2;
  }
};

auto Count(const std::string& topic, size_t n) {
  return [topic, n](const std::vector<Received>& all) { return OnTopic(all, topic).size() >= n; };
}

TEST(MonitorMqtt, DiscoveryStateValuesAndAvailability) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start());
  Subscriber live(broker.Port(), "live");
  MqttRun run(broker.Port());
  run.Start();
  ASSERT_TRUE(live.WaitFor(Count("kxt/u5/state", 3)));
  ASSERT_TRUE(live.WaitFor(Count("kxt/u2/state", 3)));

  // Discovery is retained: a consumer that comes later still finds every config.
  Subscriber late(broker.Port(), "late");
  ASSERT_TRUE(late.WaitFor(Count("homeassistant/sensor/u2/cell_spread/config", 1)));
  const auto retained = late.Messages();
  EXPECT_EQ(OnTopic(retained, "homeassistant/sensor/u1/cell40/config").size(), 0u);  // not fitted
  const auto cell7 = OnTopic(retained, "homeassistant/sensor/u2/cell7/config");
  ASSERT_EQ(cell7.size(), 1u);
  EXPECT_TRUE(cell7[0].retain);
  const QJsonObject config = Json(cell7[0].payload);
  EXPECT_EQ(config["state_topic"].toString(), "kxt/u2/state");
  EXPECT_EQ(config["device"].toObject()["sw_version"].toString(), "1.30");
  EXPECT_EQ(config["availability"].toArray().size(), 2);
  EXPECT_EQ(OnTopic(retained, "kxt/status/test").at(0).payload, "online");

  // The state carries the simulated unit's values.
  const QJsonObject u2 = Json(OnTopic(live.Messages(), "kxt/u2/state").at(0).payload);
  ASSERT_TRUE(u2["ok"].toBool());
  EXPECT_EQ(u2["cells_V"].toArray().size(), 40);
  EXPECT_DOUBLE_EQ(u2["cells_V"].toArray()[6].toDouble(), 3.456);
  EXPECT_DOUBLE_EQ(u2["cell_max_V"].toDouble(), 3.456);
  EXPECT_EQ(u2["cell_max_index"].toInt(), 7);
  EXPECT_NEAR(u2["current_A"].toDouble(), -20.0, 0.02);
  EXPECT_TRUE(u2.contains("alarm_word"));  // the first cycle reads the alarms
  const QJsonObject u5 = Json(OnTopic(live.Messages(), "kxt/u5/state").at(0).payload);
  EXPECT_NEAR(u5["temps_C"].toArray()[2].toDouble(), 41.5, 0.05);
  const QJsonObject u1 = Json(OnTopic(live.Messages(), "kxt/u1/state").at(0).payload);
  EXPECT_DOUBLE_EQ(u1["cells_V"].toArray()[39].toDouble(), 0.0);
  EXPECT_GT(u1["cell_min_V"].toDouble(), 3.0);  // the cell not fitted is left out

  // Three silent readings in a row take the unit offline; the next good one back.
  run.a2.SetFault(Fault::Silence, 3);
  const std::string avail = "kxt/u2/availability";
  ASSERT_TRUE(live.WaitFor(Count(avail, 3)));
  const auto flips = OnTopic(live.Messages(), avail);
  EXPECT_EQ(flips[0].payload, "online");
  EXPECT_EQ(flips[1].payload, "offline");
  EXPECT_EQ(flips[2].payload, "online");
  const auto states = OnTopic(live.Messages(), "kxt/u2/state");
  int failedInRow = 0, most = 0;
  for (const Received& s : states) {
    failedInRow = Json(s.payload)["ok"].toBool() ? 0 : failedInRow + 1;
    most = std::max(most, failedInRow);
  }
  EXPECT_EQ(most, 3);
  // The other unit on the line went on meanwhile.
  EXPECT_EQ(OnTopic(live.Messages(), "kxt/u1/availability").size(), 1u);
  run.Finish();
  EXPECT_EQ(run.status, 0);
}

TEST(MonitorMqtt, BrokerOutageLosesNothingAndKeepsTheOrder) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start());
  Subscriber persistent(broker.Port(), "keeper", false);
  MqttRun run(broker.Port());
  run.Start();
  ASSERT_TRUE(persistent.WaitFor(Count("kxt/u1/state", 2)));
  broker.Stop();
  std::this_thread::sleep_for(std::chrono::seconds(2));  // readings queue meanwhile
  ASSERT_TRUE(broker.Start());
  const size_t before = OnTopic(persistent.Messages(), "kxt/u1/state").size();
  ASSERT_TRUE(persistent.WaitFor(Count("kxt/u1/state", before + 15), 30000));
  run.Finish();
  ASSERT_TRUE(persistent.WaitFor(Count("kxt/status/test", 2)));  // online, then offline at the end

  for (const char* unit : {"u1", "u2", "u5"}) {
    // Reading numbers 1, 2, 3, ... in order, none missing. QoS 1 is at least once: a
    // message in flight when the broker went away may come again, and only such a
    // repeat of a number already seen is let through.
    int next = 1;
    for (const Received& s : OnTopic(persistent.Messages(), std::string("kxt/") + unit + "/state")) {
      const int n = Json(s.payload)["reading"].toInt();
      if (n < next) continue;
      ASSERT_EQ(n, next) << unit;
      ++next;
    }
    const std::string summary = std::string(unit) + ": readings good " + std::to_string(next - 1) + ", failed 0";
    EXPECT_NE(run.out.find(summary), std::string::npos) << run.out;
  }
  EXPECT_NE(run.out.find("queued 0, dropped 0"), std::string::npos) << run.out;
}

TEST(MonitorMqtt, SigtermPublishesOfflineAndExitsZero) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start());
  Subscriber sub(broker.Port(), "watch");
  const std::string out = broker.Dir() + "/out", err = broker.Dir() + "/err";
  const int pid = SpawnTool({KX_CLI_PATH, "--simulate", "monitor", "--unit", "1:3", "--period", "100", "--mqtt",
                             "127.0.0.1:" + std::to_string(broker.Port()), "--mqtt-prefix", "site", "--instance",
                             "room1"},
                            out, err);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(sub.WaitFor(Count("site/kx4200_1_3/state", 2)));
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid, 20000), 0) << ReadFile(err);
  ASSERT_TRUE(sub.WaitFor(Count("site/status/room1", 2)));
  EXPECT_EQ(OnTopic(sub.Messages(), "site/status/room1").back().payload, "offline");
  EXPECT_NE(ReadFile(out).find("kx4200_1_3: readings good"), std::string::npos);
}

TEST(MonitorMqtt, WrongPasswordIsReportedPlainlyWithExitThree) {
  MqttBroker broker("monitor", "right");
  ASSERT_TRUE(broker.Start());
  const std::string file = broker.Dir() + "/pw";
  for (const char* password : {"wrong\n", "right\n"}) {
    {
      std::ofstream(file) << password;
    }
    const std::string out = broker.Dir() + "/out", errFile = broker.Dir() + "/err";
    const int pid = SpawnTool({KX_CLI_PATH, "--simulate", "monitor", "--unit", "1", "--count", "1", "--mqtt",
                               "127.0.0.1:" + std::to_string(broker.Port()), "--mqtt-user", "monitor",
                               "--mqtt-password-file", file},
                              out, errFile);
    const int status = WaitExit(pid, 30000);
    const std::string err = ReadFile(errFile);
    if (password[0] == 'w') {
      EXPECT_EQ(status, 3);
      EXPECT_NE(err.find("refused"), std::string::npos) << err;
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;  // one plain line
    } else {
      EXPECT_EQ(status, 0) << err;
    }
  }
}

// Waits for text in a file a spawned tool writes.
bool WaitForText(const std::string& file, const std::string& text) {
  for (int i = 0; i < 1000; ++i) {
    if (ReadFile(file).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(MonitorMqtt, ABrokerThatStartsAfterTheMonitorIsReached) {
  MqttBroker broker;
  const std::string out = broker.Dir() + "/out", err = broker.Dir() + "/err";
  const std::string where = "127.0.0.1:" + std::to_string(broker.Port());
  const int pid =
      SpawnTool({KX_CLI_PATH, "--simulate", "monitor", "--unit", "1:3", "--period", "100", "--mqtt", where}, out, err);
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(WaitForText(err, "not reached")) << ReadFile(err);
  ASSERT_TRUE(broker.Start());
  Subscriber sub(broker.Port(), "late");
  EXPECT_TRUE(sub.WaitFor(Count("kx4200/kx4200_1_3/state", 3), 60000)) << ReadFile(err);
  ::kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid, 20000), 0) << ReadFile(err);
  EXPECT_NE(ReadFile(out).find(", queued 0,"), std::string::npos) << ReadFile(out);

  // A counted run that could not deliver says so and fails.
  broker.Stop();
  const int counted = SpawnTool({KX_CLI_PATH, "--simulate", "monitor", "--unit", "1:3", "--count", "2", "--period",
                                 "0", "--mqtt", where},
                                out, err);
  EXPECT_EQ(WaitExit(counted, 30000), 1) << ReadFile(err);
  EXPECT_NE(ReadFile(err).find("still queued"), std::string::npos) << ReadFile(err);
}

// Two monitors on one prefix: stopping one leaves the other's sensors available.
TEST(MonitorMqtt, EachInstanceHasItsOwnStatus) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start());
  Subscriber sub(broker.Port(), "watch");
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  const std::string where = "127.0.0.1:" + std::to_string(broker.Port());
  const std::string dir = broker.Dir();
  const int one = SpawnTool({KX_CLI_PATH, "--simulate", "monitor", "--unit", "1:3=a", "--period", "100", "--mqtt",
                             where, "--instance", "one"},
                            dir + "/out1", dir + "/err1");
  const int two = SpawnTool(
      {KX_CLI_PATH, "--simulate", "monitor", "--unit", "1:3=b", "--period", "100", "--mqtt", where}, dir + "/out2",
      dir + "/err2");
  ASSERT_TRUE(sub.WaitFor(Count("kx4200/a/state", 2))) << ReadFile(dir + "/err1");
  ASSERT_TRUE(sub.WaitFor(Count("kx4200/b/state", 2))) << ReadFile(dir + "/err2");
  ::kill(one, SIGTERM);
  EXPECT_EQ(WaitExit(one, 20000), 0);
  ASSERT_TRUE(sub.WaitFor(Count("kx4200/status/one", 2)));
  EXPECT_EQ(OnTopic(sub.Messages(), "kx4200/status/one").back().payload, "offline");

  const std::string status = std::string("kx4200/status/") + host;
  const auto others = OnTopic(sub.Messages(), status);
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(others[0].payload, "online");
  EXPECT_TRUE(OnTopic(sub.Messages(), "kx4200/status").empty());
  const auto config = OnTopic(sub.Messages(), "homeassistant/sensor/b/total/config");
  ASSERT_EQ(config.size(), 1u);
  EXPECT_EQ(Json(config[0].payload)["availability"].toArray()[0].toObject()["topic"].toString().toStdString(), status);
  ::kill(two, SIGTERM);
  EXPECT_EQ(WaitExit(two, 20000), 0);
}

// A message the client library will not take (bad UTF-8, a wildcard in the topic)
// is counted and said once per cause; it holds up nothing behind it.
TEST(MonitorMqtt, APublishTheLibraryRefusesIsCountedAndSaidOnce) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start());
  Subscriber sub(broker.Port(), "watch");
  monitor::MqttSettings s;
  s.host = "127.0.0.1";
  s.port = broker.Port();
  s.instance = "t";
  monitor::MqttPublisher p(s);
  std::string error;
  ASSERT_EQ(p.Start(5000, error), monitor::MqttPublisher::StartResult::Connected) << error;
  // Retained, so that the subscriber finds it however late its subscription.
  for (const char* topic : {"kx/bad\xff", "kx/bad\xfe", "kx/a+b", "kx/good"}) p.Publish({topic, "x", true, 0});
  EXPECT_TRUE(sub.WaitFor(Count("kx/good", 1)));
  p.Stop(5000);
  const monitor::MqttCounts c = p.Counts(0);
  EXPECT_EQ(c.refused, 3);
  EXPECT_EQ(c.published, 1);
  EXPECT_EQ(c.queued, 0);
  int said = 0;
  for (const std::string& e : p.TakeEvents()) said += e.find("refused") != std::string::npos;
  EXPECT_EQ(said, 2);
}

// Between readings the monitor sleeps on its stop descriptor: a stop written there
// ends it at once, and a broker event is logged when it happens, not on a timer.
TEST(MonitorMqtt, AStopDescriptorEndsTheRunAndEventsAreLoggedAsTheyCome) {
  VirtualDevice unit(21);
  unit.SetAddress(1);
  SimHost line(unit);
  ASSERT_TRUE(line.Start());
  MqttBroker broker;  // started once the monitor said it is not there
  monitor::MonitorOptions o;
  o.units = {{"a", 1, 9600, "u1"}};
  o.paths = {line.Path()};
  o.periodMs = 60000;
  o.mqtt.emplace();
  o.mqtt->host = "127.0.0.1";
  o.mqtt->port = broker.Port();
  o.connectWaitMs = 0;

  const int stopFd = ::eventfd(0, EFD_CLOEXEC);
  ASSERT_GE(stopFd, 0);
  const uint64_t one = 1;
  std::mutex mutex;
  std::condition_variable changed;
  std::string err;
  std::atomic<bool> rescue{false};  // only if the descriptor is not heeded
  std::atomic<int> status{-1};
  std::thread run([&] {
    status = monitor::RunMonitor(o, {[](std::string_view) {},
                                     [&](std::string_view s) {
                                       std::lock_guard lock(mutex);
                                       err += std::string(s) + "\n";
                                       changed.notify_all();
                                     },
                                     [&] { return rescue.load(); }, nullptr, stopFd});
    std::lock_guard lock(mutex);
    changed.notify_all();
  });
  auto said = [&](const char* text, int ms) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return err.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(said("not reached", 10000)) << err;
  EXPECT_TRUE(broker.Start());
  EXPECT_TRUE(said("MQTT connected", 15000)) << err;  // reconnection within 1 s, while no reading is due

  const auto asked = std::chrono::steady_clock::now();
  EXPECT_EQ(::write(stopFd, &one, sizeof one), 8);
  {
    std::unique_lock lock(mutex);
    if (!changed.wait_for(lock, std::chrono::seconds(10), [&] { return status.load() >= 0; })) {
      ADD_FAILURE() << "the stop descriptor was not heeded";
      rescue = true;
    }
  }
  run.join();
  ::close(stopFd);
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
  EXPECT_EQ(status.load(), 0) << err;
}

TEST(MonitorMqtt, ABrokerByBracketedIpv6Address) {
  MqttBroker broker({}, {}, true);
  ASSERT_TRUE(broker.Start());
  cli::CaptureOutput out;
  const int status = cli::RunCli({"kx4200-cli", "--simulate", "monitor", "--unit", "1:1", "--count", "2", "--period",
                                  "0", "--mqtt", QString("[::1]:%1").arg(broker.Port())},
                                 out);
  EXPECT_EQ(status, 0) << out.err;
  EXPECT_NE(out.out.find(", queued 0,"), std::string::npos) << out.out;
  EXPECT_EQ(out.out.find("published 0,"), std::string::npos) << out.out;
}

}  // namespace
}  // namespace kx::testing
