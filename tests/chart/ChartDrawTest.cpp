#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "../curves/GroupImageBuilder.h"
#include "chart/ChartDraw.h"
#include "chart/RecordingCanvas.h"

namespace {

using kx::PenStyle;
using kx::Rect;
using kx::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

constexpr Rect kScreen{0, 0, 890, 560};
constexpr Rect kScreenPlot{44, 28, 846, 532};

// n points a minute apart from 08:00:00; cell j (0-based) at 0.3 (j + 1) V,
// so every curve is a flat line of its own.
std::vector<kxtest::PointSpec> SpacedPoints(int n) {
  std::vector<kxtest::PointSpec> points;
  for (int k = 0; k < n; ++k) {
    kxtest::PointSpec p;
    p.hour = 8;
    p.minute = k;
    p.second = 0;
    for (int j = 0; j < 40; ++j) p.raw[j] = static_cast<uint16_t>(0.3 * (j + 1) / kx::kCellScale);
    p.raw[40] = 40000;
    points.push_back(p);
  }
  return points;
}

struct Chart {
  CCurveGroup group;
  RecordingCanvas canvas;
  explicit Chart(int points = 11) {
    group.m_colors = kx::BuildCurveColors();
    group.LoadGroupImage(kxtest::BuildImage(SpacedPoints(points)));
  }
  void Draw(const Rect& area = kScreen, bool printer = false) { kx::Draw(group, canvas, area, printer); }
  std::vector<RecordingCanvas::Segment> CurveSegments() const {
    auto segs = canvas.Segments();
    std::erase_if(segs, [](const auto& s) { return !(s.pen.style == PenStyle::Solid && (s.pen.width == 2 || s.pen.width == 15)); });
    return segs;
  }
  std::vector<std::string> CurveLabels() const {
    std::vector<std::string> out;
    for (const auto& op : canvas.Of(Kind::Text))
      if (op.text.starts_with("#")) out.push_back(op.text);
    return out;
  }
};

TEST(ChartColors, TableFollowsTheCellNumber) {
  const auto colors = kx::BuildCurveColors();
  ASSERT_EQ(colors.size(), 255u);
  const std::pair<int, kx::Rgb> expected[] = {{0, {255, 0, 0}},     {1, {206, 51, 51}}, {2, {157, 102, 102}},
                                              {3, {108, 153, 153}}, {4, {59, 204, 204}}, {5, {10, 255, 255}},
                                              {6, {217, 50, 50}},   {26, {5, 46, 46}},   {39, {136, 197, 197}},
                                              {254, {97, 154, 154}}};
  for (const auto& [entry, rgb] : expected) EXPECT_EQ(colors[entry], rgb) << "entry " << entry;
}

TEST(ChartDraw, ScreenFrameGridAndLabelsLandOnTheWorkedNumbers) {
  Chart chart;
  chart.Draw();
  const auto rects = chart.canvas.Of(Kind::Rectangle);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[0].rect, kScreen);
  EXPECT_EQ(rects[0].state.pen.style, PenStyle::Null);
  EXPECT_EQ(rects[0].state.brush, (kx::Rgb{255, 255, 255}));
  EXPECT_EQ(rects[1].rect, kScreenPlot);
  EXPECT_EQ(rects[1].state.pen, (kx::Pen{PenStyle::Solid, 2, {0, 0, 0}}));
  EXPECT_FLOAT_EQ(chart.group.m_fPixelsPerVolt, 33.600002f);

  std::vector<int32_t> vertical, horizontal;
  for (const auto& s : chart.canvas.Segments()) {
    if (s.pen.style != PenStyle::DashDotDot) continue;
    EXPECT_EQ(s.pen.width, 1);
    EXPECT_EQ(s.pen.color, chart.group.m_crGrid);
    if (s.x1 == s.x2) {
      EXPECT_EQ(s.y1, 28);
      EXPECT_EQ(s.y2, 532);
      vertical.push_back(s.x1);
    } else {
      EXPECT_EQ(s.y1, s.y2);
      EXPECT_EQ(s.x1, 44);
      EXPECT_EQ(s.x2, 846);
      horizontal.push_back(s.y1);
    }
  }
  EXPECT_EQ(vertical, (std::vector<int32_t>{846, 765, 685, 605, 525, 445, 364, 284, 204, 124, 44}));
  EXPECT_EQ(horizontal, (std::vector<int32_t>{61, 95, 128, 162, 196, 229, 263, 296, 330, 364, 397, 431, 464, 498}));

  const int32_t labelY[] = {28, 61, 95, 128, 162, 196, 229, 263, 296, 330, 364, 397, 431, 464, 498, 532};
  for (int i = 0; i <= 15; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.0V", 15 - i);
    const auto* op = chart.canvas.FindText(text);
    ASSERT_NE(op, nullptr) << text;
    EXPECT_EQ(op->x, 41);
    EXPECT_EQ(op->y, labelY[i]) << text;
    EXPECT_EQ(op->state.align, kx::TextAlign::RightBaseline);
    EXPECT_EQ(op->state.fontFace, "宋体");
    EXPECT_EQ(op->state.fontTenths, 120);
    EXPECT_TRUE(op->state.transparent);
    EXPECT_EQ(op->state.textColor, (kx::Rgb{0, 0, 0}));
  }

  const auto* start = chart.canvas.FindText("08:00:00");
  const auto* end = chart.canvas.FindText("08:10:00");
  ASSERT_TRUE(start && end);
  EXPECT_EQ(std::make_pair(start->x, start->y), std::make_pair(94, 557));
  EXPECT_EQ(std::make_pair(end->x, end->y), std::make_pair(866, 557));
  EXPECT_EQ(end->state.textColor, (kx::Rgb{0, 0, 0}));
}

TEST(ChartDraw, ScreenCurvesTakeTheirCellColourAndAlternatingLabelColumns) {
  Chart chart;
  chart.Draw();
  const float ppv = chart.group.m_fPixelsPerVolt;
  for (int k : {0, 1, 2, 5, 26, 39}) {
    const std::string name = "#" + std::to_string(k + 1);
    const auto* label = chart.canvas.FindText(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_EQ(label->x, k % 2 == 1 ? 846 + 25 : 846 + 45) << name;
    const float v = chart.group.m_curves[k]->m_values.back();
    EXPECT_EQ(label->y, static_cast<int32_t>(532.0 - static_cast<float>(v * ppv) + 4)) << name;
    EXPECT_EQ(label->state.textColor, chart.group.m_colors[k]) << name;
    const auto segs = chart.CurveSegments();
    const long withColour = std::count_if(segs.begin(), segs.end(), [&](const auto& s) {
      return s.pen.color == chart.group.m_colors[k] && s.pen.width == 2;
    });
    EXPECT_EQ(withColour, 10) << name;
  }
}

TEST(ChartDraw, PolylineRunsFromNewestToOldestAcrossThePlot) {
  Chart chart;
  chart.Draw();
  const auto ops = chart.canvas.ops;
  auto label = std::find_if(ops.begin(), ops.end(), [](const auto& op) { return op.text == "#1"; });
  ASSERT_NE(label, ops.end());
  const auto move = std::prev(label);
  ASSERT_EQ(move->kind, Kind::MoveTo);
  EXPECT_EQ(move->x, 846);  // newest point on the right edge
  std::vector<int32_t> xs;
  for (auto it = std::next(label); it != ops.end() && it->kind == Kind::LineTo; ++it) xs.push_back(it->x);
  ASSERT_EQ(xs.size(), 10u);
  EXPECT_TRUE(std::is_sorted(xs.rbegin(), xs.rend()));
  EXPECT_EQ(xs.back(), 44);  // oldest on the left edge
  // 0.3 V on a 33.6 px/V axis from y = 532.
  EXPECT_EQ(move->y, static_cast<int32_t>(532.0 - static_cast<float>(chart.group.m_curves[0]->m_values[10] * 33.600002f)));
}

TEST(ChartDraw, ElevenPointsGiveElevenMarkersFromEdgeToEdge) {
  Chart chart;
  chart.Draw();
  const auto markers = chart.canvas.Of(Kind::Ellipse);
  ASSERT_EQ(markers.size(), 11u);
  EXPECT_EQ(markers.front().rect, (Rect{41, 529, 47, 535}));
  EXPECT_EQ(markers.back().rect, (Rect{843, 529, 849, 535}));
  for (const auto& m : markers) {
    EXPECT_EQ(m.state.pen.style, PenStyle::DashDotDot);
    EXPECT_EQ(m.state.brush, chart.group.m_crPlot);
  }
}

TEST(ChartDraw, HiddenCellsAndTheTotalAreNotDrawn) {
  Chart chart;
  chart.Draw();
  EXPECT_EQ(chart.CurveLabels().size(), 40u);
  EXPECT_EQ(chart.canvas.FindText("#41"), nullptr);
  EXPECT_EQ(chart.CurveSegments().size(), 40u * 10);

  RecordingCanvas hidden;
  chart.group.m_visible[2] = 0;
  kx::Draw(chart.group, hidden, kScreen, false);
  EXPECT_EQ(hidden.FindText("#3"), nullptr);
  ASSERT_NE(hidden.FindText("#4"), nullptr);
  EXPECT_EQ(hidden.FindText("#4")->state.textColor, chart.group.m_colors[3]);
  int pens = 0;
  for (const auto& s : hidden.Segments()) {
    EXPECT_NE(s.pen.color, chart.group.m_colors[2]);
    pens += s.pen.width == 2 && s.pen.style == PenStyle::Solid;
  }
  EXPECT_EQ(pens, 39 * 10);
}

TEST(ChartDraw, PrinterModeOnALetterSizedPage) {
  Chart chart;
  chart.Draw({0, 0, 4800, 6600}, true);
  EXPECT_EQ(chart.canvas.Of(Kind::Rectangle)[1].rect, (Rect{240, 330, 4560, 6270}));
  for (const auto& s : chart.CurveSegments()) EXPECT_EQ(s.pen, (kx::Pen{PenStyle::Solid, 15, {0, 0, 0}}));
  EXPECT_EQ(chart.CurveSegments().size(), 400u);
  EXPECT_EQ(chart.canvas.FindText("#2")->x, 4710);
  EXPECT_EQ(chart.canvas.FindText("#1")->x, 4855);
  EXPECT_EQ(chart.canvas.FindText("#40")->x, 4710);
  EXPECT_EQ(chart.canvas.FindText("#39")->x, 4855);
  EXPECT_EQ(chart.canvas.FindText("#39")->state.textColor, (kx::Rgb{0, 0, 0}));
  EXPECT_EQ(chart.canvas.FindText("08:00:00")->y, 6390);
  EXPECT_EQ(chart.canvas.FindText("08:00:00")->x, 290);
  EXPECT_EQ(chart.canvas.FindText("08:10:00")->x, 4580);
}

TEST(ChartDraw, NothingLoadedDrawsNothing) {
  CCurveGroup group;
  RecordingCanvas canvas;
  kx::Draw(group, canvas, kScreen, false);
  EXPECT_TRUE(canvas.ops.empty());
  EXPECT_EQ(canvas.maxSaveDepth, 0);
  EXPECT_EQ(group.m_nCurveCount, 0);
}

TEST(ChartDraw, GroupWithoutPointsDrawsTheFrameAndThePreviousSpan) {
  Chart chart(3);
  chart.group.LoadGroupImage(std::vector<uint8_t>{0});
  chart.Draw();
  EXPECT_EQ(chart.group.m_nPointCount, 0);
  EXPECT_EQ(chart.canvas.Of(Kind::Rectangle).size(), 2u);
  EXPECT_NE(chart.canvas.FindText("15.0V"), nullptr);
  EXPECT_NE(chart.canvas.FindText("08:00:00"), nullptr);
  EXPECT_NE(chart.canvas.FindText("08:02:00"), nullptr);
  EXPECT_TRUE(chart.CurveLabels().empty());
  EXPECT_TRUE(chart.CurveSegments().empty());
  EXPECT_TRUE(chart.canvas.Of(Kind::Ellipse).empty());
}

TEST(ChartDraw, PointsWithoutTimeSpanGoToTheLeftEdge) {
  for (int points : {1, 4}) {
    Chart chart(0);
    auto records = SpacedPoints(points);
    for (auto& p : records) p.minute = 0;  // all at the same second
    chart.group.LoadGroupImage(kxtest::BuildImage(records));
    chart.Draw();
    EXPECT_EQ(chart.group.m_fPixelsPerSecond, 0.0f);
    int curvePoints = 0;
    for (const auto& op : chart.canvas.ops) {
      if (op.state.pen.width == 2 && op.state.pen.style == PenStyle::Solid && (op.kind == Kind::MoveTo || op.kind == Kind::LineTo)) {
        EXPECT_EQ(op.x, 44);
        ++curvePoints;
      }
    }
    EXPECT_EQ(curvePoints, 40 * points);
    const auto markers = chart.canvas.Of(Kind::Ellipse);
    ASSERT_EQ(markers.size(), size_t(points));
    for (const auto& m : markers) EXPECT_EQ(m.rect, (Rect{41, 529, 47, 535}));
  }
}

TEST(ChartDraw, ValuesAreNotClippedToTheAxis) {
  Chart chart(0);
  auto records = SpacedPoints(2);
  records[1].raw[0] = static_cast<uint16_t>(16.0 / kx::kCellScale);
  records[1].raw[1] = 0;
  chart.group.LoadGroupImage(kxtest::BuildImage(records));
  chart.Draw();
  const auto ops = chart.canvas.ops;
  auto first = std::find_if(ops.begin(), ops.end(), [](const auto& op) { return op.text == "#1"; });
  auto second = std::find_if(ops.begin(), ops.end(), [](const auto& op) { return op.text == "#2"; });
  ASSERT_TRUE(first != ops.end() && second != ops.end());
  EXPECT_EQ(std::prev(first)->y, 532 - 537);  // 16 V: above the frame's top at 28
  EXPECT_EQ(std::prev(second)->y, 532);       // 0 V: on the time axis
}

TEST(ChartDraw, LeavesTheTargetAsItFoundIt) {
  Chart chart;
  const RecordingCanvas::State before = chart.canvas.state;
  chart.Draw();
  EXPECT_EQ(chart.canvas.saveDepth, 0);
  EXPECT_EQ(chart.canvas.state.pen, before.pen);
  EXPECT_FALSE(chart.canvas.state.brush.has_value());
  EXPECT_TRUE(chart.canvas.state.fontFace.empty());
  EXPECT_EQ(chart.canvas.state.align, kx::TextAlign::LeftTop);
  EXPECT_FALSE(chart.canvas.state.transparent);
}

TEST(ChartDraw, TransparentGroupSkipsTheBackground) {
  Chart chart;
  chart.group.m_bTransparent = 1;
  chart.Draw();
  EXPECT_EQ(chart.canvas.Of(Kind::Rectangle).front().rect, kScreenPlot);
}

struct FailCase {
  const char* name;
  int pen, brush;
  size_t rectangles, texts;
};

class FailingObjects : public testing::TestWithParam<FailCase> {};

TEST_P(FailingObjects, DrawingStopsAndGivesTheTargetBack) {
  const FailCase c = GetParam();
  Chart chart;
  chart.canvas.failPenAt = c.pen;
  chart.canvas.failBrushAt = c.brush;
  chart.Draw();
  EXPECT_EQ(chart.canvas.Of(Kind::Rectangle).size(), c.rectangles);
  EXPECT_EQ(chart.canvas.Of(Kind::Text).size(), c.texts);
  EXPECT_TRUE(chart.canvas.Of(Kind::Ellipse).empty());
  EXPECT_EQ(chart.canvas.saveDepth, 0);
  EXPECT_FALSE(chart.canvas.state.brush.has_value());
}

// Pens in order: background (null), frame, grid, then one per visible cell.
INSTANTIATE_TEST_SUITE_P(Objects, FailingObjects,
                         testing::Values(FailCase{"BackgroundBrush", 0, 1, 0, 0}, FailCase{"FramePen", 2, 0, 1, 0},
                                         FailCase{"GridPen", 3, 0, 2, 0}, FailCase{"FirstCurvePen", 4, 0, 2, 16},
                                         FailCase{"TenthCurvePen", 13, 0, 2, 16 + 9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartDraw, ZeroDivisionsDrawNoGridAndStayDefined) {
  Chart chart;
  chart.group.m_nTimeDivs = 0;
  chart.group.m_nValueDivs = 0;
  chart.Draw();
  EXPECT_NE(chart.canvas.FindText("0.0V"), nullptr);
  EXPECT_EQ(chart.CurveLabels().size(), 40u);
}

TEST(Trunc, IsDefinedForEveryDouble) {
  EXPECT_EQ(kx::Trunc(-2.7), -2);
  EXPECT_EQ(kx::Trunc(2.7), 2);
  EXPECT_EQ(kx::Trunc(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(kx::Trunc(std::numeric_limits<double>::infinity()), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(kx::Trunc(-1e300), std::numeric_limits<int32_t>::min());
}

}  // namespace
