#include "chart/ChartOverlay.h"

#include <algorithm>
#include <cstdio>

#include "analysis/AnalysisText.h"
#include "chart/ChartDraw.h"
#include "chart/ChartScale.h"
#include "texts/Translate.h"

namespace kx {

namespace {

// Blue: every curve colour has equal green and blue, so no curve is this.
constexpr Rgb kLineColor{0, 70, 220};
constexpr Rgb kWhite{255, 255, 255};

struct Sizes {
  int line, marker, ring, highlight;
};

}  // namespace

AnalysisOverlay OverlayOf(const analysis::Result& result) {
  AnalysisOverlay o;
  o.endVoltage = result.endVoltage;
  for (const analysis::CellResult& c : result.cells)
    if (c.endMin) o.crossings.push_back({c.cell, *c.endMin});
  return o;
}

void DrawOverlay(const CCurveGroup& group, Canvas& canvas, const Rect& area, const ValueAxis* axis,
                 const AnalysisOverlay& overlay, bool forPrinter) {
  if (group.m_curves.empty()) return;
  const Sizes size = forPrinter ? Sizes{10, 30, 8, 30} : Sizes{2, 4, 2, 5};
  const Rect plot = PlotRect(area);
  const double pps = group.m_fPixelsPerSecond, ppv = group.m_fPixelsPerVolt;
  const double low = axis ? axis->low : 0.0;
  const auto x = [&](double seconds) { return Trunc(plot.left + seconds * pps); };
  const auto y = [&](double volts) { return Trunc(plot.bottom - (volts - low) * ppv); };

  canvas.Save();
  const int cell = overlay.highlightCell;
  if (cell >= 0 && cell < kCellCount && cell < static_cast<int>(group.m_curves.size())) {
    const Rgb color = forPrinter || cell >= static_cast<int>(group.m_colors.size()) ? Rgb{} : group.m_colors[cell];
    if (canvas.SetPen({PenStyle::Solid, size.highlight, color})) {
      const CCurve& curve = *group.m_curves[cell];
      const size_t n = std::min(curve.m_times.size(), curve.m_values.size());
      for (size_t j = 0; j < n; ++j) {
        const int32_t px = x(static_cast<double>(curve.m_times[j] - group.m_startTime));
        const int32_t py = y(curve.m_values[j]);
        if (j == 0)
          canvas.MoveTo(px, py);
        else
          canvas.LineTo(px, py);
      }
    }
  }

  const int32_t lineY = y(overlay.endVoltage);
  if (canvas.SetPen({PenStyle::Solid, size.line, kLineColor})) {
    canvas.MoveTo(plot.left, lineY);
    canvas.LineTo(plot.right, lineY);
  }
  canvas.SetFont("宋体", 120);
  canvas.SetTransparentBackground();
  canvas.SetTextColor(kLineColor);
  // Under the line at the left: a discharge's curves are still above it there,
  // and the crossings crowd the right.
  canvas.SetTextAlign(TextAlign::LeftTop);
  canvas.Text(plot.left + 2 * size.marker, lineY + size.marker,
              analysis::Format(Tr("Chart", "终止电压 %sV"), analysis::Fixed(overlay.endVoltage, 3).c_str()));
  if (canvas.SetPen({PenStyle::Solid, size.ring, kLineColor}) && canvas.SetBrush(kWhite)) {
    for (const AnalysisOverlay::Crossing& c : overlay.crossings) {
      const int32_t cx = x(c.minutes * 60.0);
      canvas.Ellipse({cx - size.marker, lineY - size.marker, cx + size.marker, lineY + size.marker});
    }
  }
  if (!overlay.headline.empty()) {
    canvas.SetTextColor(Rgb{});
    canvas.SetTextAlign(TextAlign::LeftTop);
    canvas.Text(plot.left, area.top + (plot.top - area.top) / 4, overlay.headline);
  }
  canvas.Restore();
  canvas.SetTextAlign(TextAlign::LeftTop);
}

}  // namespace kx
