#pragma once

#include <QColor>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

namespace kxtest {

// Paints a widget onto white, without its window background, as it shows on the panel.
inline QImage Render(QWidget& w) {
  QImage img(w.size(), QImage::Format_ARGB32);
  img.fill(Qt::white);
  w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
  return img;
}

inline QColor At(const QImage& img, int x, int y) {
  return QColor(img.pixel(x, y));
}

// Bounding box of the pixels that satisfy pred; null when there are none.
inline QRect InkBox(const QImage& img, const std::function<bool(QColor)>& pred) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (pred(QColor(img.pixel(x, y)))) box |= QRect(x, y, 1, 1);
  return box;
}

inline bool IsRed(QColor c) {
  return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}
inline bool IsDark(QColor c) {
  return std::max({c.red(), c.green(), c.blue()}) < 100;
}

// A single-size icon file of one flat colour.
inline QString WriteFlatIcon(const QDir& dir, const QString& name, int size, QColor colour) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(colour);
  const QString path = dir.filePath(name);
  QImageWriter writer(path, "ico");
  return writer.write(img) ? path : QString();
}

}  // namespace kxtest
