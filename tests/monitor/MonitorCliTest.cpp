// The monitor as the command line runs it, in-process: what it refuses before it
// starts, and what it prints with --json.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "MqttBroker.h"
#include "cli/Cli.h"

namespace kx::cli {
namespace {

int Cli(const QStringList& args, CaptureOutput& out) { return RunCli(QStringList{"kx4200-cli"} + args, out); }

std::vector<QJsonObject> JsonLines(const std::string& text) {
  std::vector<QJsonObject> objects;
  for (const QString& line : QString::fromStdString(text).split('\n', Qt::SkipEmptyParts)) {
    QJsonParseError error;
    const QJsonDocument d = QJsonDocument::fromJson(line.toUtf8(), &error);
    EXPECT_TRUE(d.isObject()) << line.toStdString();
    objects.push_back(d.object());
  }
  return objects;
}

std::set<QString> Keys(const QJsonObject& o) {
  const QStringList keys = o.keys();
  return {keys.begin(), keys.end()};
}

TEST(MonitorCli, RefusesBadUnitsNamesAndMqttOptionsBeforeStarting) {
  QTemporaryDir dir;
  // A check that failed would meet no broker there.
  const kx::testing::ClosedPort closed;
  const QString where = QString("127.0.0.1:%1").arg(closed.Port());
  const QStringList unit{"--unit", "/dev/ttyUSB0:1"};
  const QStringList mqtt = unit + QStringList{"--mqtt", where};
  struct Case {
    QStringList args;
    std::string named;  // in the message
  };
  const std::vector<Case> cases{
      {{"--unit", "/dev/ttyUSB0:256"}, "0..255"},
      {{"--unit", "/dev/ttyUSB0:-1"}, "0..255"},
      {{"--unit", "/dev/ttyUSB0:0x1"}, "0..255"},
      {{"--unit", "/dev/ttyUSB0:1@9600@9600"}, "twice"},
      {{"--unit", "/dev/ttyUSB0:1:2"}, "address"},
      {{"--unit", "/dev/ttyUSB0:1=" + QString(70000, 'a'), "--mqtt", where}, "65,535"},
      {mqtt + QStringList{"--mqtt-prefix", QString(65600, 'p')}, "65,535"},
      {mqtt + QStringList{"--mqtt-prefix", QStringLiteral("kx\x01")}, "control character"},
      {mqtt + QStringList{"--mqtt-discovery-prefix", QStringLiteral("ha\x7f")}, "control character"},
      {mqtt + QStringList{"--instance", QStringLiteral("a\tb")}, "control character"},
      {mqtt + QStringList{"--instance", "a/b"}, "--instance"},
      {mqtt + QStringList{"--mqtt-tls", "--mqtt-cafile", dir.filePath("missing.pem")}, "missing.pem"},
      {mqtt + QStringList{"--mqtt-user", "u", "--mqtt-password-file", dir.path()}, "is a folder"},
      {unit + QStringList{"--mqtt", where + ":1"}, (where + ":1").toStdString()},
      {unit + QStringList{"--mqtt", "[::1"}, "[::1"},
  };
  for (const Case& c : cases) {
    CaptureOutput out;
    const std::string args = c.args.join(' ').left(80).toStdString();
    EXPECT_EQ(Cli(QStringList{"monitor", "--count", "1"} + c.args, out), 2) << args << "\n" << out.err;
    EXPECT_NE(out.err.find(c.named), std::string::npos) << args << "\n" << out.err;
  }
}

// One object per reading with acquire --json's keys (failed: the same keys, null),
// times to the millisecond, and the summary as one object.
// Two units on one line and one on another: each traced frame is led by the unit
// it was for, replies included (their address byte tells).
TEST(MonitorCli, TraceLinesNameTheirUnit) {
  CaptureOutput out;
  ASSERT_EQ(Cli({"--simulate", "--trace", "monitor", "--unit", "1:1=alpha", "--unit", "1:2=beta", "--unit",
                 "2:7=gamma", "--count", "2", "--period", "0", "--alarms-every", "0"},
                out),
            0)
      << out.err;
  const std::map<QString, QString> address{{"alpha", "01"}, {"beta", "02"}, {"gamma", "07"}};
  const QRegularExpression frame(R"(^(\S+) \d\d:\d\d:\d\d\.\d{3} (TX|RX) 14 2E 00 ([0-9A-F]{2}) )");
  std::map<QString, int> seen;
  for (const QString& line : QString::fromStdString(out.err).split('\n', Qt::SkipEmptyParts)) {
    const auto m = frame.match(line);
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    ASSERT_TRUE(address.count(m.captured(1))) << line.toStdString();
    EXPECT_EQ(m.captured(3), address.at(m.captured(1))) << line.toStdString();
    ++seen[m.captured(1) + m.captured(2)];
  }
  for (const char* unit : {"alpha", "beta", "gamma"}) {
    EXPECT_EQ(seen[QString(unit) + "TX"], 2) << unit;  // a reading a cycle, the version only with discovery
    EXPECT_EQ(seen[QString(unit) + "RX"], 2) << unit;
  }
}

TEST(MonitorCli, JsonGivesOneObjectPerReadingAndASummary) {
  CaptureOutput acquire;
  ASSERT_EQ(Cli({"--json", "--simulate", "acquire"}, acquire), 0) << acquire.err;
  std::set<QString> readingKeys = Keys(JsonLines(acquire.out).at(0));
  readingKeys.insert("unit");
  // The same writer, in each output's own form: acquire's keys sorted and numbers
  // in their shortest form, the monitor's in order and as shown.
  EXPECT_EQ(acquire.out.rfind("{\"analog_V\":[", 0), 0u) << acquire.out;
  const QRegularExpression threeDecimals(R"("cells_V":\[(\d+\.\d{3},){39}\d+\.\d{3}\])");
  EXPECT_FALSE(threeDecimals.match(QString::fromStdString(acquire.out)).hasMatch()) << acquire.out;

  CaptureOutput good;
  ASSERT_EQ(Cli({"--json", "--simulate", "monitor", "--unit", "1:1", "--count", "2", "--period", "0",
                 "--alarms-every", "0"},
                good),
            0)
      << good.err;
  const auto lines = JsonLines(good.out);
  ASSERT_EQ(lines.size(), 3u) << good.out;
  const QRegularExpression ms(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}$)");
  EXPECT_EQ(good.out.rfind("{\"unit\":\"kx4200_1_1\",\"ok\":true,\"reading\":1,\"time\":", 0), 0u) << good.out;
  EXPECT_TRUE(threeDecimals.match(QString::fromStdString(good.out)).hasMatch()) << good.out;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Keys(lines[i]), readingKeys);
    EXPECT_TRUE(lines[i]["ok"].toBool());
    EXPECT_EQ(lines[i]["reading"].toInt(), i + 1);
    EXPECT_EQ(lines[i]["unit"].toString(), "kx4200_1_1");
    EXPECT_TRUE(ms.match(lines[i]["time"].toString()).hasMatch()) << lines[i]["time"].toString().toStdString();
  }
  const QJsonObject summary = lines[2];
  EXPECT_FALSE(summary["stopped"].toBool());
  EXPECT_EQ(summary["units"].toArray().at(0).toObject()["good"].toInt(), 2);

  QTemporaryDir dir;
  CaptureOutput failed;
  EXPECT_EQ(Cli({"--json", "monitor", "--unit", dir.filePath("gone") + ":1", "--count", "1"}, failed), 1);
  const auto failedLines = JsonLines(failed.out);
  ASSERT_EQ(failedLines.size(), 2u) << failed.out;
  std::set<QString> failedKeys = readingKeys;
  failedKeys.insert({"cause", "error"});
  EXPECT_EQ(Keys(failedLines[0]), failedKeys);
  EXPECT_FALSE(failedLines[0]["ok"].toBool());
  EXPECT_TRUE(failedLines[0]["total_V"].isNull());
  EXPECT_NE(failedLines[0]["cause"].toString().indexOf("gone"), -1);
  EXPECT_EQ(failedLines[1]["units"].toArray().at(0).toObject()["failed"].toInt(), 1);
}

}  // namespace
}  // namespace kx::cli
