#include <gtest/gtest.h>

#include "PrivateLockFolder.h"

#include <QGuiApplication>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  // Local time must not depend on the machine; a POSIX TZ string needs no tzdata.
  setenv("TZ", "CST-8", 1);
  // Nor the language of the texts, which the programs take from the locale (children too).
  setenv("LC_ALL", "C.UTF-8", 1);
  tzset();
  kxtest::UsePrivateLockFolder();
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
