#include "chart/ChartRender.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <optional>

#include "chart/ChartDraw.h"
#include "chart/ChartOverlay.h"
#include "chart/ChartScale.h"
#include "chart/QPainterCanvas.h"

namespace kx {

namespace {
std::optional<ValueAxis> AxisFor(const CCurveGroup& group, bool autoScale, const AnalysisOverlay* overlay = nullptr) {
  if (!autoScale) return std::nullopt;
  return FitVisibleCells(group, overlay ? std::optional(overlay->endVoltage) : std::nullopt);
}
}  // namespace

QImage RenderChartImage(CCurveGroup& group, QSize size, bool autoScale) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QPainterCanvas canvas(painter);
  const auto axis = AxisFor(group, autoScale);
  Draw(group, canvas, Rect{0, 0, size.width(), size.height()}, false, axis ? &*axis : nullptr);
  return image;
}

bool DrawChartPage(CCurveGroup& group, QPaintDevice& page, bool autoScale, const AnalysisOverlay* overlay) {
  QPainter painter;
  if (!painter.begin(&page)) return false;
  QPainterCanvas canvas(painter);
  const auto axis = AxisFor(group, autoScale, overlay);
  const Rect area{0, 0, page.width(), page.height()};
  Draw(group, canvas, area, true, axis ? &*axis : nullptr);
  if (overlay) DrawOverlay(group, canvas, area, axis ? &*axis : nullptr, *overlay, true);
  return painter.end();
}

QByteArray RenderChartPdf(CCurveGroup& group, bool autoScale) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(QStringLiteral("SimplePrintDoc"));
  writer.setResolution(600);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  if (!DrawChartPage(group, writer, autoScale)) return {};
  return bytes;
}

QByteArray RenderChartPng(CCurveGroup& group, QSize size, bool autoScale) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!RenderChartImage(group, size, autoScale).save(&buffer, "PNG")) return {};
  return bytes;
}

}  // namespace kx
