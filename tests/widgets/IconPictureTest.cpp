#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "RenderHelpers.h"
#include "widgets/IconPicture.h"

namespace {

QImage DeviceAtDpi(int dpi) {
  QImage img(64, 64, QImage::Format_ARGB32);
  img.setDotsPerMeterX(qRound(dpi / 0.0254));
  img.setDotsPerMeterY(qRound(dpi / 0.0254));
  img.fill(Qt::white);
  return img;
}

// The seven button icons as committed: each decodes and carries the sizes the panel uses.
TEST(ArtworkTest, ButtonIconsHoldEverySize) {
  const QDir pictures(QStringLiteral(KX_RES_DIR "/Picture"));
  const QImage screen = DeviceAtDpi(96);
  for (const char* name : {"open.ICO", "save.ICO", "曲线.ICO", "采集.ICO", "连续采集.ICO",
                           "时间.ICO", "读取.ICO"}) {
    SCOPED_TRACE(name);
    CIconPicture icon;
    ASSERT_EQ(icon.LoadFromFile(pictures.filePath(QString::fromUtf8(name))), 1);
    EXPECT_EQ(icon.m_bLoaded, 1);
    for (int size : {16, 24, 32}) {
      icon.SetNominalSize(size);
      EXPECT_EQ(icon.WidthPixels(&screen), size);
      EXPECT_EQ(icon.HeightPixels(&screen), size);
    }
  }
}

TEST(ArtworkTest, TreeBitmapIsFifteenSquareOnBlack) {
  const QImage tree(QStringLiteral(KX_RES_DIR "/tree135.bmp"));
  ASSERT_FALSE(tree.isNull());
  EXPECT_EQ(tree.size(), QSize(15, 15));
  // Black is the mask: the corners are masked, the middle is drawn.
  EXPECT_EQ(QColor(tree.pixel(0, 0)), QColor(Qt::black));
  EXPECT_NE(QColor(tree.pixel(7, 7)), QColor(Qt::black));
}

TEST(IconPictureTest, SizeFollowsTheDeviceResolution) {
  QTemporaryDir dir;
  const QString path = kxtest::WriteFlatIcon(QDir(dir.path()), "a.ico", 32, Qt::blue);
  ASSERT_FALSE(path.isEmpty());
  CIconPicture icon;
  const QImage at96 = DeviceAtDpi(96), at192 = DeviceAtDpi(192);
  EXPECT_EQ(icon.WidthPixels(&at96), 0);  // nothing held yet
  ASSERT_EQ(icon.LoadFromFile(path), 1);
  // A file with one size: that size is the picture's own, whatever the nominal size.
  EXPECT_EQ(icon.WidthPixels(&at96), 32);
  EXPECT_EQ(icon.HeightPixels(&at192), 64);

  QImage target = DeviceAtDpi(96);
  QPainter p(&target);
  EXPECT_EQ(icon.RenderAt(&p, 10, 20), 1);
  p.end();
  EXPECT_EQ(kxtest::InkBox(target, [](QColor c) { return c == QColor(Qt::blue); }),
            QRect(10, 20, 32, 32));
  EXPECT_EQ(icon.RenderAt(nullptr, 0, 0), 0);
}

TEST(IconPictureTest, MissingFileKeepsWhatWasHeld) {
  QTemporaryDir dir;
  const QString path = kxtest::WriteFlatIcon(QDir(dir.path()), "a.ico", 16, Qt::blue);
  CIconPicture icon;
  ASSERT_EQ(icon.LoadFromFile(path), 1);
  EXPECT_EQ(icon.LoadFromFile(QDir(dir.path()).filePath("gone.ico")), 0);
  EXPECT_EQ(icon.m_bLoaded, 1);
  EXPECT_EQ(icon.ImageCount(), 1);
}

// Icons are found below the current directory first, then the built-in artwork; a name
// found nowhere gets a path that does not load (no icon rather than a wrong one).
TEST(FindPictureFileTest, PrefersTheCurrentDirectory) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  const QString name = QStringLiteral("no-such-icon.ICO");
  const QString missing = kx::FindPictureFile(name);
  EXPECT_EQ(missing, QDir(dir.path()).filePath("Picture/" + name));
  CIconPicture icon;
  EXPECT_EQ(icon.LoadFromFile(missing), 0);
  CIconPicture builtIn;
  EXPECT_EQ(builtIn.LoadFromFile(kx::FindPictureFile(QStringLiteral("曲线.ICO"))), 1);

  ASSERT_TRUE(QDir(dir.path()).mkpath("Picture"));
  const QString placed =
      kxtest::WriteFlatIcon(QDir(dir.filePath("Picture")), QStringLiteral("曲线.ICO"), 16,
                            Qt::blue);
  ASSERT_FALSE(placed.isEmpty());
  EXPECT_EQ(QFileInfo(kx::FindPictureFile(QStringLiteral("曲线.ICO"))).canonicalFilePath(),
            QFileInfo(placed).canonicalFilePath());
  QDir::setCurrent(before);
}

}  // namespace
