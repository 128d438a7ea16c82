// The printed chart's and the analysis's texts in English: a simulated discharge
// against last year's, as the report and the viewer put them into words.

#include <gtest/gtest.h>

#include "WidgetTexts.h"
#include "analysis/AnalysisText.h"
#include "chart/CellStatistics.h"
#include "chart/ChartDraw.h"
#include "chart/ChartOverlay.h"
#include "chart/ChartScale.h"
#include "chart/CurvePick.h"
#include "chart/RecordingCanvas.h"
#include "lang/Language.h"
#include "sim/VirtualDevice.h"

namespace {

// Every text a person reads of the group: the analysis, the statistics line and
// what the printer's chart draws with the analysis over it.
std::vector<std::string> ShownTexts() {
  CCurveGroup group, baseline;
  group.LoadGroupImage(kx::VirtualDevice::MakeDischargeGroup(1717200000).image);
  baseline.LoadGroupImage(kx::VirtualDevice::MakeDischargeGroup(1685600000).image);
  group.m_colors = kx::BuildCurveColors();
  kx::analysis::Parameters p;
  p.ratedMinutes = 240;
  const kx::analysis::Result r = kx::analysis::Analyse(group, p, &baseline);

  std::vector<std::string> texts = kx::analysis::FindingLines(r, p);
  for (const kx::analysis::Status s : {kx::analysis::Status::NoPoints, kx::analysis::Status::NoConnectedCells})
    texts.push_back(kx::analysis::StatusText(s));
  texts.push_back(kx::analysis::ParameterLine(p, r));
  texts.push_back(kx::ExtremesText(kx::FindExtremes(group, false)));
  texts.push_back(kx::ExtremesText({}));

  kx::RecordingCanvas canvas;
  const kx::Rect area{0, 0, 4800, 6600};
  kx::AnalysisOverlay overlay = kx::OverlayOf(r);
  overlay.headline = kx::analysis::VerdictLine(r);
  const auto axis = kx::FitVisibleCells(group, r.endVoltage);
  kx::Draw(group, canvas, area, true, &*axis);
  kx::DrawOverlay(group, canvas, area, &*axis, overlay, true);
  for (const kx::RecordingCanvas::Op& op : canvas.Of(kx::RecordingCanvas::Kind::Text)) texts.push_back(op.text);
  return texts;
}

std::vector<bool> Warnings(const std::vector<std::string>& texts) {
  std::vector<bool> flags;
  for (const std::string& t : texts) flags.push_back(kx::analysis::IsWarning(t));
  return flags;
}

TEST(PrintedEnglish, TheAnalysisStatisticsAndChartTextsHoldNoChinese) {
  const std::vector<bool> chineseWarnings = Warnings(ShownTexts());
  const kx::ScopedLanguage english(kx::Language::English);
  const std::vector<std::string> texts = ShownTexts();
  // The same lines in both languages, and a warning stays a warning (the report colours it).
  EXPECT_EQ(Warnings(texts), chineseWarnings);
  EXPECT_NE(std::count(chineseWarnings.begin(), chineseWarnings.end(), true), 0);  // the simulated stuck cell
  for (const std::string& text : texts) EXPECT_FALSE(kx::test::HasChinese(QString::fromStdString(text))) << text;
  const auto has = [&texts](const std::string& part) {
    return std::any_of(texts.begin(), texts.end(), [&part](const std::string& t) { return t.find(part) != t.npos; });
  };
  for (const char* part : {"Capacity ", "First at end voltage: Cell ", "Against the baseline", "End voltage ",
                           "Weak cells", "Max Cell ", "Warning: Cell 12 reads the same throughout"})
    EXPECT_TRUE(has(part)) << part;
}

}  // namespace
