#include "chart/ChartDraw.h"

#include "chart/ChartScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

namespace kx {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr const char* kChartFace = "宋体";
constexpr int kChartFontTenths = 120;

struct ModeValues {
  int labelOffset;  // d: right of the plot to the even cells' label column
  int timeDrop;     // e: time axis to the time labels' baseline
};

std::string Format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// Draw ends where a pen or brush cannot be made: keep what is drawn, give the
// target its objects back.
class Drawing {
 public:
  explicit Drawing(Canvas& canvas) : m_canvas(canvas) { m_canvas.Save(); }
  ~Drawing() {
    m_canvas.Restore();
    m_canvas.SetTextAlign(TextAlign::LeftTop);
  }
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

 private:
  Canvas& m_canvas;
};

}  // namespace

int32_t Trunc(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

std::string FormatClock(CurveTime t) {
  const std::time_t when = t;
  std::tm local{};
  if (!localtime_r(&when, &local)) return {};
  char text[32];
  const size_t n = std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return std::string(text, n);
}

std::vector<Rgb> BuildCurveColors() {
  std::vector<Rgb> colors;
  colors.reserve(255);
  for (int i = 0; i < 255; ++i) {
    const int red = ((255 - 49 * i) % 256 + 256) % 256;
    const int greenBlue = (51 * i) % 256;
    colors.push_back({static_cast<uint8_t>(red), static_cast<uint8_t>(greenBlue),
                      static_cast<uint8_t>(greenBlue)});
  }
  return colors;
}

void Draw(CCurveGroup& group, Canvas& canvas, const Rect& area, bool forPrinter, const ValueAxis* axis) {
  group.m_nCurveCount = static_cast<int>(group.m_curves.size());
  if (group.m_nCurveCount == 0) return;
  group.m_nPointCount = static_cast<int>(group.m_curves[0]->m_values.size());

  const ModeValues mode = forPrinter ? ModeValues{150, 120} : ModeValues{25, 25};
  Drawing drawing(canvas);

  if (group.m_bTransparent == 0) {
    if (!canvas.SetPen({PenStyle::Null, 0, kBlack}) || !canvas.SetBrush(group.m_crBack)) return;
    canvas.Rectangle(area);
  }

  // 64-bit sizes: an extreme area must not overflow the subtraction.
  const Rect plot = PlotRect(area);
  const int64_t plotW = int64_t{plot.right} - plot.left;
  const int64_t plotH = int64_t{plot.bottom} - plot.top;

  if (!canvas.SetPen({PenStyle::Solid, 2, group.m_crFrame}) || !canvas.SetBrush(group.m_crPlot)) return;
  canvas.Rectangle(plot);

  // A group whose points share one time has no time span: every point goes to
  // the left edge instead of dividing by zero.
  const int64_t span = int64_t{group.m_endTime} - group.m_startTime;
  group.m_fPixelsPerSecond = span == 0 ? 0.0f : static_cast<float>(plotW) / static_cast<float>(span);
  group.m_fPixelsPerVolt = axis ? static_cast<float>(plotH / (axis->high - axis->low))
                                : static_cast<float>(plotH) * 0.06666667f;
  const float pps = group.m_fPixelsPerSecond;
  const float ppv = group.m_fPixelsPerVolt;
  // The fixed axis is 0..15 V by 1 V; a fitted one starts at its low end.
  const float lowVolts = axis ? static_cast<float>(axis->low) : 0.0f;
  const float divisionPixels = axis ? static_cast<float>(axis->step) * ppv : ppv;

  if (!canvas.SetPen({PenStyle::DashDotDot, 1, group.m_crGrid})) return;

  const int timeDivs = group.m_nTimeDivs;
  const int valueDivs = axis ? axis->Divisions() : group.m_nValueDivs;
  const double timeStep = timeDivs > 0 ? static_cast<double>(plotW) / timeDivs : 0.0;
  const double valueStep = valueDivs > 0 ? static_cast<double>(plotH) / valueDivs : 0.0;
  const int32_t gridBottom = Trunc(plot.top + valueDivs * valueStep);
  for (int i = 0; i <= timeDivs; ++i) {
    const int32_t x = Trunc(plot.right - i * timeStep);
    canvas.MoveTo(x, plot.top);
    canvas.LineTo(x, gridBottom);
  }

  canvas.SetFont(kChartFace, kChartFontTenths);
  canvas.SetTextAlign(TextAlign::RightBaseline);
  canvas.SetTextColor(kBlack);
  canvas.SetTransparentBackground();

  for (int i = 0; i <= valueDivs; ++i) {
    const float y = static_cast<float>(plot.top) + static_cast<float>(i) * divisionPixels;
    const int32_t yi = Trunc(y);
    if (i > 0 && i < valueDivs) {
      canvas.MoveTo(plot.left, yi);
      canvas.LineTo(Trunc(plot.left + static_cast<double>(plotW)), yi);
    }
    canvas.Text(plot.left - 3, yi,
                axis ? AxisLabel(*axis, axis->high - i * axis->step) : Format("%0.1fV", valueDivs - i));
  }

  // The last curve is the total voltage and is never drawn.
  for (int k = 0; k <= group.m_nCurveCount - 2 && k < kCellCount; ++k) {
    if (group.m_visible[k] == 0) continue;
    const Rgb color = forPrinter ? kBlack : (k < static_cast<int>(group.m_colors.size()) ? group.m_colors[k] : kBlack);
    canvas.Save();
    if (!canvas.SetPen(forPrinter ? Pen{PenStyle::Solid, 15, kBlack} : Pen{PenStyle::Solid, 2, color})) {
      canvas.Restore();
      return;
    }
    const CCurve& curve = *group.m_curves[k];
    const size_t n = std::min(curve.m_times.size(), curve.m_values.size());
    for (size_t j = n; j-- > 0;) {
      const float dx = static_cast<float>(int64_t{curve.m_times[j]} - group.m_startTime) * pps;
      const float dy = (curve.m_values[j] - lowVolts) * ppv;
      const int32_t x = Trunc(static_cast<double>(plot.left) + dx);
      const int32_t y = Trunc(static_cast<double>(plot.bottom) - dy);
      if (j + 1 == n) {
        canvas.MoveTo(x, y);
        canvas.SetTextColor(color);
        const int32_t labelX = (k % 2 == 1) ? plot.right + mode.labelOffset : plot.right + 2 * mode.labelOffset - 5;
        char label[16];
        std::snprintf(label, sizeof label, "#%d", k + 1);
        canvas.Text(labelX, Trunc(static_cast<double>(plot.bottom) - dy + 4), label);
      } else {
        canvas.LineTo(x, y);
      }
    }
    canvas.Restore();
  }

  canvas.SetTextColor(kBlack);
  canvas.Text(plot.left + 50, plot.bottom + mode.timeDrop, FormatClock(group.m_startTime));
  canvas.Text(plot.right + 20, plot.bottom + mode.timeDrop, FormatClock(group.m_endTime));

  const CCurve& first = *group.m_curves[0];
  const int markers = std::min(group.m_nPointCount, static_cast<int>(first.m_times.size()));
  for (int i = 0; i < markers; ++i) {
    const float xf = static_cast<float>(int64_t{first.m_times[i]} - group.m_startTime) * pps +
                     static_cast<float>(plot.left);
    canvas.Ellipse({Trunc(xf - 3.0f), plot.bottom - 3, Trunc(xf + 3.0f), plot.bottom + 3});
  }
}

}  // namespace kx
