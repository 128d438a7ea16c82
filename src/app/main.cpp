// kx4200: the main control panel.

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QIcon>
#include <cstdio>
#include <memory>

#include "app/TesterApp.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  CTesterApp app;
  return app.Run(QCoreApplication::arguments());
}
