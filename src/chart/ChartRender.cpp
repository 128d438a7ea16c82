#include "chart/ChartRender.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "chart/ChartDraw.h"
#include "chart/QPainterCanvas.h"

namespace kx {

QImage RenderChartImage(CCurveGroup& group, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QPainterCanvas canvas(painter);
  Draw(group, canvas, Rect{0, 0, size.width(), size.height()}, false);
  return image;
}

bool DrawChartPage(CCurveGroup& group, QPaintDevice& page) {
  QPainter painter;
  if (!painter.begin(&page)) return false;
  QPainterCanvas canvas(painter);
  Draw(group, canvas, Rect{0, 0, page.width(), page.height()}, true);
  return painter.end();
}

QByteArray RenderChartPdf(CCurveGroup& group) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setTitle(QStringLiteral("SimplePrintDoc"));
  writer.setResolution(600);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  if (!DrawChartPage(group, writer)) return {};
  return bytes;
}

QByteArray RenderChartPng(CCurveGroup& group, QSize size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!RenderChartImage(group, size).save(&buffer, "PNG")) return {};
  return bytes;
}

}  // namespace kx
