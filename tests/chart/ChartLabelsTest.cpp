#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetricsF>
#include <QImage>

#include <algorithm>

#include "../curves/GroupImageBuilder.h"
#include "chart/ChartDraw.h"
#include "chart/ChartRender.h"

namespace {

// The value labels through the real painter: right-aligned, each ends just left of
// plot.left - 3, on screen and on a 600-dpi page (where the text metrics must be the
// page's, not the screen's).

// The rightmost inked pixel left of the plot frame in the rows just above a baseline
// (not the last few, where the time axis' point marks sit); -1 when there is none.
int RightmostDark(const QImage& image, int baseline, int rows, int frameLeft) {
  int rightmost = -1;
  for (int y = std::max(0, baseline - rows); y <= baseline - 4; ++y)
    for (int x = 0; x < frameLeft - 2; ++x)
      if (qGray(image.pixel(x, y)) < 200) rightmost = std::max(rightmost, x);
  return rightmost;
}

void Fill(CCurveGroup& group) {
  group.m_colors = kx::BuildCurveColors();
  group.LoadGroupImage(kxtest::BuildImage(kxtest::RealisticPoints(50)));
}

// 16 labels, 15.0V at the top to 0.0V at the bottom, baselines plotTop + i * step.
// Each ends with "V", whose ink ends its right bearing short of the text's end at
// plotLeft - 3 (measured in the device's own metrics).
void ExpectLabelsEndAt(const QImage& image, int plotLeft, int plotTop, double step, int rows, double slack) {
  QFont font(QStringLiteral("宋体"));
  font.setPointSizeF(12.0);
  const QFontMetricsF metrics(font, &image);
  const double inkEnd = plotLeft - 3 - metrics.rightBearing(QLatin1Char('V')) - 0.5;
  for (int i = 0; i <= 15; ++i) {
    const int baseline = static_cast<int>(plotTop + i * step);
    const int right = RightmostDark(image, baseline, rows, plotLeft);
    EXPECT_NEAR(right, inkEnd, slack) << "label " << i;
  }
}

TEST(ChartLabels, ValueLabelsEndAtThePlotsLeftOnScreen) {
  CCurveGroup group;
  Fill(group);
  const QImage image = kx::RenderChartImage(group);
  ASSERT_EQ(image.size(), QSize(890, 560));
  // Plot (44, 28, 846, 532): 504 px for 15 V.
  ExpectLabelsEndAt(image, 44, 28, 504.0 / 15, 10, 1.5);
}

TEST(ChartLabels, ValueLabelsEndAtThePlotsLeftOnA600DpiPage) {
  CCurveGroup group;
  Fill(group);
  QImage page(2400, 1600, QImage::Format_RGB32);
  const int dotsPerMetre = qRound(600 / 0.0254);
  page.setDotsPerMeterX(dotsPerMetre);
  page.setDotsPerMeterY(dotsPerMetre);
  page.fill(Qt::white);
  ASSERT_TRUE(kx::DrawChartPage(group, page));
  // Plot (120, 80, 2280, 1520): 1440 dots for 15 V. Measured with screen metrics, a
  // 12-point label would be placed about a sixth of its width left of its anchor and
  // run far past it.
  // The page's glyphs are hinted less exactly than the screen's: the ink may end some
  // dots short of the anchor (117), never past it.
  for (int i = 0; i <= 15; ++i) {
    const int right = RightmostDark(page, static_cast<int>(80 + i * 96.0), 50, 120);
    EXPECT_LE(right, 117) << "label " << i;
    EXPECT_GE(right, 117 - 16) << "label " << i;
  }
}

}  // namespace
