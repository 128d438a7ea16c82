#pragma once

#include <QImage>
#include <QString>
#include <vector>

class QPaintDevice;
class QPainter;

namespace kx {
// Path of a picture file of the program ("open.ICO" …): Picture/<name> below the current
// directory, else beside the executable, else in the installed share folder. When none
// exists the first of these is returned, so that loading it fails as a missing file.
QString FindPictureFile(const QString& name);
}  // namespace kx

// Holds one decoded picture file. An .ICO file carries several sizes; the one nearest to
// the nominal size counts as the picture's own size, and drawing picks whichever size
// suits the device's pixels best.
class CIconPicture {
 public:
  CIconPicture() = default;
  CIconPicture(const CIconPicture&) = delete;
  CIconPicture& operator=(const CIconPicture&) = delete;

  // 0 when the file cannot be opened (what was held stays); otherwise 1, with m_bLoaded
  // telling whether the content decoded.
  int LoadFromFile(const QString& path);

  // Size in pixels of the target device: the nominal image's pixels at 96 dpi, scaled by
  // the device's logical resolution. 0 when nothing is held.
  double WidthPixels(const QPaintDevice* device) const;
  double HeightPixels(const QPaintDevice* device) const;

  // Draws the picture with its top-left corner at (x, y), trunc(width) × trunc(height).
  // 1 when drawn, 0 without an active painter or a picture.
  int RenderAt(QPainter* painter, int x, int y) const;

  // Which of the file's sizes is the picture's own (pixels at 96 dpi); default 16.
  void SetNominalSize(int px);
  int NominalSize() const { return m_nNominal; }
  int ImageCount() const { return static_cast<int>(m_images.size()); }

  int m_bLoaded = 0;

 private:
  const QImage* Nominal() const;
  const QImage& BestForPixels(int w, int h) const;

  std::vector<QImage> m_images;
  int m_nNominal = 16;
};
