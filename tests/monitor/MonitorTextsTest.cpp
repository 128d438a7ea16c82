// What the monitor writes: unit units, the CSV (the live log's columns, a file a
// day, a restarted run keeping the day's rows), the state of a failed reading,
// alarm events, the metrics text.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QTemporaryDir>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "link/LiveCsv.h"
#include "monitor/DailyCsv.h"
#include "monitor/Events.h"
#include "monitor/LiveJson.h"
#include "monitor/Metrics.h"
#include "monitor/Reading.h"
#include "monitor/UnitOption.h"

namespace kx::monitor {
namespace {

TEST(MonitorTexts, UnitOptions) {
  std::string error;
  auto s = ParseUnitOption("/dev/serial/by-id/usb-Ab-if00:7@38400=Room 2/East", error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->port, "/dev/serial/by-id/usb-Ab-if00");
  EXPECT_EQ(s->address, 7);
  EXPECT_EQ(s->baud, 38400);
  EXPECT_EQ(s->name, "room_2_east");
  s = ParseUnitOption("/dev/ttyUSB-0", error);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->address, 0);
  EXPECT_EQ(s->baud, 9600);
  EXPECT_EQ(s->name, "kx4200_ttyusb_0_0");
  s = ParseUnitOption("3:12", error);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->port, "3");
  EXPECT_EQ(s->name, "kx4200_3_12");

  // A by-path name keeps its colons when no address follows.
  s = ParseUnitOption("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0", error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->port, "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0");
  EXPECT_EQ(s->address, 0);

  // Serial servers: the address after the server's port; a '=' in its setting is no name.
  s = ParseUnitOption("rfc2217://10.0.0.5:4001:3@9600=room2", error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->port, "rfc2217://10.0.0.5:4001");
  EXPECT_EQ(s->address, 3);
  EXPECT_EQ(s->name, "room2");
  s = ParseUnitOption("tcp://[fe80::1]:23?extra-wait=250:9", error);
  ASSERT_TRUE(s) << error;
  EXPECT_EQ(s->port, "tcp://[fe80::1]:23?extra-wait=250");
  EXPECT_EQ(s->address, 9);
  EXPECT_EQ(s->name, "kx4200_fe80__1_23_9");

  for (const char* bad : {"", "x", "3:256", "3@1234", "3=", ":4", "/dev/ttyS0:", "tcp://host", "tcp://host:23:256",
                          "rfc2217://host:23?extra-wait=x"})
    EXPECT_FALSE(ParseUnitOption(bad, error)) << bad;

  EXPECT_EQ(CheckUnits({{"1", 1, 9600, "a"}, {"1", 2, 9600, "b"}, {"2", 1, 19200, "c"}}), "");
  EXPECT_NE(CheckUnits({{"1", 1, 9600, "a"}, {"1", 2, 19200, "b"}}), "");  // one line, one rate
  EXPECT_NE(CheckUnits({{"1", 1, 9600, "a"}, {"1", 1, 9600, "b"}}), "");
  EXPECT_NE(CheckUnits({{"1", 1, 9600, "a"}, {"2", 1, 9600, "a"}}), "");
}

Reading Good(std::time_t t, int ms = 0) {
  Reading r;
  r.time = t;
  r.ms = ms;
  r.live.emplace();
  for (size_t i = 0; i < kLiveValueCount; ++i) r.live->shown[i] = 3.3 + static_cast<double>(i % 10) / 1000;
  return r;
}

TEST(MonitorTexts, DailyCsvKeepsTheLiveColumnsAndTheDaysRows) {
  QTemporaryDir dir;
  const std::time_t day1 = 1796621100;  // 2026-12-07 13:25 at UTC+8 (TZ is pinned)
  {
    DailyCsv csv(dir.path().toStdString(), "u1");
    ASSERT_TRUE(csv.Write(Good(day1, 250)));
    Reading failed;
    failed.time = day1 + 5;
    failed.error = "no answer";
    ASSERT_TRUE(csv.Write(failed));
  }
  {
    // A restarted run on the same day, then midnight.
    DailyCsv csv(dir.path().toStdString(), "u1");
    ASSERT_TRUE(csv.Write(Good(day1 + 10)));
    ASSERT_TRUE(csv.Write(Good(day1 + 11 * 3600)));
  }
  std::ifstream first(dir.filePath("u1-2026-12-07.csv").toStdString());
  std::vector<std::string> lines;
  for (std::string l; std::getline(first, l);) lines.push_back(l + "\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], kx::LiveCsvHeader());
  EXPECT_EQ(lines[1].substr(0, 24), "2026-12-07 13:25:00.250,");  // as acquire --csv
  EXPECT_EQ(lines[2], "2026-12-07 13:25:05.000" + std::string(47, ',') + ",0\n");
  EXPECT_EQ(lines[3].substr(0, 19), "2026-12-07 13:25:10");
  std::ifstream second(dir.filePath("u1-2026-12-08.csv").toStdString());
  std::string header, row;
  std::getline(second, header);
  std::getline(second, row);
  EXPECT_EQ(header + "\n", kx::LiveCsvHeader());
  EXPECT_EQ(row.substr(0, 19), "2026-12-08 00:25:00");
}

std::string Slurp(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A day file that is not ours is never replaced: a header written with CRLF is
// ours and is appended to (in its own line ends); anything else is left as it is
// and the day goes to the next free -N name. Links are followed.
TEST(MonitorTexts, DailyCsvAppendsToItsOwnFileAndLeavesOthersAlone) {
  const std::time_t t = 1796621100;
  std::string header = kx::LiveCsvHeader(), crlf = header;
  crlf.insert(crlf.size() - 1, "\r");
  const std::string row = "2026-12-07 13:00:00.000" + std::string(47, ',') + ",0\n";
  std::string crlfRow = row;
  crlfRow.insert(crlfRow.size() - 1, "\r");
  const std::string foreign = "date,value\r\n2026-12-07,1\r\n";
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // name, content ("->x": a link to x)
    std::string written;  // the file the new row goes to
    std::string endsWith;  // its line end
  };
  const std::vector<Case> cases{
      {"ours", {{"u1-2026-12-07.csv", header + row + row}}, "u1-2026-12-07.csv", "\n"},
      {"ours, CRLF", {{"u1-2026-12-07.csv", crlf + crlfRow + crlfRow}}, "u1-2026-12-07.csv", "\r\n"},
      {"foreign", {{"u1-2026-12-07.csv", foreign}}, "u1-2026-12-07-2.csv", "\n"},
      {"foreign, -2 ours", {{"u1-2026-12-07.csv", foreign}, {"u1-2026-12-07-2.csv", header + row}},
       "u1-2026-12-07-2.csv", "\n"},
      {"foreign twice", {{"u1-2026-12-07.csv", "x"}, {"u1-2026-12-07-2.csv", foreign}}, "u1-2026-12-07-3.csv", "\n"},
      {"link to ours", {{"kept.csv", header + row}, {"u1-2026-12-07.csv", "->kept.csv"}}, "kept.csv", "\n"},
      {"link to foreign", {{"other.csv", foreign}, {"u1-2026-12-07.csv", "->other.csv"}}, "u1-2026-12-07-2.csv", "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir dir;
    for (const auto& [name, content] : c.files) {
      const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
      if (content.rfind("->", 0) == 0)
        ASSERT_EQ(::symlink(content.substr(2).c_str(), path.c_str()), 0);
      else
        std::ofstream(path, std::ios::binary) << content;
    }
    DailyCsv csv(dir.path().toStdString(), "u1");
    ASSERT_TRUE(csv.Write(Good(t, 500)));
    // Every file given stays as it was, but for the one appended to.
    for (const auto& [name, content] : c.files) {
      const QString path = dir.filePath(QString::fromStdString(name));
      if (content.rfind("->", 0) == 0) {
        EXPECT_TRUE(QFileInfo(path).isSymLink()) << name;
      } else if (name != c.written) {
        EXPECT_EQ(Slurp(path), content) << name;
      } else {
        const std::string now = Slurp(path);
        ASSERT_EQ(now.substr(0, content.size()), content) << name;
        const std::string added = now.substr(content.size());
        EXPECT_EQ(added.substr(0, 24), "2026-12-07 13:25:00.500,");
        EXPECT_EQ(added.substr(added.size() - c.endsWith.size()), c.endsWith);
        EXPECT_EQ(std::count(added.begin(), added.end(), '\n'), 1);
      }
    }
    const std::string notice = csv.TakeNotice();
    const bool moved = c.written.find("-2026-12-07-") != std::string::npos;
    if (moved) {
      EXPECT_EQ(Slurp(dir.filePath(QString::fromStdString(c.written))).substr(0, header.size()), header);
      EXPECT_NE(notice.find(c.written), std::string::npos) << notice;
    } else {
      EXPECT_EQ(notice, "");
    }
  }
}

TEST(MonitorTexts, StateOfAFailedReadingAndAlarms) {
  Reading r;
  r.time = 1796621139;
  r.number = 4;
  r.error = "the unit's reply was cut short";
  const auto failed = QJsonDocument::fromJson(QByteArray::fromStdString(StateJson(r, {}, {}))).object();
  EXPECT_EQ(failed["time"].toString(), "2026-12-07T13:25:39+08:00");
  EXPECT_FALSE(failed["ok"].toBool());
  EXPECT_EQ(failed["error"].toString(), "the unit's reply was cut short");
  EXPECT_FALSE(failed.contains("cells_V"));

  Reading a = Good(r.time);
  a.alarms = DecodeAlarmWord(0x0003);
  const auto alarmed = QJsonDocument::fromJson(QByteArray::fromStdString(StateJson(a, 0x0180, {}))).object();
  EXPECT_EQ(alarmed["alarm_word"].toInt(), 3);
  EXPECT_EQ(alarmed["alarms"].toArray().size(), 2);
  // The active alarms: Chinese texts for people, stable keys for scripts, one order.
  EXPECT_EQ(alarmed["alarms_active"].toArray().first().toString(), QStringLiteral("总电压欠压报警"));
  EXPECT_EQ(alarmed["alarm_keys_active"].toArray(), (QJsonArray{"total_undervoltage", "total_overvoltage"}));
}

// The one writer in both styles: the monitor's numbers as shown, acquire --json's
// in their shortest form, never with an exponent.
TEST(MonitorTexts, ReadingJsonWritesShownOrShortestNumbers) {
  LiveReading r;
  r.shown[0] = 3.4;
  r.shown[1] = 3.281;
  r.shown[2] = 3.281;  // the lowest twice: the first is named
  r.shown[kLiveTotal] = 54.5;
  r.shown[kLiveCurrent] = -0.0;  // "-0.00" as shown
  r.shown[kLiveTemps] = -25;
  r.shown[kLiveTemps + 1] = 100;
  r.shown[kLiveTemps + 2] = 37.5;
  r.shown[kLiveAnalogs] = 0.312;
  r.shown[kLiveAnalogs + 1] = 1.25;
  const AlarmList alarms = DecodeAlarmWord(0x0041);
  auto json = [&](JsonNumbers n, JsonKeys k) { return JsonObject(LiveJsonMembers(&r, &alarms, n, k)); };
  std::string zeros;
  for (int i = 0; i < 37; ++i) zeros += ",0.000";
  EXPECT_EQ(json(JsonNumbers::Shown, JsonKeys::All),
            "{\"cells_V\":[3.400,3.281,3.281" + zeros +
                "],\"total_V\":54.50,\"current_A\":-0.00,\"temps_C\":[-25.0,100.0,37.5],\"analog_V\":[0.312,1.250],"
                "\"cell_max_V\":3.400,\"cell_max_index\":1,\"cell_min_V\":3.281,\"cell_min_index\":2,"
                "\"cell_spread_mV\":119,\"cell_mean_V\":3.321,\"alarm_word\":65,"
                "\"alarms\":[\"总电流过流报警\",\"温度1高温报警\"]}");
  zeros.clear();
  for (int i = 0; i < 37; ++i) zeros += ",0";
  EXPECT_EQ(json(JsonNumbers::Shortest, JsonKeys::Present),
            "{\"cells_V\":[3.4,3.281,3.281" + zeros +
                "],\"total_V\":54.5,\"current_A\":0,\"temps_C\":[-25,100,37.5],\"analog_V\":[0.312,1.25],"
                "\"cell_max_V\":3.4,\"cell_max_index\":1,\"cell_min_V\":3.281,\"cell_min_index\":2,"
                "\"cell_spread_mV\":119,\"alarm_word\":65,\"alarms\":[\"总电流过流报警\",\"温度1高温报警\"]}");
  // A failed reading: every key null, or none.
  const std::string failed = JsonObject(LiveJsonMembers(nullptr, nullptr, JsonNumbers::Shown, JsonKeys::All));
  EXPECT_EQ(failed.substr(0, 28), "{\"cells_V\":[null,null,null,n");
  EXPECT_NE(failed.find("\"total_V\":null,\"current_A\":null,\"temps_C\":[null,null,null],\"analog_V\":[null,null],"
                        "\"cell_max_V\":null,\"cell_max_index\":null,\"cell_min_V\":null,\"cell_min_index\":null,"
                        "\"cell_spread_mV\":null,\"cell_mean_V\":null}"),
            std::string::npos)
      << failed;
  EXPECT_EQ(JsonObject(LiveJsonMembers(nullptr, nullptr, JsonNumbers::Shown, JsonKeys::Present)), "{}");
}

// One alarm word after another: what rose and what fell, each its own event with
// the word read; bits past the nine alarms name nothing.
TEST(MonitorTexts, AlarmEventsAndTheirTexts) {
  const std::vector<Event> events = AlarmEvents(0x001 | 0x100, 0x080 | 0x100 | 0x8000);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].name, "alarm_raised");
  EXPECT_EQ(events[0].alarms, std::vector<std::string>{"总电压过压报警"});
  EXPECT_EQ(events[1].name, "alarm_cleared");
  EXPECT_EQ(events[1].alarms, std::vector<std::string>{"温度1高温报警"});
  EXPECT_TRUE(AlarmEvents(0x100, 0x100 | 0x200).empty());
  Event e = events[0];
  e.time = 1796688000;
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(EventJson(e, "east"))).object();
  EXPECT_EQ(o["unit"].toString(), "east");
  EXPECT_EQ(o["event"].toString(), "alarm_raised");
  EXPECT_EQ(o["alarm_word"].toInt(), 0x8180);
  EXPECT_EQ(o["alarm_keys"].toArray(), QJsonArray{"total_overvoltage"});
  EXPECT_FALSE(o.contains("kind"));
  Event fault = FaultEvent({FaultKind::CellLost, 17, true, "Cell 17 reads 0.000 V."});
  EXPECT_EQ(EventJson(fault).substr(EventJson(fault).find("\"event\"")),
            "\"event\":\"measurement_fault\",\"kind\":\"cell_lost\",\"cell\":17,\"detail\":\"Cell 17 reads 0.000 V.\"}");
}

// Cells never connected and the values of a failed reading are left out; the
// alarm and fault gauges say 0 or 1 for each key; label values escaped.
TEST(MonitorTexts, MetricsTextLeavesOutWhatIsNotThere) {
  LiveReading r;
  r.shown.fill(3.25);
  r.shown[kLiveCurrent] = -12.5;
  std::vector<UnitMetrics> units(2);
  units[0].name = "a\"b";
  units[0].read = units[0].up = true;
  units[0].ok = 7;
  units[0].live = r;
  units[0].connected[0] = units[0].connected[16] = true;
  units[0].alarmWord = 0x80;
  units[0].faults = {"stuck_cell"};
  units[1].name = "down";
  units[1].read = true;
  units[1].failed = 3;
  units[1].connected.fill(true);  // the last reading failed: no values at all
  const std::string text = MetricsText(units);
  EXPECT_NE(text.find("kx4200_cell_voltage_volts{unit=\"a\\\"b\",cell=\"17\"} 3.25\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("cell=\"2\""), std::string::npos);
  EXPECT_EQ(text.find("kx4200_current_amperes{unit=\"down\"}"), std::string::npos);
  EXPECT_NE(text.find("kx4200_current_amperes{unit=\"a\\\"b\"} -12.5\n"), std::string::npos);
  EXPECT_NE(text.find("kx4200_up{unit=\"down\"} 0\n"), std::string::npos);
  EXPECT_NE(text.find("kx4200_readings_total{unit=\"down\",result=\"failed\"} 3\n"), std::string::npos);
  EXPECT_NE(text.find("alarm=\"total_overvoltage\"} 1\n"), std::string::npos);
  EXPECT_NE(text.find("alarm=\"total_undervoltage\"} 0\n"), std::string::npos);
  EXPECT_NE(text.find("kind=\"stuck_cell\"} 1\n"), std::string::npos);
  EXPECT_NE(text.find("kx4200_measurement_fault{unit=\"down\",kind=\"cell_lost\"} 0\n"), std::string::npos);
  EXPECT_NE(text.find("# TYPE kx4200_readings_total counter\n"), std::string::npos);
  EXPECT_EQ(AlarmKey(7), std::string("total_overvoltage"));
}

}  // namespace
}  // namespace kx::monitor
