#include "widgets/IconPicture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QtMath>
#include <cmath>
#include <cstdlib>

namespace kx {
QString FindPictureFile(const QString& name) {
  const QString rel = QStringLiteral("Picture/") + name;
  QStringList candidates{QDir::current().filePath(rel)};
  if (QCoreApplication::instance()) {
    const QDir exeDir(QCoreApplication::applicationDirPath());
    candidates << exeDir.filePath(rel)
               // Installed layout: <prefix>/bin/kx4200 and <prefix>/share/kx4200/Picture.
               << exeDir.filePath(QStringLiteral("../share/kx4200/") + rel);
  }
#ifdef KX_INSTALLED_PICTURE_DIR
  candidates << QDir(QStringLiteral(KX_INSTALLED_PICTURE_DIR)).filePath(name);
#endif
  for (const QString& c : candidates)
    if (QFileInfo(c).isFile()) return QDir::cleanPath(c);
  // Started from any other folder: the artwork built into the program.
  const QString builtIn = QStringLiteral(":/res/Picture/") + name;
  if (QFileInfo(builtIn).isFile()) return builtIn;
  return candidates.front();
}
}  // namespace kx

int CIconPicture::LoadFromFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return 0;
  m_images.clear();
  m_bLoaded = 0;
  QImageReader reader(&file);
  reader.setDecideFormatFromContent(true);
  const int count = reader.imageCount();
  if (count > 1) {
    for (int i = 0; i < count; ++i) {
      if (!reader.jumpToImage(i)) break;
      QImage img = reader.read();
      if (!img.isNull()) m_images.push_back(std::move(img));
    }
  } else {
    QImage img = reader.read();
    if (!img.isNull()) m_images.push_back(std::move(img));
  }
  m_bLoaded = m_images.empty() ? 0 : 1;
  return 1;
}

void CIconPicture::SetNominalSize(int px) {
  if (px > 0) m_nNominal = px;
}

const QImage* CIconPicture::Nominal() const {
  const QImage* best = nullptr;
  for (const QImage& img : m_images) {
    if (!best) {
      best = &img;
      continue;
    }
    const int d = std::abs(img.width() - m_nNominal);
    const int bd = std::abs(best->width() - m_nNominal);
    if (d < bd || (d == bd && img.width() > best->width())) best = &img;
  }
  return best;
}

const QImage& CIconPicture::BestForPixels(int w, int h) const {
  // The smallest image that covers the target without enlarging, else the largest.
  const QImage* best = nullptr;
  const QImage* largest = &m_images.front();
  for (const QImage& img : m_images) {
    if (img.width() * img.height() > largest->width() * largest->height()) largest = &img;
    if (img.width() >= w && img.height() >= h &&
        (!best || img.width() * img.height() < best->width() * best->height()))
      best = &img;
  }
  return best ? *best : *largest;
}

double CIconPicture::WidthPixels(const QPaintDevice* device) const {
  const QImage* img = Nominal();
  if (!img || !device) return 0;
  return img->width() * device->logicalDpiX() / 96.0;
}

double CIconPicture::HeightPixels(const QPaintDevice* device) const {
  const QImage* img = Nominal();
  if (!img || !device) return 0;
  return img->height() * device->logicalDpiY() / 96.0;
}

int CIconPicture::RenderAt(QPainter* painter, int x, int y) const {
  if (!painter || !painter->isActive() || m_images.empty()) return 0;
  const QPaintDevice* device = painter->device();
  const int w = static_cast<int>(WidthPixels(device));
  const int h = static_cast<int>(HeightPixels(device));
  const qreal ratio = device->devicePixelRatioF();
  const QImage& src = BestForPixels(qCeil(w * ratio), qCeil(h * ratio));
  painter->save();
  painter->setRenderHint(QPainter::SmoothPixmapTransform);
  painter->drawImage(QRect(x, y, w, h), src);
  painter->restore();
  return 1;
}
