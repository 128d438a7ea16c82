// The command line tells what happened: corrupt replies are refused, late
// replies are credited to the address they name, failures give their byte
// counts, and argument errors say the range and reach JSON readers too.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "CliFixture.h"
#include "cli/Commands.h"
#include "link/MemoryPort.h"

namespace kxtest {
namespace {

using kx::Fault;

class CliRepliesAndErrorsTest : public CliFixture {
 protected:
  // A file in the test's own temporary folder.
  std::filesystem::path Temp(const char* name) { return std::filesystem::path(dir_.path().toStdString()) / name; }

 private:
  QTemporaryDir dir_;
};

TEST_F(CliRepliesAndErrorsTest, EveryReplyTheCommandLineTakesHasItsChecksumVerified) {
  const auto bin = Temp("g.bin");
  const auto csv = Temp("g.csv");
  struct Case {
    QStringList args;
    const char* panelText;
  };
  const Case cases[] = {
      {{"groups"}, "通讯失败!"},
      {{"clock", "set", "--time", "2014-05-06 09:03:07"}, "设置系统时间失败"},
      {{"clear", "--yes"}, "清除失败!"},
  };
  // Only the packets are corrupt: nothing of the group is written.
  device.SetFault(Fault::Checksum, kx::VirtualDevice::kAlways, 0, -1, static_cast<uint8_t>(kx::Command::ReadGroup));
  EXPECT_EQ(Run({"download", "1", "-o", QString::fromStdString(bin), "--csv", QString::fromStdString(csv)}), 1);
  EXPECT_NE(out.err.find("25 packets have a wrong checksum; nothing was written: 校验错!; 读曲线数据错误"),
            std::string::npos)
      << out.err;
  EXPECT_FALSE(std::filesystem::exists(bin));
  EXPECT_FALSE(std::filesystem::exists(csv));
  // The group date alone corrupt fails the download as well.
  device.ClearFaults();
  device.SetFault(Fault::Checksum, kx::VirtualDevice::kAlways, 0, -1, static_cast<uint8_t>(kx::Command::ReadGroupDate));
  EXPECT_EQ(Run({"download", "3", "-o", QString::fromStdString(bin)}), 1);
  EXPECT_FALSE(std::filesystem::exists(bin));
  device.ClearFaults();
  for (const Case& c : cases) {
    device.SetFault(Fault::Checksum);
    EXPECT_EQ(Run(c.args), 1) << c.args.join(' ').toStdString();
    EXPECT_NE(out.err.find("wrong checksum"), std::string::npos) << out.err;
    EXPECT_NE(out.err.find(c.panelText), std::string::npos) << out.err;
    device.ClearFaults();
  }
}

TEST_F(CliRepliesAndErrorsTest, CountsThatLeaveNoGroupGiveThePanelsTexts) {
  struct Case {
    int recorded, recording;
    const char* text;
  };
  for (const Case& c : {Case{0, 0, "无曲线数据"}, Case{0, 1, "读数据错误"}, Case{0, 2, "无该条曲线数据"},
                        Case{2, 2, "无曲线数据"}}) {
    device.SetCurveCounts(c.recorded, c.recording);
    EXPECT_EQ(Run({"download", "1"}), 1) << c.recorded << "/" << c.recording;
    EXPECT_NE(out.err.find(std::string(": ") + c.text + "\n"), std::string::npos) << out.err;
  }
  device.SetCurveCounts(std::nullopt, std::nullopt);
  EXPECT_EQ(Run({"download", "9"}), 1);  // a group the unit lacks: it answered, so not a usage error
  EXPECT_NE(out.err.find("无该条曲线数据"), std::string::npos) << out.err;
}

TEST_F(CliRepliesAndErrorsTest, FailuresSayWhatCameBack) {
  device.SetFault(Fault::Silence, 1);
  EXPECT_EQ(Run({"version"}), 1);
  EXPECT_NE(out.err.find("the unit did not reply"), std::string::npos) << out.err;

  device.SetFault(Fault::Long, 1, 300);
  EXPECT_EQ(Run({"--trace", "version"}), 1);
  EXPECT_NE(out.err.find("11 bytes expected, 311 received"), std::string::npos) << out.err;
  // The reply that was not taken is still traced.
  EXPECT_NE(out.err.find(" RX 14 2E 00 00 03 00 02"), std::string::npos) << out.err;

  device.SetFault(Fault::Short, 1, 4);
  EXPECT_EQ(Run({"clock", "set", "--time", "2014-05-06 09:03:07"}), 1);
  EXPECT_NE(out.err.find("cut short: 6 of 10 bytes"), std::string::npos) << out.err;
}

TEST_F(CliRepliesAndErrorsTest, ScanCreditsALateReplyToTheAddressItNames) {
  hooks.waitScale = 1.0;  // the probe wait at 9600 baud is what makes a reply late
  device.SetAddress(2);
  for (int lateMs : {60, 100}) {
    device.SetFault(Fault::Delay, kx::VirtualDevice::kAlways, lateMs);
    EXPECT_EQ(Run({"scan", "--addresses", "0-5", "--bauds", "9600"}), 0) << lateMs;
    EXPECT_EQ(out.out, "address 2  baud 9600  Ver1.30\n") << lateMs << " ms late\n" << out.err;
    device.ClearFaults();
  }
}

TEST_F(CliRepliesAndErrorsTest, ArgumentErrorsStateTheRuleAndReachJsonReaders) {
  device.ClearRequests();
  EXPECT_EQ(Run({"acquire", "--period", "86400001"}), 2);
  EXPECT_NE(out.err.find("from 0 to 86400000"), std::string::npos) << out.err;
  EXPECT_EQ(RunBare({"--port", "", "version"}), 2);
  EXPECT_NE(out.err.find("--port needs a device path"), std::string::npos) << out.err;
  EXPECT_EQ(device.RequestCount(), 0u);

  EXPECT_EQ(Run({"--json", "download", "0"}), 2);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  EXPECT_EQ(o.value("ok"), QJsonValue(false));
  EXPECT_EQ(o.value("error"), QJsonValue("usage"));
  EXPECT_TRUE(o.value("cause").toString().contains("group number")) << out.out;

  // Commands that need no unit do not offer the port's options.
  for (const char* command : {"export", "ports"}) {
    EXPECT_EQ(RunBare({command, "--help"}), 0);
    EXPECT_EQ(out.out.find("--port"), std::string::npos) << out.out;
    EXPECT_EQ(out.out.find("--baud"), std::string::npos) << out.out;
    EXPECT_NE(out.out.find("--json"), std::string::npos) << out.out;
  }
}

TEST_F(CliRepliesAndErrorsTest, LiveReadingsKeepMillisecondsAndFailedJsonRowsKeepTheirKeys) {
  device.SetFault(Fault::Silence, 1);
  EXPECT_EQ(Run({"--json", "acquire", "--count", "2", "--period", "0"}), 1);
  const QStringList rows = QString::fromStdString(out.out).split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(rows.size(), 2);
  const QJsonObject bad = QJsonDocument::fromJson(rows[0].toUtf8()).object();
  const QJsonObject good = QJsonDocument::fromJson(rows[1].toUtf8()).object();
  EXPECT_EQ(bad.value("ok"), QJsonValue(false));
  for (const QString& key : good.keys()) EXPECT_TRUE(bad.contains(key)) << key.toStdString();
  EXPECT_TRUE(bad.value("total_V").isNull());
  EXPECT_EQ(bad.value("cells_V").toArray().size(), 40);
  static const QRegularExpression ms(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}$)"));
  EXPECT_TRUE(ms.match(good.value("time").toString()).hasMatch()) << rows[1].toStdString();

  EXPECT_EQ(Run({"acquire", "--count", "1", "--csv", "-"}), 0);
  const std::string row = out.out.substr(out.out.rfind("time,cell1_V"));
  const std::string second = row.substr(row.find('\n') + 1);
  EXPECT_TRUE(ms.match(QString::fromStdString(second.substr(0, second.find(',')))).hasMatch()) << second;
}

TEST_F(CliRepliesAndErrorsTest, AnEndlessLogReopensThePortAfterAHangUp) {
  // The adapter is pulled before the second reading and is back for the fourth.
  int period = 0;
  hooks.sleep = [&](int) {
    ++period;
    if (period == 1) host.HangUp();
    if (period == 3) host.Replug();
  };
  hooks.stopRequested = [&] { return period >= 5; };
  EXPECT_EQ(Run({"acquire", "--count", "0", "--period", "1000"}), 1);
  EXPECT_NE(out.out.find("成功 3 次, 失败 2 次"), std::string::npos) << out.out << out.err;
}

TEST(CliClock, AClockThatIsNoDateIsSaidToBeOne) {
  // BCD bytes for "month 13, day 45, 25:61:99".
  const std::vector<uint8_t> fields{0x20, 0x14, 0x13, 0x45, 0x25, 0x61, 0x99};
  class Source final : public kx::cli::PortSource {
   public:
    explicit Source(std::vector<uint8_t> reply) : reply_(std::move(reply)) {}
    std::unique_ptr<kx::Port> Open(int, kx::LinkError&) override {
      auto port = std::make_unique<kx::MemoryPort>();
      port->QueueReply(reply_);
      return port;
    }
    std::string Name() const override { return "memory"; }

   private:
    std::vector<uint8_t> reply_;
  } source(kx::RequestFrame(0, static_cast<uint8_t>(kx::Command::ReadClock), fields));
  kx::cli::CaptureOutput out;
  kx::cli::Env env{out, {}, &source, {}, {}, {}};
  env.global.json = true;
  EXPECT_EQ(kx::cli::ClockGet(env), 1);
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.out)).object();
  EXPECT_TRUE(o.value("time").isNull()) << out.out;
  EXPECT_EQ(o.value("raw"), QJsonValue("20 14 13 45 25 61 99"));
  EXPECT_NE(out.err.find("invalid date"), std::string::npos);
}

}  // namespace
}  // namespace kxtest
