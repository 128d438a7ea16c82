// Draws all of the program's artwork: the button icons (Picture/*.ICO), the application
// icon in its sizes and the 15 x 15 tree bitmap. Run it through the CMake target
// kx_artwork after changing a drawing; the results are committed beside this folder.
//
//   draw_artwork <res-directory>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QColor kBlue(0, 91, 183);         // the panel's outline blue
const QColor kDeepBlue(0, 62, 133);     // shadows and outlines of filled shapes
const QColor kMidBlue(64, 140, 220);    // secondary fills
const QColor kPaleBlue(210, 233, 255);  // the group frames' light line
const QColor kWhite(255, 255, 255);
const QColor kAmber(240, 160, 20);      // the one accent: time, activity

// Every icon is drawn on a 32-unit square; the painter scales it to the target size.
using Drawing = std::function<void(QPainter&)>;

QPen Stroke(const QColor& c, double w) {
  QPen p(c, w);
  p.setJoinStyle(Qt::RoundJoin);
  p.setCapStyle(Qt::RoundCap);
  return p;
}

QImage Render(const Drawing& draw, int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  draw(p);
  p.end();
  return img.convertToFormat(QImage::Format_ARGB32);
}

// --- button icons --------------------------------------------------------------------

void DrawOpen(QPainter& p) {
  // Folder back with its tab.
  QPainterPath back;
  back.moveTo(3, 8);
  back.lineTo(3, 26);
  back.lineTo(27, 26);
  back.lineTo(27, 10);
  back.lineTo(15, 10);
  back.lineTo(12.5, 6.5);
  back.lineTo(4.5, 6.5);
  back.closeSubpath();
  p.setPen(Stroke(kDeepBlue, 1.5));
  p.setBrush(kBlue);
  p.drawPath(back);
  // Sheet sticking out of the folder.
  p.setPen(Stroke(kBlue, 1.2));
  p.setBrush(kWhite);
  p.drawRect(QRectF(7, 8.5, 17, 12));
  // Front flap, tilted open.
  QPainterPath front;
  front.moveTo(3, 26);
  front.lineTo(7.5, 14);
  front.lineTo(30.5, 14);
  front.lineTo(27, 26);
  front.closeSubpath();
  p.setPen(Stroke(kDeepBlue, 1.5));
  p.setBrush(kMidBlue);
  p.drawPath(front);
}

void DrawSave(QPainter& p) {
  QPainterPath body;
  body.moveTo(4, 4);
  body.lineTo(24, 4);
  body.lineTo(28, 8);
  body.lineTo(28, 28);
  body.lineTo(4, 28);
  body.closeSubpath();
  p.setPen(Stroke(kDeepBlue, 1.5));
  p.setBrush(kBlue);
  p.drawPath(body);
  // Shutter with its window.
  p.setPen(Qt::NoPen);
  p.setBrush(kPaleBlue);
  p.drawRect(QRectF(9, 4.8, 13, 8));
  p.setBrush(kBlue);
  p.drawRect(QRectF(17.5, 6, 3, 5.5));
  // Label.
  p.setBrush(kWhite);
  p.drawRoundedRect(QRectF(8, 17, 16, 10), 1.2, 1.2);
  p.setPen(Stroke(kMidBlue, 1.2));
  p.drawLine(QPointF(11, 20.5), QPointF(21, 20.5));
  p.drawLine(QPointF(11, 23.5), QPointF(19, 23.5));
}

void DrawCurve(QPainter& p) {
  // Chart paper.
  p.setPen(Stroke(kBlue, 1.5));
  p.setBrush(kWhite);
  p.drawRoundedRect(QRectF(3, 4, 26, 24), 2, 2);
  p.setPen(QPen(kPaleBlue, 1));
  for (double y : {10.0, 16.0, 22.0}) p.drawLine(QPointF(7, y), QPointF(27, y));
  // Axes.
  p.setPen(Stroke(kDeepBlue, 2));
  p.drawLine(QPointF(7, 7), QPointF(7, 25));
  p.drawLine(QPointF(7, 25), QPointF(27, 25));
  // Two cell curves.
  QPainterPath a;
  a.moveTo(8, 20);
  a.cubicTo(12, 9, 16, 9, 19, 15);
  a.cubicTo(21.5, 20, 24, 15, 26.5, 9);
  p.setPen(Stroke(kBlue, 2.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(a);
  QPainterPath b;
  b.moveTo(8, 22.5);
  b.cubicTo(13, 19, 18, 21, 26.5, 16);
  p.setPen(Stroke(kAmber, 1.8));
  p.drawPath(b);
}

// A dial with a needle: one reading of the measurements.
void DrawGauge(QPainter& p) {
  const QPointF c(16, 18);
  p.setPen(Stroke(kDeepBlue, 1.5));
  p.setBrush(kBlue);
  p.drawEllipse(c, 13, 13);
  p.setPen(Qt::NoPen);
  p.setBrush(kWhite);
  p.drawEllipse(c, 10, 10);
  // Scale ticks over the upper arc.
  p.setPen(Stroke(kBlue, 1.6));
  for (int i = 0; i <= 4; ++i) {
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(-150 + i * 30);
    p.drawLine(t.map(QPointF(7.5, 0)), t.map(QPointF(9.3, 0)));
  }
  // Needle and hub.
  QTransform t;
  t.translate(c.x(), c.y());
  t.rotate(-60);
  p.setPen(Stroke(kAmber, 2.2));
  p.drawLine(c, t.map(QPointF(8, 0)));
  p.setPen(Qt::NoPen);
  p.setBrush(kDeepBlue);
  p.drawEllipse(c, 2.2, 2.2);
}

void DrawAcquire(QPainter& p) {
  DrawGauge(p);
}

void DrawContinuous(QPainter& p) {
  // The same dial with a badge of a circling arrow: readings keep coming.
  p.save();
  p.translate(-1, -3);
  p.scale(0.9, 0.9);
  DrawGauge(p);
  p.restore();
  const QPointF b(23.5, 23.5);
  p.setPen(Stroke(kWhite, 1.5));
  p.setBrush(kAmber);
  p.drawEllipse(b, 8, 8);
  p.setPen(Stroke(kWhite, 2.2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(b.x() - 4.5, b.y() - 4.5, 9, 9), 100 * 16, 260 * 16);
  QPainterPath head;
  head.moveTo(b.x() - 1.2, b.y() - 7.2);
  head.lineTo(b.x() + 2.6, b.y() - 4.5);
  head.lineTo(b.x() - 1.2, b.y() - 1.8);
  head.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(kWhite);
  p.drawPath(head);
}

void DrawClock(QPainter& p) {
  const QPointF c(16, 16);
  p.setPen(Stroke(kDeepBlue, 1.5));
  p.setBrush(kBlue);
  p.drawEllipse(c, 14, 14);
  p.setPen(Qt::NoPen);
  p.setBrush(kWhite);
  p.drawEllipse(c, 11, 11);
  p.setPen(Stroke(kBlue, 1.8));
  for (int i = 0; i < 12; i += 3) {
    QTransform t;
    t.translate(c.x(), c.y());
    t.rotate(i * 30);
    p.drawLine(t.map(QPointF(0, -8.5)), t.map(QPointF(0, -10)));
  }
  p.setPen(Stroke(kDeepBlue, 2.4));
  p.drawLine(c, QPointF(16, 8));
  p.setPen(Stroke(kAmber, 2.2));
  p.drawLine(c, QPointF(22, 19));
  p.setPen(Qt::NoPen);
  p.setBrush(kDeepBlue);
  p.drawEllipse(c, 1.8, 1.8);
}

void DrawRead(QPainter& p) {
  // The unit: a box with a display, and an arrow bringing its data down into a tray.
  p.setPen(Stroke(kDeepBlue, 1.5));
  p.setBrush(kBlue);
  p.drawRoundedRect(QRectF(6, 2.5, 20, 11), 2, 2);
  p.setPen(Qt::NoPen);
  p.setBrush(kPaleBlue);
  p.drawRect(QRectF(9, 5.5, 10, 5));
  p.setBrush(kAmber);
  p.drawEllipse(QPointF(22.5, 8), 1.6, 1.6);
  // Arrow.
  QPainterPath arrow;
  arrow.moveTo(13.5, 13);
  arrow.lineTo(18.5, 13);
  arrow.lineTo(18.5, 18);
  arrow.lineTo(22.5, 18);
  arrow.lineTo(16, 24.5);
  arrow.lineTo(9.5, 18);
  arrow.lineTo(13.5, 18);
  arrow.closeSubpath();
  p.setPen(Stroke(kAmber.darker(130), 1));
  p.setBrush(kAmber);
  p.drawPath(arrow);
  // Tray.
  QPainterPath tray;
  tray.moveTo(4, 22);
  tray.lineTo(4, 29);
  tray.lineTo(28, 29);
  tray.lineTo(28, 22);
  p.setPen(Stroke(kBlue, 2.6));
  p.setBrush(Qt::NoBrush);
  p.drawPath(tray);
}

// --- application icon ----------------------------------------------------------------

void DrawApp(QPainter& p) {
  // Blue tile, a battery cell and the pulse of a measured voltage.
  QLinearGradient bg(0, 0, 0, 32);
  bg.setColorAt(0, kBlue.lighter(125));
  bg.setColorAt(1, kDeepBlue);
  p.setPen(Qt::NoPen);
  p.setBrush(bg);
  p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
  // Battery.
  p.setPen(Stroke(kWhite, 2));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(5, 9, 19, 14), 2, 2);
  p.setPen(Qt::NoPen);
  p.setBrush(kWhite);
  p.drawRoundedRect(QRectF(24.5, 13, 3, 6), 1, 1);
  // Pulse across the battery.
  QPainterPath pulse;
  pulse.moveTo(7.5, 16);
  pulse.lineTo(11, 16);
  pulse.lineTo(13, 11.5);
  pulse.lineTo(16, 20.5);
  pulse.lineTo(18, 16);
  pulse.lineTo(21.5, 16);
  p.setPen(Stroke(QColor(255, 196, 64), 2));
  p.drawPath(pulse);
}

// --- tree bitmap ---------------------------------------------------------------------

// 15 x 15, pure black is the mask colour, so nothing drawn may be black. Drawn pixel by
// pixel without smoothing: edges blended into black would show as dark fringes.
QImage DrawTreeBitmap() {
  QImage img(15, 15, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  // A small battery cell lying on its side.
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawRect(1, 4, 11, 8);    // outline
  p.drawRect(12, 6, 2, 4);    // terminal
  p.setBrush(kWhite);
  p.drawRect(2, 5, 9, 6);     // inside
  p.setBrush(kMidBlue);
  p.drawRect(3, 6, 5, 4);     // charge level
  p.setBrush(kPaleBlue);
  p.drawRect(3, 6, 5, 1);     // highlight on the charge
  p.end();
  return img;
}

// --- ICO container -------------------------------------------------------------------

// Qt's ICO writer stores one image per file; the buttons want several sizes in one, so
// the container is written here: 32-bit DIB entries with an all-clear AND mask, which
// every ICO reader accepts.
QByteArray MakeIco(const std::vector<QImage>& images) {
  QByteArray out;
  auto put16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); out.append(b, 2); };
  auto put32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); out.append(b, 4); };
  std::vector<QByteArray> dibs;
  for (const QImage& src : images) {
    const QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    QByteArray dib;
    auto d16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); dib.append(b, 2); };
    auto d32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); dib.append(b, 4); };
    d32(40); d32(w); d32(2 * h); d16(1); d16(32); d32(0);
    const int maskStride = ((w + 31) / 32) * 4;
    d32(w * h * 4 + maskStride * h); d32(0); d32(0); d32(0); d32(0);
    for (int y = h - 1; y >= 0; --y) {
      const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
      for (int x = 0; x < w; ++x) {
        const QRgb c = line[x];
        const char px[4] = {char(qBlue(c)), char(qGreen(c)), char(qRed(c)), char(qAlpha(c))};
        dib.append(px, 4);
      }
    }
    // AND mask: set where fully transparent, for readers that ignore alpha.
    for (int y = h - 1; y >= 0; --y) {
      QByteArray row(maskStride, '\0');
      const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
      for (int x = 0; x < w; ++x)
        if (qAlpha(line[x]) == 0) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
      dib.append(row);
    }
    dibs.push_back(dib);
  }
  put16(0); put16(1); put16(quint16(images.size()));
  quint32 offset = 6 + 16 * quint32(images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int w = images[i].width(), h = images[i].height();
    out.append(char(w >= 256 ? 0 : w));
    out.append(char(h >= 256 ? 0 : h));
    out.append('\0');  // no palette
    out.append('\0');
    put16(1); put16(32);
    put32(quint32(dibs[i].size()));
    put32(offset);
    offset += quint32(dibs[i].size());
  }
  for (const QByteArray& d : dibs) out.append(d);
  return out;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool WriteIco(const QString& path, const Drawing& draw, std::initializer_list<int> sizes) {
  std::vector<QImage> images;
  for (int s : sizes) images.push_back(Render(draw, s));
  return WriteFile(path, MakeIco(images));
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_artwork <res-directory>\n");
    return 2;
  }
  const QDir res(QString::fromLocal8Bit(argv[1]));
  if (!res.mkpath("Picture") || !res.mkpath("icons")) {
    std::fprintf(stderr, "cannot create folders below %s\n", argv[1]);
    return 1;
  }
  bool ok = true;
  // Largest first: a reader that takes the first entry gets the sharpest picture.
  const auto buttonSizes = {48, 32, 24, 16};
  ok &= WriteIco(res.filePath("Picture/open.ICO"), DrawOpen, buttonSizes);
  ok &= WriteIco(res.filePath("Picture/save.ICO"), DrawSave, buttonSizes);
  ok &= WriteIco(res.filePath(QStringLiteral("Picture/曲线.ICO")), DrawCurve, buttonSizes);
  ok &= WriteIco(res.filePath(QStringLiteral("Picture/采集.ICO")), DrawAcquire, buttonSizes);
  ok &= WriteIco(res.filePath(QStringLiteral("Picture/连续采集.ICO")), DrawContinuous,
                 buttonSizes);
  ok &= WriteIco(res.filePath(QStringLiteral("Picture/时间.ICO")), DrawClock, buttonSizes);
  ok &= WriteIco(res.filePath(QStringLiteral("Picture/读取.ICO")), DrawRead, buttonSizes);

  ok &= WriteIco(res.filePath("kx4200.ico"), DrawApp, {48, 32, 24, 16});
  for (int s : {16, 24, 32, 48, 64, 128, 256})
    ok &= Render(DrawApp, s).save(res.filePath(QString("icons/kx4200-%1.png").arg(s)), "PNG");
  ok &= Render(DrawApp, 128).save(res.filePath("app128.png"), "PNG");
  ok &= DrawTreeBitmap().convertToFormat(QImage::Format_RGB888).save(
      res.filePath("tree135.bmp"), "BMP");
  if (!ok) return 1;
  std::printf("artwork written to %s\n", qPrintable(res.absolutePath()));
  return 0;
}
