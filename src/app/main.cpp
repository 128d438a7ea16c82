// kx4200: the main control panel.

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QIcon>
#include <cstdio>
#include <memory>

#include "app/TesterApp.h"

int main(int argc, char** argv) {
  // Options are answered before the application object, which needs a display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  AppOptions options = ParseAppOptions(arguments);
  int exitCode = 0;
  if (AnswerOptions(options, exitCode)) return exitCode;
  QApplication qapp(argc, argv);
  CTesterApp app;
  return app.Run(std::move(options));
}
