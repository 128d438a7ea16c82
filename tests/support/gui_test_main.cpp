#include <gtest/gtest.h>

#include "PrivateLockFolder.h"

#include <QApplication>
#include <cstdlib>
#include <ctime>

#include "ui/SongFont.h"

int main(int argc, char** argv) {
  setenv("TZ", "CST-8", 1);
  // Nor the language of the texts, which the programs take from the locale (children too).
  setenv("LC_ALL", "C.UTF-8", 1);
  tzset();
  if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  kxtest::UsePrivateLockFolder();
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  kx::InstallDialogFont();  // the panel and the viewer are tested in the font they ship with
  return RUN_ALL_TESTS();
}
