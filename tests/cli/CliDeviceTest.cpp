// Each device command against the simulated unit: the bytes it received, what the
// tool printed and the exit status.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "CliFixture.h"
#include "SerialServer.h"
#include "curves/CurveGroup.h"
#include "link/SerialPort.h"

namespace kxtest {
namespace {

using kx::Fault;

class CliDeviceTest : public CliFixture {};

TEST_F(CliDeviceTest, IdentityAndLinkSettingsSendThePanelsFrames) {
  device.SetAddress(1);
  EXPECT_EQ(Run({"--address", "1", "version"}), 0);
  EXPECT_EQ(out.out, "Ver1.30\n");
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x01, 0x03, 0x00, 0x00, 0xFF, 0xCD}));

  EXPECT_EQ(Run({"--address", "1", "set-baud", "38400"}), 0);
  EXPECT_EQ(out.out, "波特率设置成功!!!\n");
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x01, 0x11, 0x00, 0x02, 0x96, 0x00, 0xFF, 0x27}));
  EXPECT_EQ(device.Baud(), 38400);

  // The unit now listens at 38400; the address change goes out at that rate.
  EXPECT_EQ(Run({"--address", "1", "--baud", "38400", "set-address", "255"}), 0);
  EXPECT_EQ(out.out, "地址设置成功!!!\n");
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x01, 0x10, 0x00, 0x01, 0xFF, 0xFE, 0xC0}));
  EXPECT_EQ(device.Address(), 255);

  // At the old rate the unit no longer answers: exit 1 with the panel's text.
  EXPECT_EQ(Run({"--address", "255", "version"}), 1);
  EXPECT_NE(out.err.find("读数据失败！"), std::string::npos) << out.err;
}

TEST_F(CliDeviceTest, GearAndCalibration) {
  EXPECT_EQ(Run({"gear", "set", "12V"}), 0);
  EXPECT_EQ(out.out, "设置成功!\n");
  EXPECT_EQ(device.Requests().back()[7], 12);
  EXPECT_EQ(Run({"gear", "get"}), 0);
  EXPECT_EQ(out.out, "12V\n");

  EXPECT_EQ(Run({"calibrate", "total-6v", "2"}), 0);
  EXPECT_EQ(out.out, "校准成功!\n");
  ASSERT_FALSE(device.Calibrations().empty());
  EXPECT_EQ(device.Calibrations().back().channel, 0x22);
  EXPECT_EQ(device.Calibrations().back().point, 2);
}

TEST_F(CliDeviceTest, AlarmSettingsCarryNegativeValuesAndSwitches) {
  device.SetAddress(1);
  EXPECT_EQ(Run({"--address", "1", "alarms", "set", "volt", "on", "60", "40"}), 0);
  EXPECT_EQ(out.out, "设置成功!\n");
  EXPECT_EQ(device.Requests().back(),
            Bytes({0x14, 0x2E, 0x00, 0x01, 0x12, 0x00, 0x05, 0x01, 0x00, 0x3C, 0x00, 0x28, 0xFF, 0x54}));

  EXPECT_EQ(Run({"--address", "1", "alarms", "set", "current", "on", "-20"}), 0);
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x01, 0x13, 0x00, 0x03, 0x01, 0x80, 0x14, 0xFF, 0x25}));

  EXPECT_EQ(Run({"--address", "1", "alarms", "set", "temp1", "on", "55", "-10"}), 0);
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x01, 0x14, 0x00, 0x03, 0x01, 0x37, 0x8A, 0xFE, 0xF7}));

  // Switched off, the values are not needed and zeros go out.
  EXPECT_EQ(Run({"--address", "1", "alarms", "set", "volt", "off"}), 0);
  EXPECT_EQ(device.Requests().back(),
            Bytes({0x14, 0x2E, 0x00, 0x01, 0x12, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xB9}));

  // A threshold the one-byte field cannot hold is refused before anything is sent.
  const size_t before = device.RequestCount();
  EXPECT_EQ(Run({"--address", "1", "alarms", "set", "temp2", "on", "200", "0"}), 2);
  EXPECT_EQ(Run({"--address", "1", "alarms", "set", "current", "on"}), 2);
  EXPECT_EQ(device.RequestCount(), before);
}

TEST_F(CliDeviceTest, AlarmWordIsListedInTheReadOutsOrder) {
  device.SetAlarmWordOverride(0x0181);
  EXPECT_EQ(Run({"alarms", "get"}), 0);
  EXPECT_EQ(out.out, "总电压欠压报警\n总电压过压报警\n温度1高温报警\n");

  EXPECT_EQ(Run({"--json", "alarms", "get"}), 0);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  EXPECT_EQ(o["word"].toInt(), 0x0181);
  EXPECT_EQ(o["alarms"].toArray().size(), 3);

  // The no-alarm text has no line feed of its own; the tool ends the line.
  device.SetAlarmWordOverride(0x0000);
  EXPECT_EQ(Run({"alarms", "get"}), 0);
  EXPECT_EQ(out.out, "报警正常!\n");
}

TEST_F(CliDeviceTest, ClockSetSendsTheGivenTimeAndGetShowsTheUnitsClock) {
  EXPECT_EQ(Run({"clock", "set", "--time", "2014-12-31 23:59:59"}), 0);
  EXPECT_EQ(out.out, "设置系统时间成功:2014-12-31 23:59:59\n");
  const std::vector<uint8_t> sent = device.Requests().back();
  ASSERT_EQ(sent.size(), 16u);
  EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 4, sent.begin() + 14),
            Bytes({0x04, 0x00, 0x07, 0x20, 0x14, 0x12, 0x31, 0x23, 0x59, 0x59}));

  // Without --time: the PC's clock, taken once.
  std::tm fixed{};
  fixed.tm_year = 114, fixed.tm_mon = 4, fixed.tm_mday = 6, fixed.tm_hour = 9, fixed.tm_min = 3, fixed.tm_sec = 7;
  hooks.now = [fixed] { return fixed; };
  EXPECT_EQ(Run({"clock", "set"}), 0);
  EXPECT_EQ(out.out, "设置系统时间成功:2014-05-06 09:03:07\n");

  device.SetClock(kx::MakeLocalTime(2014, 5, 6, 9, 3, 7));
  EXPECT_EQ(Run({"--json", "clock", "get"}), 0);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  EXPECT_TRUE(o["ok"].toBool());
  // The unit's clock runs on; only the date and the hour are certain.
  EXPECT_TRUE(o["time"].toString().startsWith("2014-05-06T09:0")) << out.out;
  EXPECT_TRUE(o["text"].toString().startsWith(QString::fromUtf8("2014年-5月-6日-9时-"))) << out.out;

  // Not a date: refused before the port is touched.
  const size_t before = device.RequestCount();
  EXPECT_EQ(Run({"clock", "set", "--time", "2014-02-30 10:00:00"}), 2);
  EXPECT_EQ(device.RequestCount(), before);

  device.SetFault(Fault::Checksum, 1);
  EXPECT_EQ(Run({"clock", "get"}), 1);
  EXPECT_NE(out.err.find("校验错!"), std::string::npos) << out.err;
}

TEST_F(CliDeviceTest, AcquirePrintsEveryQuantityWithThePanelsLabelsAndFormats) {
  // The scaling itself is the link's; here: one line per value, and the range reaches it.
  device.SetCellVoltage(0, 8.5);  // raw 0x4000
  device.SetCurrent(250.0);       // raw 0x6000
  EXPECT_EQ(Run({"acquire", "--current-range", "500"}), 0);
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 48u) << out.out;  // the values, then the extremes line
  EXPECT_EQ(lines[0], "电池1 8.500");
  EXPECT_EQ(lines[41], "电流 125.00");  // 0x6000 of a 500 A span, less half of it
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xD1}));

  EXPECT_EQ(Run({"--json", "acquire"}), 0);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  ASSERT_EQ(o["cells_V"].toArray().size(), 40);
  EXPECT_DOUBLE_EQ(o["cells_V"].toArray()[0].toDouble(), 8.5);
  EXPECT_DOUBLE_EQ(o["current_A"].toDouble(), 250.0);

  device.SetFault(Fault::Short, 1);
  EXPECT_EQ(Run({"acquire"}), 1);
  EXPECT_TRUE(out.out.empty());
  EXPECT_NE(out.err.find("通讯失败"), std::string::npos) << out.err;
}

TEST_F(CliDeviceTest, AcquireTellsTheCellExtremesInTextAndJson) {
  device.SetAllCells(3.350);
  device.SetCellVoltage(16, 3.412);
  device.SetCellVoltage(4, 3.281);
  for (int c = 32; c < 40; ++c) device.SetCellVoltage(c, 0.0);
  EXPECT_EQ(Run({"acquire"}), 0);
  const auto lines = OutLines();
  ASSERT_EQ(lines.size(), 48u) << out.out;
  EXPECT_EQ(lines[47], "最高 电池17 3.412V  最低 电池5 3.281V  压差 131mV  平均 3.350V");

  EXPECT_EQ(Run({"--json", "acquire"}), 0);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  EXPECT_DOUBLE_EQ(o["cell_max_V"].toDouble(), 3.412);
  EXPECT_EQ(o["cell_max_index"].toInt(), 17);
  EXPECT_DOUBLE_EQ(o["cell_min_V"].toDouble(), 3.281);
  EXPECT_EQ(o["cell_min_index"].toInt(), 5);
  EXPECT_DOUBLE_EQ(o["cell_spread_mV"].toDouble(), 131.0);
  EXPECT_DOUBLE_EQ(o["cell_mean_V"].toDouble(), 3.350);

  device.SetAllCells(0.0);
  EXPECT_EQ(Run({"--json", "acquire"}), 0);
  const QJsonObject empty = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  EXPECT_TRUE(empty["cell_max_V"].isNull());
  EXPECT_TRUE(empty["cell_mean_V"].isNull());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(CliDeviceTest, LiveCsvKeepsAFailedReadingAsARowAndCountsIt) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string csv = dir.filePath("live.csv").toStdString();
  device.SetFault(Fault::Checksum, 1);  // the first reading only
  EXPECT_EQ(Run({"acquire", "--count", "3", "--period", "0", "--csv", QString::fromStdString(csv)}), 1);
  EXPECT_NE(out.out.find("成功 2 次, 失败 1 次"), std::string::npos) << out.out;

  std::istringstream rows(ReadFile(csv));
  std::vector<std::string> lines;
  for (std::string line; std::getline(rows, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind("time,cell1_V,cell2_V,", 0), 0u);
  EXPECT_NE(lines[0].find(",cell40_V,total_V,current_A,temp1_C,temp2_C,temp3_C,analog1_V,analog2_V,ok"),
            std::string::npos);
  // Time, 47 empty values, ok = 0.
  EXPECT_EQ(lines[1].substr(23), std::string(47, ',') + ",0");
  for (int i = 2; i <= 3; ++i) {
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 48) << lines[i];
    EXPECT_EQ(lines[i].substr(lines[i].size() - 2), ",1");
  }
}

TEST_F(CliDeviceTest, AStopEndsAnEndlessRunCleanlyWithItsSummary) {
  int checks = 0;
  hooks.stopRequested = [&checks] { return ++checks > 4; };
  EXPECT_EQ(Run({"acquire", "--count", "0", "--period", "0"}), 0);
  EXPECT_GT(device.RequestCount(), 0u);
  EXPECT_NE(out.out.find("成功 " + std::to_string(device.RequestCount()) + " 次, 失败 0 次"), std::string::npos)
      << out.out;
}

TEST_F(CliDeviceTest, ClearNeedsConfirmationAndReportsTheUnitsAnswer) {
  EXPECT_EQ(Run({"clear"}), 2);
  EXPECT_EQ(device.RequestCount(), 0u);
  EXPECT_FALSE(device.Groups().empty());

  EXPECT_EQ(Run({"clear", "--yes"}), 0);
  EXPECT_EQ(out.out, "清除成功!\n");
  EXPECT_TRUE(device.Groups().empty());
  EXPECT_EQ(device.Requests().back(), Bytes({0x14, 0x2E, 0x00, 0x00, 0x0B, 0x00, 0x00, 0xFF, 0xC6}));

  device.SetFault(Fault::Short, 1);
  EXPECT_EQ(Run({"clear", "--yes"}), 1);
  EXPECT_NE(out.err.find("清除失败!"), std::string::npos) << out.err;
}

TEST_F(CliDeviceTest, TraceShowsEveryFrameWithTimeDirectionCommandAndVerdict) {
  EXPECT_EQ(Run({"--trace", "version"}), 0);
  EXPECT_EQ(out.out, "Ver1.30\n");
  std::istringstream err(out.err);
  std::vector<std::string> lines;
  for (std::string line; std::getline(err, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 2u) << out.err;
  // "hh:mm:ss.mmm TX 14 2E ... | read-version | sent"
  EXPECT_EQ(lines[0].substr(12), " TX 14 2E 00 00 03 00 00 FF CE | read-version | sent");
  EXPECT_EQ(lines[0][8], '.');
  EXPECT_EQ(lines[1].substr(12, 4), " RX ");
  // The whole 11-byte reply, then what became of it.
  EXPECT_EQ(lines[1].substr(12 + 3 + 11 * 3), " | read-version | reply accepted");

  // A unit that does not answer: a line without bytes says so.
  device.SetFault(Fault::Silence, 1);
  EXPECT_EQ(Run({"--trace", "version"}), 1);
  EXPECT_NE(out.err.find(" RX | read-version | no reply\n"), std::string::npos) << out.err;
  // The tracer ends with the run.
  EXPECT_EQ(Run({"version"}), 0);
  EXPECT_TRUE(out.err.empty());
}

TEST_F(CliDeviceTest, ExitStatusesFollowTheirCauses) {
  // 1: no answer, a wrong checksum, a hang-up in the middle of a reply.
  device.SetFault(Fault::Silence, 1);
  EXPECT_EQ(Run({"version"}), 1);
  device.SetFault(Fault::Checksum, 1);
  EXPECT_EQ(Run({"version"}), 1);
  EXPECT_NE(out.err.find("校验错!"), std::string::npos);
  device.SetFault(Fault::HangUp, 1);
  EXPECT_EQ(Run({"gear", "get"}), 1);
  EXPECT_NE(out.err.find("hung up"), std::string::npos) << out.err;
  host.Replug();

  // 2: bad arguments, having sent nothing.
  device.ClearRequests();
  EXPECT_EQ(Run({"frobnicate"}), 2);
  EXPECT_EQ(Run({"--address", "300", "version"}), 2);
  EXPECT_EQ(Run({"--baud", "1234", "version"}), 2);
  EXPECT_EQ(Run({"set-address", "300"}), 2);
  EXPECT_EQ(Run({"set-address", "12abc"}), 2);
  EXPECT_EQ(Run({"download", "0"}), 2);
  EXPECT_EQ(Run({"gear", "set", "5V"}), 2);
  EXPECT_EQ(Run({"acquire", "--count", "-1"}), 2);
  EXPECT_EQ(device.RequestCount(), 0u);
  EXPECT_EQ(std::count(out.err.begin(), out.err.end(), '\n'), 1) << out.err;

  // 3: the port is held by another program, or is not there.
  {
    kx::SerialPort other;
    ASSERT_EQ(other.Open(host.Path(), 9600), kx::LinkError::None);
    EXPECT_EQ(Run({"version"}), 3);
    EXPECT_NE(out.err.find("in use by another program"), std::string::npos) << out.err;
    EXPECT_NE(out.err.find("没有发现此串口或此串口被占用"), std::string::npos) << out.err;
  }
  host.HangUp();
  EXPECT_EQ(Run({"acquire"}), 3);
  EXPECT_NE(out.err.find("no such serial device"), std::string::npos) << out.err;
  EXPECT_NE(out.err.find("打开串口失败!"), std::string::npos) << out.err;
}

TEST_F(CliDeviceTest, ScanFindsAUnitOfUnknownAddressAndRate) {
  hooks.waitScale = 1.0;  // probes must wait for real replies
  device.SetAddress(6);
  device.SetBaud(19200);
  EXPECT_EQ(Run({"scan", "--addresses", "5-7", "--bauds", "9600,19200", "--wait", "200"}), 0);
  EXPECT_EQ(out.out, "address 6  baud 19200  Ver1.30\n");
  EXPECT_NE(out.err.find("scanning 9600 baud"), std::string::npos);
  EXPECT_NE(out.err.find("1 unit found"), std::string::npos);

  device.SetAddress(200);
  EXPECT_EQ(Run({"scan", "--addresses", "5-6", "--bauds", "19200", "--wait", "100"}), 1);
  EXPECT_TRUE(out.out.empty());
}

}  // namespace
}  // namespace kxtest

namespace kxtest {
namespace {

// A unit behind ser2net: the baud rate changed over the network is the one the
// next command talks at; a server that is not there is a port failure naming it.
TEST_F(CliDeviceTest, UnitsBehindASerialServerWorkAsOnAPort) {
  kx::testing::SerialServer server(host.Path());
  ASSERT_TRUE(server.Running());
  EXPECT_EQ(RunBare({"--trace", "--port", QString::fromStdString(server.Raw()), "version"}), 0) << out.err;
  EXPECT_NE(out.err.find(" OPEN " + server.Raw() + " | open | connected, every reply wait 100 ms longer\n"),
            std::string::npos)
      << out.err;
  EXPECT_EQ(RunBare({"--port", QString::fromStdString(server.Telnet()), "set-baud", "19200"}), 0) << out.err;
  EXPECT_EQ(RunBare({"--com", "2=" + QString::fromStdString(server.Telnet()), "--baud", "19200", "version"}), 0)
      << out.err;
  EXPECT_EQ(out.out, "Ver1.30\n");

  const std::string gone = "tcp://127.0.0.1:" + std::to_string(kx::testing::FreePort());
  EXPECT_EQ(RunBare({"--port", QString::fromStdString(gone), "version"}), 3);
  EXPECT_NE(out.err.find("cannot open " + gone + ": connection refused"), std::string::npos) << out.err;
  EXPECT_EQ(RunBare({"--port", "rfc2217://10.0.0.5", "version"}), 2);
  EXPECT_NE(out.err.find("rfc2217://HOST:PORT"), std::string::npos) << out.err;
}

}  // namespace
}  // namespace kxtest
