#pragma once
// What the discharge analysis adds to the chart: the end voltage as a line across
// the plot, a marker where each cell reaches it, one cell's curve stressed, and
// (on paper) the verdict above the plot. Drawn after Draw, on the scales Draw
// left in the group. No Qt.

#include <string>
#include <vector>

#include "analysis/Discharge.h"
#include "chart/Canvas.h"

namespace kx {

struct ValueAxis;

struct AnalysisOverlay {
  double endVoltage = 0;  // per cell
  struct Crossing {
    int cell = 0;  // 0-based
    double minutes = 0;
  };
  std::vector<Crossing> crossings;
  int highlightCell = -1;  // 0-based; -1: none
  std::string headline;    // above the plot; empty: none
};

// The end voltage and every cell's crossing of it.
AnalysisOverlay OverlayOf(const analysis::Result& result);

// Draws the overlay over what Draw last drew of group into area (with axis, when
// Draw had one).
void DrawOverlay(const CCurveGroup& group, Canvas& canvas, const Rect& area, const ValueAxis* axis,
                 const AnalysisOverlay& overlay, bool forPrinter);

}  // namespace kx
