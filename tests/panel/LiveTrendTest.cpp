// The live trend's bounded history, its fitted axis and its picture.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "chart/RecordingCanvas.h"
#include "panel/LiveTrend.h"

namespace {

using kx::panel::TrendRing;

kx::LiveReading Reading(double cell, double total = 54.0, double current = -10.0) {
  kx::LiveReading r;
  r.shown.fill(cell);
  r.shown[kx::kLiveTotal] = total;
  r.shown[kx::kLiveCurrent] = current;
  return r;
}

TEST(LiveTrend, RingKeepsTheNewestReadingsWithinItsCapacity) {
  TrendRing ring(100);
  for (int i = 0; i < 250; ++i) ring.Push(1000.0 + i, Reading(3.0 + i * 0.001));
  EXPECT_EQ(ring.Size(), 100u);
  EXPECT_DOUBLE_EQ(ring.At(0).time, 1150.0);
  EXPECT_DOUBLE_EQ(ring.Newest().time, 1249.0);
  EXPECT_FLOAT_EQ(ring.Newest().highest, 3.249f);
  EXPECT_EQ(ring.FirstFrom(1200.5), 51u);
  EXPECT_EQ(kx::panel::TrendRing().Capacity(), 18000u);  // ten minutes at 30 readings a second

  // Only the last window is shown.
  const auto span = kx::panel::SpanOf(ring, 60);
  EXPECT_DOUBLE_EQ(span.from, 1189.0);
  EXPECT_EQ(span.first, 39u);
}

TEST(LiveTrend, VoltageAxisFitsTheExtremesAndPickedCellsOnly) {
  TrendRing ring;
  kx::LiveReading v = Reading(3.350);
  v.shown[16] = 3.412;
  v.shown[4] = 3.281;
  v.shown[39] = 0.0;  // not fitted: no part of the axis
  ring.Push(0, v);
  v.shown[7] = 3.600;
  ring.Push(1, Reading(0.0));  // no cell fitted: a gap, not a zero
  const auto span = kx::panel::SpanOf(ring);
  const kx::ValueAxis axis = kx::panel::CellAxis(ring, span, {});
  EXPECT_LE(axis.low, 3.281);
  EXPECT_GE(axis.high, 3.412);
  EXPECT_LT(axis.high - axis.low, 0.5);
  const int picked[] = {39};
  EXPECT_DOUBLE_EQ(kx::panel::CellAxis(ring, span, picked).low, axis.low);

  kx::RecordingCanvas canvas;
  kx::panel::DrawTrend(canvas, kx::Rect{0, 0, 800, 500}, ring, picked);
  EXPECT_NE(canvas.FindText(kx::AxisLabel(axis, axis.low)), nullptr);
  EXPECT_NE(canvas.FindText(kx::AxisLabel(axis, axis.high)), nullptr);
  EXPECT_NE(canvas.FindText("电池40"), nullptr);  // the picked cell's legend
  for (const auto& s : canvas.Segments()) {
    EXPECT_TRUE(s.x1 >= 0 && s.x2 < 800 && s.y1 >= 0 && s.y2 < 500) << s.x1 << ',' << s.y1;
  }
  EXPECT_EQ(canvas.saveDepth, 0);
}

}  // namespace
