// The analysis over the chart, in exact numbers: Draw's scales carried over.

#include <gtest/gtest.h>

#include "../curves/GroupImageBuilder.h"
#include "chart/ChartDraw.h"
#include "chart/ChartOverlay.h"
#include "chart/RecordingCanvas.h"

namespace {

using Kind = kx::RecordingCanvas::Kind;

TEST(ChartOverlay, EndVoltageLineMarkersHighlightAndHeadlineOnDrawsScales) {
  // Eleven points a minute apart, every cell at 3.3 V: the plot is (44, 28, 846, 532).
  std::vector<kxtest::PointSpec> points(11);
  for (int k = 0; k < 11; ++k) {
    points[k].hour = 8, points[k].minute = k, points[k].second = 0;
    points[k].raw.fill(static_cast<uint16_t>(3.3 / kx::kCellScale));
  }
  CCurveGroup group;
  group.m_colors = kx::BuildCurveColors();
  group.LoadGroupImage(kxtest::BuildImage(points));
  kx::RecordingCanvas canvas;
  const kx::Rect area{0, 0, 890, 560};
  kx::Draw(group, canvas, area, false);
  canvas.ops.clear();

  kx::AnalysisOverlay overlay;
  overlay.endVoltage = 3.0;
  overlay.crossings = {{4, 5.0}};
  overlay.highlightCell = 2;
  overlay.headline = "容量 92.5%";
  kx::DrawOverlay(group, canvas, area, nullptr, overlay, false);

  // 3 V on the 0..15 V axis: 532 - 3 x 33.6; 5 minutes: 44 + 300 s x 802 / 600 s.
  const auto segments = canvas.Segments();
  const auto line = std::find_if(segments.begin(), segments.end(), [](const auto& s) { return s.y1 == 431 && s.y2 == 431; });
  ASSERT_NE(line, segments.end());
  EXPECT_EQ(line->x1, 44);
  EXPECT_EQ(line->x2, 846);
  const auto markers = canvas.Of(Kind::Ellipse);
  ASSERT_EQ(markers.size(), 1u);
  EXPECT_EQ(markers[0].rect, (kx::Rect{441, 427, 449, 435}));
  const auto wide = std::count_if(segments.begin(), segments.end(), [&](const auto& s) {
    return s.pen.width == 5 && s.pen.color == group.m_colors[2] && s.y1 == 421;  // 3.2996 V, the count of 3.3 V
  });
  EXPECT_EQ(wide, 10);  // the stressed curve, point to point
  const auto* headline = canvas.FindText("容量 92.5%");
  ASSERT_NE(headline, nullptr);
  EXPECT_EQ(headline->x, 44);
  EXPECT_LT(headline->y, 28);  // above the plot
  EXPECT_EQ(canvas.saveDepth, 0);
}

}  // namespace
