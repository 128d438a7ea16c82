#pragma once
// Off-screen renderings of the chart, shared by the viewer's printing and the
// command-line tool's image and PDF export.

#include <QByteArray>
#include <QSize>
#include <QString>

#include "curves/CurveGroup.h"

class QImage;
class QPaintDevice;

namespace kx {

struct AnalysisOverlay;

// Every rendering takes autoScale: the voltage axis fitted to the visible cells
// (FitVisibleCells) instead of the fixed 0..15 V one.

// White, then the chart in screen mode over the whole image.
QImage RenderChartImage(CCurveGroup& group, QSize size = QSize(890, 560), bool autoScale = false);

// One page: the chart in printer mode over the device's printable area
// (0, 0, width, height) in its own dots, with the analysis's overlay when given
// (the axis then reaches its end voltage). False when the page cannot be started.
bool DrawChartPage(CCurveGroup& group, QPaintDevice& page, bool autoScale = false,
                   const AnalysisOverlay* overlay = nullptr);

// An A4 portrait PDF page at 600 dpi without margins, titled "SimplePrintDoc";
// empty when it cannot be drawn. Rendered in memory: files are written whole by
// the file module or not at all.
QByteArray RenderChartPdf(CCurveGroup& group, bool autoScale = false);
// RenderChartImage as PNG bytes; empty on failure.
QByteArray RenderChartPng(CCurveGroup& group, QSize size = QSize(890, 560), bool autoScale = false);

}  // namespace kx
