#include "panel/LiveTrend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <limits>
#include <string>
#include <utility>

#include "link/CellSummary.h"
#include "texts/Translate.h"

namespace kx::panel {

namespace {

constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
constexpr const char* kFace = "宋体";
constexpr int kFontTenths = 90;
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kFrame{96, 96, 96};
constexpr Rgb kGrid{200, 200, 200};
constexpr Rgb kText{0, 0, 0};
constexpr Rgb kHighest{220, 0, 0};
constexpr Rgb kLowest{0, 60, 220};
constexpr Rgb kMean{0, 150, 0};
constexpr Rgb kTotal{200, 110, 0};
constexpr Rgb kCurrent{130, 0, 160};
// Picked cells take these in turn.
constexpr Rgb kPalette[] = {{0, 150, 160}, {160, 110, 40}, {230, 0, 170}, {90, 90, 90}, {110, 160, 0}, {0, 0, 120}};

using Series = std::function<float(const TrendSample&)>;

struct Plot {
  Rect frame;
  double from, to;
  ValueAxis axis;
};

int XOf(const Plot& p, double t) {
  const double width = p.frame.right - 1 - p.frame.left;
  return p.frame.left + static_cast<int>(std::lround((t - p.from) / (p.to - p.from) * width));
}

int YOf(const Plot& p, const ValueAxis& axis, double v) {
  const double height = p.frame.bottom - 1 - p.frame.top;
  const double y = p.frame.bottom - 1 - (v - axis.low) / (axis.high - axis.low) * height;
  return static_cast<int>(std::lround(std::clamp(y, double(p.frame.top), double(p.frame.bottom - 1))));
}

// One pixel column at a time: a column's readings become one vertical stroke, so
// ten minutes of readings cost as much to draw as the plot is wide.
void DrawSeries(Canvas& canvas, const Plot& p, const ValueAxis& axis, const TrendRing& ring, size_t first,
                const Series& value, Rgb color) {
  if (!canvas.SetPen({PenStyle::Solid, 1, color})) return;
  bool drawing = false;
  int column = std::numeric_limits<int>::min();
  float head = 0, low = 0, high = 0, tail = 0;
  auto flush = [&] {
    if (column == std::numeric_limits<int>::min()) return;
    const int y0 = YOf(p, axis, head);
    drawing ? canvas.LineTo(column, y0) : canvas.MoveTo(column, y0);
    canvas.LineTo(column, YOf(p, axis, low));
    canvas.LineTo(column, YOf(p, axis, high));
    canvas.LineTo(column, YOf(p, axis, tail));
    drawing = true;
    column = std::numeric_limits<int>::min();
  };
  for (size_t i = first; i < ring.Size(); ++i) {
    const TrendSample& s = ring.At(i);
    const float v = value(s);
    if (std::isnan(v)) {
      flush();
      drawing = false;
      continue;
    }
    const int x = XOf(p, s.time);
    if (x != column) {
      flush();
      column = x;
      head = low = high = tail = v;
    } else {
      low = std::min(low, v);
      high = std::max(high, v);
      tail = v;
    }
  }
  flush();
}

std::string Clock(double seconds) {
  const std::time_t t = static_cast<std::time_t>(std::floor(seconds));
  std::tm local{};
  localtime_r(&t, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

std::string Number(double v, int decimals, const char* unit) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f%s", decimals, v, unit);
  return text;
}

// Frame, grid, the left axis' labels and the time labels under the plot.
void DrawFrame(Canvas& canvas, const Plot& p, const char* unit) {
  canvas.SetPen({PenStyle::Solid, 1, kFrame});
  canvas.SetBrush(kWhite);
  canvas.Rectangle(p.frame);
  canvas.SetPen({PenStyle::DashDotDot, 1, kGrid});
  canvas.SetTextColor(kText);
  canvas.SetTextAlign(TextAlign::RightBaseline);
  for (int k = 0; k <= p.axis.Divisions(); ++k) {
    const double v = p.axis.low + k * p.axis.step;
    const int y = YOf(p, p.axis, v);
    canvas.MoveTo(p.frame.left, y);
    canvas.LineTo(p.frame.right - 1, y);
    canvas.Text(p.frame.left - 4, y + 4, Number(v, p.axis.decimals, unit));
  }
  canvas.SetTextAlign(TextAlign::LeftTop);
  for (int k = 0; k <= 2; ++k) {
    const double t = p.from + (p.to - p.from) * k / 2;
    const int x = XOf(p, t) - (k == 0 ? 0 : k == 1 ? 24 : 48);
    canvas.Text(x, p.frame.bottom + 3, Clock(t));
  }
}

void Legend(Canvas& canvas, int x, int y, std::initializer_list<std::pair<std::string, Rgb>> items) {
  canvas.SetTextAlign(TextAlign::LeftTop);
  for (const auto& [text, color] : items) {
    canvas.SetTextColor(color);
    canvas.Text(x, y, text);
    x += 14 + 7 * static_cast<int>(text.size() > 6 ? text.size() - 2 : text.size());
  }
}

ValueAxis FitSeries(const TrendRing& ring, size_t first, const Series& value) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (size_t i = first; i < ring.Size(); ++i) {
    const float v = value(ring.At(i));
    if (std::isnan(v)) continue;
    lo = std::min<double>(lo, v);
    hi = std::max<double>(hi, v);
  }
  return lo <= hi ? FitAxis(lo, hi) : ValueAxis{};
}

float PickedCell(const TrendSample& s, int cell) {
  const float v = s.cells[static_cast<size_t>(cell)];
  return CellNotFitted(v) ? kNone : v;
}

}  // namespace

TrendRing::TrendRing(size_t capacity) : m_samples(std::max<size_t>(capacity, 1)) {}

void TrendRing::Push(double time, const LiveReading& reading) {
  TrendSample& s = m_count < m_samples.size() ? m_samples[(m_first + m_count++) % m_samples.size()]
                                              : m_samples[std::exchange(m_first, (m_first + 1) % m_samples.size())];
  s.time = time;
  for (size_t c = 0; c < kTrendCells; ++c) s.cells[c] = static_cast<float>(reading.Cells()[c]);
  const CellSummary summary = SummariseCells(reading.Cells());
  s.highest = summary.extremes ? static_cast<float>(summary.extremes->maxV) : kNone;
  s.lowest = summary.extremes ? static_cast<float>(summary.extremes->minV) : kNone;
  s.mean = summary.extremes ? static_cast<float>(summary.meanV) : kNone;
  s.total = static_cast<float>(reading.Total());
  s.current = static_cast<float>(reading.Current());
}

size_t TrendRing::FirstFrom(double time) const {
  size_t lo = 0, hi = m_count;
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    At(mid).time < time ? lo = mid + 1 : hi = mid;
  }
  return lo;
}

TrendSpan SpanOf(const TrendRing& ring, double windowSeconds) {
  if (ring.Size() == 0) return {};
  TrendSpan span;
  span.to = ring.Newest().time;
  span.from = std::max(ring.At(0).time, span.to - windowSeconds);
  span.first = ring.FirstFrom(span.from);
  // A short history is drawn against at least a second, ending at the right edge.
  if (span.to - span.from < 1.0) span.from = span.to - 1.0;
  return span;
}

ValueAxis CellAxis(const TrendRing& ring, const TrendSpan& span, std::span<const int> picked) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (size_t i = span.first; i < ring.Size(); ++i) {
    const TrendSample& s = ring.At(i);
    if (!std::isnan(s.lowest)) lo = std::min<double>(lo, s.lowest), hi = std::max<double>(hi, s.highest);
    for (int cell : picked) {
      const float v = PickedCell(s, cell);
      if (!std::isnan(v)) lo = std::min<double>(lo, v), hi = std::max<double>(hi, v);
    }
  }
  return lo <= hi ? FitAxis(lo, hi) : ValueAxis{};
}

void DrawTrend(Canvas& canvas, const Rect& area, const TrendRing& ring, std::span<const int> picked,
               double windowSeconds) {
  canvas.Save();
  canvas.SetTransparentBackground();
  canvas.SetFont(kFace, kFontTenths);
  canvas.SetPen({PenStyle::Null, 0, kWhite});
  canvas.SetBrush(Rgb{240, 240, 240});
  canvas.Rectangle(area);
  if (ring.Size() == 0) {
    canvas.SetTextColor(kText);
    canvas.SetTextAlign(TextAlign::LeftTop);
    canvas.Text(area.left + 10, area.top + 10, Tr("CLiveTrendDlg", "等待采集数据"));
    canvas.Restore();
    return;
  }
  const TrendSpan span = SpanOf(ring, windowSeconds);
  const int height = area.bottom - area.top;
  const int split = area.top + height * 62 / 100;
  const Rect cellsFrame{area.left + 62, area.top + 22, area.right - 62, split - 20};
  const Rect powerFrame{area.left + 62, split + 22, area.right - 62, area.bottom - 20};

  const Plot cells{cellsFrame, span.from, span.to, CellAxis(ring, span, picked)};
  DrawFrame(canvas, cells, "V");
  DrawSeries(canvas, cells, cells.axis, ring, span.first, [](const TrendSample& s) { return s.highest; }, kHighest);
  DrawSeries(canvas, cells, cells.axis, ring, span.first, [](const TrendSample& s) { return s.lowest; }, kLowest);
  DrawSeries(canvas, cells, cells.axis, ring, span.first, [](const TrendSample& s) { return s.mean; }, kMean);
  for (size_t k = 0; k < picked.size(); ++k) {
    const int cell = picked[k];
    DrawSeries(canvas, cells, cells.axis, ring, span.first, [cell](const TrendSample& s) { return PickedCell(s, cell); },
               kPalette[k % std::size(kPalette)]);
  }
  Legend(canvas, cellsFrame.left, area.top + 4,
         {{Tr("CLiveTrendDlg", "最高"), kHighest},
          {Tr("CLiveTrendDlg", "最低"), kLowest},
          {Tr("CLiveTrendDlg", "平均"), kMean}});
  canvas.SetTextAlign(TextAlign::LeftTop);
  int x = cellsFrame.left + 180;
  for (size_t k = 0; k < picked.size() && k < 12; ++k) {
    canvas.SetTextColor(kPalette[k % std::size(kPalette)]);
    char name[48];
    std::snprintf(name, sizeof name, Tr("CLiveTrendDlg", "电池%d"), picked[k] + 1);
    canvas.Text(x, area.top + 4, name);
    x += 50;
  }

  const Series total = [](const TrendSample& s) { return s.total; };
  const Series current = [](const TrendSample& s) { return s.current; };
  const Plot power{powerFrame, span.from, span.to, FitSeries(ring, span.first, total)};
  DrawFrame(canvas, power, "V");
  const ValueAxis currentAxis = FitSeries(ring, span.first, current);
  canvas.SetTextColor(kCurrent);
  canvas.SetTextAlign(TextAlign::LeftTop);
  for (int k = 0; k <= currentAxis.Divisions(); ++k) {
    const double v = currentAxis.low + k * currentAxis.step;
    canvas.Text(powerFrame.right + 4, YOf(power, currentAxis, v) - 6, Number(v, currentAxis.decimals, "A"));
  }
  DrawSeries(canvas, power, power.axis, ring, span.first, total, kTotal);
  DrawSeries(canvas, power, currentAxis, ring, span.first, current, kCurrent);
  Legend(canvas, powerFrame.left, split + 4,
         {{Tr("CLiveTrendDlg", "总电压 (左)"), kTotal}, {Tr("CLiveTrendDlg", "电流 (右)"), kCurrent}});
  canvas.Restore();
}

}  // namespace kx::panel
