// What the monitor tells about changes, against a real mosquitto broker: events
// in order with their cells and texts, the state's lists, CSV rows and stdout
// lines; the discovery of the entities that say what is wrong.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "MonitorRun.h"
#include "MqttBroker.h"
#include "monitor/Monitor.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx::testing {
namespace {

QJsonObject Json(const std::string& s) { return QJsonDocument::fromJson(QByteArray::fromStdString(s)).object(); }

// A quick pace, alarms every cycle, a short stuck-cell count and the CSV in the
// test's folder.
struct Watch : MonitorRun {
  explicit Watch(int brokerPort) : MonitorRun(brokerPort, 21) {
    options.periodMs = 60;
    options.alarmsEvery = 1;
    options.waitScale = 0.25;
    options.wiring.stuckReadings = 5;
    options.csvDir = dir.path().toStdString();
  }
  ~Watch() { Finish(); }  // before the folder goes
  QTemporaryDir dir;
};

// "event kind@cell" of each event message of a topic, in order.
std::vector<std::string> Events(const std::vector<Received>& all, const std::string& topic) {
  std::vector<std::string> events;
  for (const Received& m : OnTopic(all, topic)) {
    EXPECT_FALSE(m.retain);
    const QJsonObject e = Json(m.payload);
    std::string s = e["event"].toString().toStdString();
    if (e.contains("kind")) s += " " + e["kind"].toString().toStdString();
    if (e.contains("cell")) s += "@" + std::to_string(e["cell"].toInt());
    events.push_back(s);
  }
  return events;
}

auto EventCount(const std::string& topic, size_t n) {
  return [topic, n](const std::vector<Received>& all) { return OnTopic(all, topic).size() >= n; };
}

TEST(MonitorEvents, EachChangeIsToldOnceWhenItStartsAndOnceWhenItEnds) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start());
  Subscriber live(broker.Port(), "events");
  Watch run(broker.Port());
  // Unit 2: two alarms over readings 3..6; cell 17's lead off over readings 3..5, which
  // also takes the cells' sum 2.5 % below the total (3 readings in a row from 3).
  run.a2.RaiseAlarm(0xC0, 3, 7);
  run.a2.LoseCell(16, 3, 6);
  // Unit 5: cell 5 stuck while the others swing; unit 1 silent for three readings.
  run.b5.SetStuckCell(4);
  run.Start();
  ASSERT_TRUE(live.WaitFor(EventCount("kxt/u1/state", 2)));
  run.a1.SetFault(Fault::Silence, 3);

  ASSERT_TRUE(live.WaitFor(EventCount("kxt/u2/event", 6)));
  ASSERT_TRUE(live.WaitFor(EventCount("kxt/u5/event", 1)));
  // Mended: cell 5 reads a value of its own again.
  run.b5.SetStuckCell(std::nullopt);
  run.b5.SetCellVoltage(4, 3.25);
  ASSERT_TRUE(live.WaitFor(EventCount("kxt/u5/event", 2)));
  ASSERT_TRUE(live.WaitFor(EventCount("kxt/u1/event", 2)));
  // Nothing more is told while nothing changes.
  ASSERT_TRUE(live.WaitFor([](const auto& all) {
    const auto states = OnTopic(all, "kxt/u2/state");
    return !states.empty() && Json(states.back().payload)["reading"].toInt() >= 12;
  }));
  run.Finish();
  const auto all = live.Messages();
  EXPECT_EQ(Events(all, "kxt/u2/event"),
            (std::vector<std::string>{"alarm_raised", "measurement_fault cell_lost@17", "measurement_fault sum_mismatch",
                                      "measurement_ok cell_lost@17", "alarm_cleared", "measurement_ok sum_mismatch"}));
  EXPECT_EQ(Events(all, "kxt/u5/event"),
            (std::vector<std::string>{"measurement_fault stuck_cell@5", "measurement_ok stuck_cell@5"}));
  EXPECT_EQ(Events(all, "kxt/u1/event"), (std::vector<std::string>{"offline", "online"}));

  const auto u2 = OnTopic(all, "kxt/u2/event");
  const QJsonObject raised = Json(u2[0].payload), cleared = Json(u2[4].payload);
  EXPECT_EQ(raised["alarm_word"].toInt(), 0xC0);
  EXPECT_EQ(raised["alarms"].toArray(), (QJsonArray{"总电压过压报警", "总电流过流报警"}));
  EXPECT_EQ(cleared["alarms"].toArray(), raised["alarms"].toArray());
  EXPECT_EQ(cleared["alarm_word"].toInt(), 0);
  EXPECT_TRUE(Json(u2[1].payload)["detail"].toString().startsWith("Cell 17 reads 0.000 V"));
  EXPECT_FALSE(Json(u2[2].payload).contains("cell"));

  // The state carries the alarms and faults standing at each reading.
  for (const Received& m : OnTopic(all, "kxt/u2/state")) {
    const QJsonObject s = Json(m.payload);
    const int n = s["reading"].toInt();
    EXPECT_EQ(s["alarms_active"].toArray().size(), n >= 3 && n < 7 ? 2 : 0) << n;
    QJsonArray faults;
    if (n >= 5 && n < 8) faults.append("sum_mismatch");
    if (n >= 3 && n < 6) faults.append("cell_lost");
    EXPECT_EQ(s["measurement_faults"].toArray(), faults) << n;
  }

  // The same events on stdout, one line each, and in the unit's events CSV.
  const std::string& out = run.out;
  EXPECT_NE(out.find(" alarm_raised: 总电压过压报警; 总电流过流报警 (alarm word 192)\n"), std::string::npos) << out;
  EXPECT_NE(out.find(" measurement_fault stuck_cell: Cell 5 has read "), std::string::npos) << out;
  const std::string csv = ReadFile(run.dir.filePath("u2-events.csv").toStdString());
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 7) << csv;
  EXPECT_EQ(csv.rfind("time,event,alarm_word,alarms,kind,cell,detail\n", 0), 0u);
  EXPECT_NE(csv.find(",measurement_fault,,,cell_lost,17,Cell 17 reads 0.000 V"), std::string::npos) << csv;
  EXPECT_EQ(run.status, 0);
}

TEST(MonitorEvents, DiscoveryHasTheEntitiesThatSayWhatIsWrong) {
  MqttBroker broker;
  ASSERT_TRUE(broker.Start());
  for (bool cells : {true, false}) {
    Watch run(broker.Port());
    run.options.count = 1;
    run.options.cellEntities = cells;
    run.options.mqtt->prefix = cells ? "kxt" : "kxn";
    run.options.discoveryPrefix = cells ? "ha" : "han";
    run.Start();
    run.Wait();
    ASSERT_EQ(run.status, 0);
    Subscriber retained(broker.Port(), cells ? "with" : "without");
    const std::string ha = run.options.discoveryPrefix;
    ASSERT_TRUE(retained.WaitFor(EventCount(ha + "/binary_sensor/u2/wiring_fault/config", 1)));
    const auto all = retained.Messages();
    EXPECT_EQ(OnTopic(all, ha + "/sensor/u2/cell7/config").size(), cells ? 1u : 0u);
    EXPECT_EQ(OnTopic(all, ha + "/sensor/u2/total/config").size(), 1u);
    if (!cells) continue;
    const QJsonObject alarm = Json(OnTopic(all, ha + "/binary_sensor/u2/alarm/config").at(0).payload);
    EXPECT_EQ(alarm["device_class"].toString(), "problem");
    EXPECT_EQ(alarm["unique_id"].toString(), "u2_alarm");
    EXPECT_EQ(alarm["device"].toObject()["sw_version"].toString(), "1.30");
    EXPECT_EQ(Json(OnTopic(all, ha + "/sensor/u2/alarms/config").at(0).payload)["state_topic"].toString(),
              "kxt/u2/state");
    const QJsonObject wiring = Json(OnTopic(all, ha + "/binary_sensor/u2/wiring_fault/config").at(0).payload);
    EXPECT_EQ(wiring["device_class"].toString(), "problem");
    EXPECT_EQ(wiring["entity_category"].toString(), "diagnostic");
    EXPECT_TRUE(wiring["json_attributes_template"].toString().contains("kinds"));
    const QJsonObject cell = Json(OnTopic(all, ha + "/sensor/u2/cell7/config").at(0).payload);
    EXPECT_EQ(cell["expire_after"].toInt(), 1);  // 3 periods of 60 ms, in whole seconds
    EXPECT_FALSE(cell.contains("entity_category"));
    EXPECT_EQ(Json(OnTopic(all, ha + "/sensor/u2/analog1/config").at(0).payload)["entity_category"].toString(),
              "diagnostic");
  }
}

}  // namespace
}  // namespace kx::testing
