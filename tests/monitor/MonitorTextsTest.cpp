// What the monitor writes: unit units, the CSV (the live log's columns, a file a
// day, a restarted run keeping the day's rows), the state of a failed reading.

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

  for (const char* bad : {"", "x", "3:256", "3@1234", "3=", ":4", "/dev/ttyS0:"})
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
  r.ok = true;
  for (int i = 0; i < 47; ++i) r.texts.push_back("3.30" + std::to_string(i % 10));
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
  const auto failed = QJsonDocument::fromJson(QByteArray::fromStdString(StateJson(r))).object();
  EXPECT_EQ(failed["time"].toString(), "2026-12-07T13:25:39+08:00");
  EXPECT_FALSE(failed["ok"].toBool());
  EXPECT_EQ(failed["error"].toString(), "the unit's reply was cut short");
  EXPECT_FALSE(failed.contains("cells_V"));

  Reading a = Good(r.time);
  a.alarmWord = 0x0003;
  const auto alarmed = QJsonDocument::fromJson(QByteArray::fromStdString(StateJson(a))).object();
  EXPECT_EQ(alarmed["alarm_word"].toInt(), 3);
  EXPECT_EQ(alarmed["alarms"].toArray().size(), 2);
}

}  // namespace
}  // namespace kx::monitor
