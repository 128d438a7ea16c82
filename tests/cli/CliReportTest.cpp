// The test report as a customer gets it: the PDF's text as poppler reads it
// against what the tool's other commands say about the same unit and file.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <sstream>

#include "CliFixture.h"
#include "PdfText.h"
#include "analysis/AnalysisText.h"
#include "chart/CellStatistics.h"
#include "chart/ChartScale.h"
#include "curves/CurveFile.h"
#include "curves/CurveGroup.h"
#include "link/Alarms.h"
#include "link/DeviceSettings.h"
#include "texts/ChineseTexts.h"
#include "version/Version.h"

namespace kxtest {
namespace {

const QString kGroupFile = QStringLiteral(KX_TEST_DATA_DIR "/curves_250points.bin");

class CliReportTest : public CliFixture {
 protected:
  QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
  QTemporaryDir dir;
};

TEST_F(CliReportTest, HoldsTheVersionTheClockDifferenceAndTheReadingAsAcquireShowsIt) {
  ASSERT_TRUE(dir.isValid());
  for (int k = 0; k < 40; ++k) device.SetCellVoltage(k, 3.21 + 0.0023 * k);
  device.SetCellVoltage(6, 3.52);
  device.SetCellVoltage(30, 3.05);
  device.SetVersionRaw(137);
  // The PC's clock pinned, the unit's stopped 7 s behind it.
  std::tm pc{};
  pc.tm_year = 2026 - 1900, pc.tm_mon = 11, pc.tm_mday = 7, pc.tm_hour = 10, pc.tm_isdst = -1;
  std::tm copy = pc;
  const std::time_t pcTime = std::mktime(&copy);
  hooks.now = [copy] { return copy; };
  const auto frozen = std::chrono::steady_clock::now();
  device.SetNow([frozen] { return frozen; });
  device.SetClock(pcTime - 7);

  ASSERT_EQ(Run({"acquire"}), kx::kExitOk);
  const std::vector<std::string> reading = OutLines();
  ASSERT_EQ(reading.size(), 48u);  // 47 values and the extremes line

  const QString pdf = Path("报告.pdf");
  ASSERT_EQ(Run({"report", "-o", pdf, "--title", "一号机房 电池巡检"}), kx::kExitOk) << out.err;
  EXPECT_EQ(PdfPages(pdf), 1);
  QString text = PdfText(pdf);
  EXPECT_TRUE(text.contains("一号机房 电池巡检"));
  EXPECT_TRUE(text.contains("Ver1.37"));
  EXPECT_TRUE(text.contains("-7 秒"));
  EXPECT_TRUE(text.contains(QStringLiteral("kx4200 ") + QString::fromUtf8(kx::VersionText()))) << "the footer's version";
  EXPECT_TRUE(text.contains(Spaced(reading.back()))) << reading.back();
  // The marks beside the highest and lowest value aside, each cell reads as acquire shows it.
  text.remove(QStringLiteral("▲ ")).remove(QStringLiteral("▼ "));
  for (size_t k = 0; k < 40; ++k)
    EXPECT_TRUE(text.contains(QRegularExpression(QRegularExpression::escape(Spaced(reading[k])) + R"(\s)"))) << reading[k];
  for (size_t k = 40; k < 47; ++k) {
    const std::string value = reading[k].substr(reading[k].find(' ') + 1);
    EXPECT_TRUE(text.contains(QString::fromStdString(" " + value + " "))) << reading[k];
  }
}

TEST_F(CliReportTest, WithAGroupPageTwoHoldsTheFittedChartAndTheStatisticsExportGives) {
  ASSERT_TRUE(dir.isValid());
  const QString pdf = Path("group.pdf");
  ASSERT_EQ(Run({"report", "-o", pdf, "--group", kGroupFile}), kx::kExitOk) << out.err;
  ASSERT_EQ(PdfPages(pdf), 3);
  EXPECT_TRUE(PdfText(pdf, 1, 1).contains("KX4200 测试报告"));

  const kx::CurveFileRead read = kx::ReadCurveFile(kGroupFile.toStdString());
  ASSERT_TRUE(read.result.ok());
  CCurveGroup group;
  group.LoadGroupImage(read.image);
  const QString page2 = PdfText(pdf, 2, 2);
  // The chart is drawn on the fitted axis, not the fixed 0..15 V one.
  const auto axis = kx::FitVisibleCells(group);
  ASSERT_TRUE(axis.has_value());
  EXPECT_TRUE(page2.contains(QString::fromStdString(kx::AxisLabel(*axis, axis->high))));
  EXPECT_FALSE(page2.contains("15.0V"));
  // Each cell's row: lowest, highest, mean, first and last as --stats writes them.
  std::istringstream csv(kx::CellStatsCsv(group));
  std::string row;
  std::getline(csv, row);  // the header
  for (int k = 0; k < 40 && std::getline(csv, row); ++k) {
    std::vector<std::string> f;
    std::stringstream fields(row);
    for (std::string v; std::getline(fields, v, ',');) f.push_back(v);
    ASSERT_EQ(f.size(), 8u) << row;
    const std::string expected = f[0] + " " + f[1] + " " + f[3] + " " + f[5] + " " + f[6] + " " + f[7];
    EXPECT_TRUE(page2.contains(QString::fromStdString(expected))) << expected;
  }
}

TEST_F(CliReportTest, PageThreeAnalysesTheSimulatedDischargeWithAnalyzesOptions) {
  ASSERT_TRUE(dir.isValid());
  const QString bin = Path("discharge.bin");
  const QString old = Path("last-year.bin");
  ASSERT_TRUE(kx::WriteCurveFile(bin.toStdString(), kx::VirtualDevice::MakeDischargeGroup(1717200000).image).ok());
  ASSERT_TRUE(kx::WriteCurveFile(old.toStdString(), kx::VirtualDevice::MakeDischargeGroup(1685600000).image).ok());
  const QString pdf = Path("discharge.pdf");
  const QStringList options{"--rated-minutes", "240", "--k-factor", "1.02", "--baseline", old};
  ASSERT_EQ(Run(QStringList{"report", "-o", pdf, "--group", bin} + options), kx::kExitOk) << out.err;
  ASSERT_EQ(PdfPages(pdf), 3);
  const QString page3 = PdfText(pdf, 3, 3);
  EXPECT_TRUE(page3.contains("放电分析"));
  EXPECT_TRUE(page3.contains("第 3 页 共 3 页"));
  EXPECT_TRUE(page3.contains("基准文件: " + old));
  EXPECT_TRUE(page3.contains("与基准比较: 放电时间"));

  // The verdict and each cell's row as analyze gives them for the same file and options.
  ASSERT_EQ(RunBare(QStringList{"analyze", bin} + options), kx::kExitOk) << out.err;
  CCurveGroup group, baseline;
  group.LoadGroupImage(kx::VirtualDevice::MakeDischargeGroup(1717200000).image);
  baseline.LoadGroupImage(kx::VirtualDevice::MakeDischargeGroup(1685600000).image);
  kx::analysis::Parameters p;
  p.ratedMinutes = 240;
  p.kFactor = 1.02;
  const kx::analysis::Result r = kx::analysis::Analyse(group, p, &baseline);
  const std::string verdict = kx::analysis::VerdictLine(r);
  EXPECT_TRUE(verdict.starts_with("容量 ")) << verdict;
  EXPECT_TRUE(page3.contains(Spaced(verdict))) << verdict;
  EXPECT_TRUE(page3.contains("警告: 电池12 读数始终不变"));
  const std::vector<std::string> lines = OutLines();
  const auto head = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("rank"); });
  ASSERT_EQ(lines.end() - head, 25);  // the head and 24 cells
  for (auto row = head + 1; row != lines.end(); ++row) {
    std::istringstream fields(*row);
    std::string rank, cell, end, volts, percent, mv;
    fields >> rank >> cell >> end >> volts >> percent >> mv;
    const std::string expected = rank + " 电池" + cell + " " + end + " " + volts + " " + percent + " " + mv;
    EXPECT_TRUE(page3.contains(QString::fromStdString(expected))) << expected;
  }
}

TEST_F(CliReportTest, WhatTheUnitDoesNotAnswerTheReportSaysInItsPlace) {
  ASSERT_TRUE(dir.isValid());
  device.SetVersionRaw(151);
  const QString version = QString::fromStdString(kx::FormatVersion(151));
  device.SetFault(kx::Fault::Silence);
  const QString pdf = Path("silent.pdf");
  EXPECT_EQ(Run({"report", "-o", pdf}), kx::kExitDevice);
  EXPECT_NE(out.err.find("firmware version: the unit did not reply"), std::string::npos) << out.err;
  EXPECT_EQ(PdfPages(pdf), 1);
  QString text = PdfText(pdf);
  EXPECT_EQ(text.count("设备无应答"), 5);  // the heading and each of the four items
  EXPECT_FALSE(text.contains(version));

  // One item failing: the others are shown, and it says why in its place.
  device.ClearFaults();
  device.SetFault(kx::Fault::Checksum, kx::VirtualDevice::kAlways, 0, -1, 0x0A);
  device.SetAlarmWordOverride(0x0105);
  const QString partial = Path("partial.pdf");
  EXPECT_EQ(Run({"report", "-o", partial}), kx::kExitDevice);
  EXPECT_NE(out.err.find("clock: the unit's reply has a wrong checksum"), std::string::npos) << out.err;
  text = PdfText(partial);
  EXPECT_TRUE(text.contains("设备时钟 未读到 (校验错)"));
  EXPECT_TRUE(text.contains(version));
  EXPECT_FALSE(text.contains("设备无应答"));
  for (const std::string& alarm : kx::DecodeAlarmWord(0x0105).texts)
    EXPECT_TRUE(text.contains(Spaced(alarm))) << alarm;

  // A port that does not open: the report names the cause and does not blame the unit.
  const QString none = Path("noport.pdf");
  EXPECT_EQ(RunBare({"--port", Path("no-such-tty"), "report", "-o", none}), kx::kExitPort);
  text = PdfText(none);
  EXPECT_FALSE(text.contains("设备无应答"));
  EXPECT_TRUE(text.contains("串口未能打开"));
  EXPECT_TRUE(text.contains("设备不存在"));
}

TEST_F(CliReportTest, ALongTitleIsCutToThreeLinesAndEverySectionStaysOnPageOne) {
  ASSERT_TRUE(dir.isValid());
  device.SetAlarmWordOverride(0xFFFF);  // the longest alarm list as well
  for (const int length : {800, 12000}) {
    QString title;
    while (title.size() < length) title += QStringLiteral("一号机房蓄电池组放电测试");
    title.truncate(length);
    const QString pdf = Path("long.pdf");
    ASSERT_EQ(Run({"report", "-o", pdf, "--title", title}), kx::kExitOk) << out.err;
    EXPECT_EQ(PdfPages(pdf), 1);
    const QString text = PdfText(pdf);
    for (const char* section : {"一号机房蓄电池组放电测试", "…", "生成时间", "固件版本", "设备时钟", "实时数据", "电池40",
                                "总电压", "报警状态", "第 1 页 共 1 页"})
      EXPECT_TRUE(text.contains(QString::fromUtf8(section))) << length << ": " << section;
    for (const std::string& alarm : kx::DecodeAlarmWord(0xFFFF).texts)
      EXPECT_TRUE(text.contains(Spaced(alarm))) << alarm;
    // Three lines of title at most above the report's first row.
    const QStringList lines =
        text.left(text.indexOf(QStringLiteral("生成时间"))).trimmed().split(QRegularExpression(R"(\s*\n\s*)"));
    EXPECT_LE(lines.size(), 3) << length;
    // The whole title is the document's.
    const auto info = QRegularExpression(QStringLiteral(R"(^Title:\s+(.*)$)"), QRegularExpression::MultilineOption)
                          .match(RunTool(QStringLiteral("pdfinfo"), {pdf}));
    EXPECT_EQ(info.captured(1), title) << length;
  }
}

TEST_F(CliReportTest, ABadOutputOrAMissingGroupIsRefusedBeforeTheUnitIsAsked) {
  ASSERT_TRUE(dir.isValid());
  EXPECT_EQ(Run({"report", "-o", dir.path()}), kx::kExitUsage);
  EXPECT_EQ(Run({"report", "-o", Path("r.pdf"), "--group", Path("missing.bin")}), kx::kExitUsage);
  EXPECT_EQ(Run({"report"}), kx::kExitUsage);
  // The analysis's options need a group, and are checked as analyze checks them.
  EXPECT_EQ(Run({"report", "-o", Path("r.pdf"), "--rated-minutes", "240"}), kx::kExitUsage);
  EXPECT_EQ(Run({"report", "-o", Path("r.pdf"), "--group", kGroupFile, "--end-voltage", "-1"}), kx::kExitUsage);
  EXPECT_EQ(Run({"report", "-o", Path("r.pdf"), "--group", kGroupFile, "--baseline", Path("missing.bin")}),
            kx::kExitUsage);
  EXPECT_EQ(device.RequestCount(), 0u);
  EXPECT_FALSE(QFile::exists(Path("r.pdf")));
}

}  // namespace
}  // namespace kxtest
