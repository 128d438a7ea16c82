// The panel program answers its options before it needs a display.

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Result {
  int status = -1;
  QString out, err;
};

Result RunWithoutDisplay(const QStringList& args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(KX_APP_PATH, args);
  EXPECT_TRUE(p.waitForFinished(30000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

TEST(AppOptions, AnsweredWithoutADisplay) {
  Result r = RunWithoutDisplay({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.contains("--screenshot FILE")) << r.out.toStdString();
  EXPECT_EQ(RunWithoutDisplay({"--defaults", "--help"}).status, 0);  // --defaults is taken

  for (const QStringList& bad : {QStringList{"--bogus"}, QStringList{"--com", "bad"}, QStringList{"--screenshot", ""},
                                 QStringList{"--simulate", "--com", "1=/dev/ttyUSB0"}}) {
    r = RunWithoutDisplay(bad);
    EXPECT_EQ(r.status, 2) << bad.join(' ').toStdString();
    EXPECT_TRUE(r.err.startsWith("kx4200: ")) << r.err.toStdString();
  }
}

}  // namespace
