// The panel's secondary windows in English: the viewer with its analysis pane,
// the live trend, the protocol window, the About and password boxes hold no
// Chinese and every text fits its control.

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

#include "PanelFixture.h"
#include "WidgetTexts.h"
#include "chart/CurveViewDlg.h"
#include "chart/RecordingCanvas.h"
#include "lang/Language.h"
#include "panel/AboutDlg.h"
#include "panel/LiveTrendDlg.h"
#include "panel/PasswordDlg.h"
#include "panel/ProtocolViewDlg.h"

namespace {

using kx::test::HasChinese;
using kx::test::TextProblems;

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + '\n';
  return all;
}

kx::LiveReading Reading(double cell) {
  kx::LiveReading r;
  r.shown.fill(cell);
  r.shown[kx::kLiveTotal] = 52.8;
  r.shown[kx::kLiveCurrent] = -12.5;
  return r;
}

TEST(EnglishWindows, PasswordAboutAndTheLiveTrend) {
  const kx::ScopedLanguage english(kx::Language::English);
  CPasswordDlg password;
  CAboutDlg about;
  CLiveTrendDlg trend;
  for (int i = 0; i < 20; ++i) trend.AddReading(1717200000.0 + i, Reading(2.10 - i * 0.001));
  trend.SetPicked(16, true);
  for (QDialog* dlg : std::initializer_list<QDialog*>{&password, &about, &trend}) {
    dlg->show();
    EXPECT_EQ(Joined(TextProblems(*dlg)), "") << dlg->windowTitle().toStdString();
  }
  EXPECT_EQ(about.windowTitle(), "About KX4200");

  // The plots' own texts are painted, not widgets: legends, picked cells, the wait.
  kx::RecordingCanvas drawn;
  const std::vector<int> picked{16};
  kx::panel::DrawTrend(drawn, kx::Rect{0, 0, 800, 500}, trend.Ring(), picked);
  kx::panel::DrawTrend(drawn, kx::Rect{0, 0, 800, 500}, kx::panel::TrendRing(), picked);
  for (const auto& op : drawn.Of(kx::RecordingCanvas::Kind::Text))
    EXPECT_FALSE(HasChinese(QString::fromStdString(op.text))) << op.text;
  EXPECT_TRUE(drawn.FindText("Cell 17"));
  EXPECT_TRUE(drawn.FindText("Waiting for readings"));
}

TEST(EnglishWindows, ViewerWithAGroupAndItsAnalysis) {
  const kx::ScopedLanguage english(kx::Language::English);
  ScriptedPrompts prompts;
  CCurveViewDlg viewer;
  viewer.Group().LoadGroupImage(kx::VirtualDevice::MakeDischargeGroup(1717200000).image);
  viewer.m_strTitle = QStringLiteral("20240601.bin");
  viewer.show();
  // The mouse on the curves' bundle: the picked curve's line shows too.
  viewer.OnMouseMove(viewer.m_chart.pos() + QPoint(144, static_cast<int>(532 - 2.04 * 504 / 15.0)));
  ASSERT_FALSE(viewer.PickedText().isEmpty());
  EXPECT_EQ(Joined(TextProblems(viewer)), "");
  // The narrow tree lists every cell without scrolling sideways, as it does in Chinese.
  viewer.m_tree->expandAll();
  QCoreApplication::processEvents();  // the tree lays its items out later
  EXPECT_EQ(viewer.m_tree->horizontalScrollBar()->maximum(), 0);

  viewer.findChild<QPushButton*>(QStringLiteral("analysis"))->click();
  auto* rated = viewer.findChild<QLineEdit*>(QStringLiteral("ratedMinutes"));
  rated->setText(QStringLiteral("240"));
  emit rated->editingFinished();
  ASSERT_TRUE(viewer.AnalysisOpen());
  EXPECT_EQ(Joined(TextProblems(viewer)), "");

  // A parameter out of range is said in the pane.
  rated->setText(QStringLiteral("0"));
  emit rated->editingFinished();
  EXPECT_EQ(viewer.findChild<QLabel*>(QStringLiteral("verdict"))->text(),
            "Bad parameter: Rated time must be above 0 minutes");
}

class EnglishProtocolWindow : public PanelFixture {};

TEST_F(EnglishProtocolWindow, ListsAReadingAndSaysAFailedSave) {
  const kx::ScopedLanguage english(kx::Language::English);
  panel->ShowProtocolView();
  panel->OnAcquire();
  CProtocolViewDlg& protocol = panel->ProtocolView();
  protocol.Drain();
  ASSERT_GT(protocol.Frames().rowCount(), 0);
  protocol.SetPaused(true);
  EXPECT_EQ(Joined(TextProblems(protocol)), "");

  prompts.Clear();
  prompts.savePaths.push_back(QStringLiteral("/nonexistent-folder/trace.txt"));
  protocol.SaveAll();
  ASSERT_EQ(prompts.saveRequests.size(), 1u);
  EXPECT_EQ(prompts.saveRequests[0].filters, QStringList({"Text files (*.txt)", "All files (*)"}));
  ASSERT_EQ(prompts.Texts().size(), 1);
  EXPECT_TRUE(prompts.Texts()[0].startsWith("Save failed: ")) << prompts.Texts()[0].toStdString();
}

}  // namespace
