#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "../curves/GroupImageBuilder.h"
#include "chart/ChartDraw.h"
#include "chart/ChartRender.h"

namespace {

// Pages of a PDF that Qt wrote: "/Type /Page" objects, not the "/Pages" tree.
int PdfPages(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QByteArray pdf = file.readAll();
  return static_cast<int>(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s])"))));
}

int CountColour(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  return n;
}

TEST(ChartOutput, ImageShowsTheColouredCurvesOnWhite) {
  CCurveGroup group;
  group.m_colors = kx::BuildCurveColors();
  group.LoadGroupImage(kxtest::BuildImage(kxtest::RealisticPoints(50)));
  const QImage image = kx::RenderChartImage(group);
  ASSERT_EQ(image.size(), QSize(890, 560));
  EXPECT_EQ(image.pixel(2, 2) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_GT(CountColour(image, qRgb(0, 0, 0)), 0);  // frame
  // Cell 40 is drawn last, so its colour is on top somewhere along its line.
  EXPECT_GT(CountColour(image, qRgb(136, 197, 197)), 50);

  group.m_visible.fill(0);
  EXPECT_EQ(CountColour(kx::RenderChartImage(group), qRgb(136, 197, 197)), 0);
}

TEST(ChartOutput, PdfIsOneA4PageInPrinterMode) {
  QTemporaryDir dir;
  CCurveGroup group;
  group.m_colors = kx::BuildCurveColors();
  group.LoadGroupImage(kxtest::BuildImage(kxtest::RealisticPoints(250)));
  const QString path = dir.filePath(QStringLiteral("chart.pdf"));
  const QByteArray pdf = kx::RenderChartPdf(group);
  ASSERT_TRUE(pdf.endsWith("%%EOF\n"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(pdf);
  file.close();
  EXPECT_EQ(PdfPages(path), 1);
  // A4 at 600 dpi is 4960 dots wide; the scale comes from the page, not the screen.
  const int plotW = 4960 - 2 * static_cast<int>(4960 * 0.05);
  EXPECT_FLOAT_EQ(group.m_fPixelsPerSecond, static_cast<float>(plotW) / (249 * 60));
}

}  // namespace
