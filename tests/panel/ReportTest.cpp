// "生成报告…": the report of the unit and the held curve group, through the prompts seam.

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <ctime>

#include "PanelFixture.h"
#include "PdfText.h"
#include "analysis/AnalysisText.h"
#include "link/Exchange.h"
#include "panel/PanelTexts.h"

namespace {

using namespace kx::panel::ids;

class PanelReport : public PanelFixture {};

TEST_F(PanelReport, HoldsTheUnitAndTheHeldGroupAndSaysWhenTheUnitIsSilent) {
  panel->SetWaitScale(0.05);
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  prompts.openPaths = {QStringLiteral(KX_TEST_DATA_DIR "/curves_250points.bin")};
  IconButton(kBtnOpenFile)->click();
  ASSERT_GT(Probe().GroupPoints(), 0);
  device->SetVersionRaw(142);
  const std::time_t now = 1796601906;
  panel->SetClockSource([now] { return static_cast<int64_t>(now); });

  // The analysis page takes the viewer's parameters.
  CCurveViewDlg& viewer = Probe().Viewer();
  viewer.findChild<QPushButton*>(QStringLiteral("analysis"))->click();
  auto* rated = viewer.findChild<QLineEdit*>(QStringLiteral("ratedMinutes"));
  rated->setText(QStringLiteral("180"));
  emit rated->editingFinished();
  ASSERT_EQ(viewer.AnalysisParameters().ratedMinutes, 180.0);

  // No suffix typed: the report gets its ".pdf".
  prompts.savePaths = {folder.filePath("report")};
  panel->MakeReport();
  ASSERT_EQ(prompts.saveRequests.size(), 1u);
  std::tm local{};
  localtime_r(&now, &local);
  char name[64];
  std::strftime(name, sizeof name, "kx4200-report-%Y%m%d-%H%M%S.pdf", &local);
  EXPECT_EQ(prompts.saveRequests[0].defaultName, QString::fromUtf8(name));
  const QString pdf = folder.filePath("report.pdf");
  EXPECT_EQ(kxtest::PdfPages(pdf), 3);
  EXPECT_TRUE(kxtest::PdfText(pdf, 1, 1).contains("Ver1.42"));
  EXPECT_TRUE(kxtest::PdfText(pdf, 2, 2).contains("单体统计"));
  const QString page3 = kxtest::PdfText(pdf, 3, 3);
  EXPECT_TRUE(page3.contains("额定时间 180 分钟"));
  const std::string verdict = kx::analysis::VerdictLine(viewer.AnalyseGroup(Probe().ViewerGroup()));
  EXPECT_TRUE(page3.contains(kxtest::Spaced(verdict))) << verdict;
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();

  device->SetFault(kx::Fault::Silence);
  const QString silent = folder.filePath("silent.pdf");
  prompts.savePaths = {silent};
  panel->MakeReport();
  EXPECT_EQ(prompts.Texts(), QStringList{QString::fromUtf8(kx::msg::kReportNoAnswer) + "\n" + silent});
  EXPECT_TRUE(kxtest::PdfText(silent, 1, 1).contains("设备无应答"));

  // No device behind the port: the report says so, and does not blame the unit.
  Edit(kEditPort)->setText("7");
  const QString noPort = folder.filePath("noport.pdf");
  prompts.savePaths = {noPort};
  prompts.Clear();
  panel->MakeReport();
  EXPECT_EQ(prompts.Texts(), QStringList{QString::fromUtf8(kx::msg::kReportNoPort) + "\n" + noPort});
  EXPECT_TRUE(kxtest::PdfText(noPort, 1, 1).contains("串口未能打开"));
}

}  // namespace
