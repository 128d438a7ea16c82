// The panel program as it is run: its screenshot through the file rules, a
// settings file that is no regular file, and a quit on a signal as on a logout.

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

#include <gtest/gtest.h>

namespace {

struct Result {
  int status = -1;
  QString err;
};

QByteArray Content(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool IsFifo(const QString& path) {
  struct stat st{};
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

class AppRun : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return dir.filePath(name); }
  QString Settings() const { return Path("config/kx4200/kx4200.ini"); }

  // The panel offscreen, its settings and its simulated line's folder in ours.
  void Start(QProcess& p, const QStringList& args, const std::function<void()>& inChild = {}) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", Path("config"));
    env.insert("TMPDIR", dir.path());
    env.insert("XDG_RUNTIME_DIR", dir.path());
    p.setProcessEnvironment(env);
    if (inChild) p.setChildProcessModifier(inChild);
    p.start(KX_APP_PATH, args);
    ASSERT_TRUE(p.waitForStarted());
  }
  static Result Finish(QProcess& p, QString err = {}) {
    EXPECT_TRUE(p.waitForFinished(30000)) << "still running";
    err += QString::fromUtf8(p.readAllStandardError());
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, err};
  }
  Result Run(const QStringList& args, const std::function<void()>& inChild = {}) const {
    QProcess p;
    Start(p, args, inChild);
    return Finish(p);
  }
  // Runs the panel on the simulated unit until it is up, then sends it a signal.
  Result RunUntil(int signal, const QStringList& args) const {
    QProcess p;
    Start(p, QStringList{"--simulate"} + args);
    p.setReadChannel(QProcess::StandardError);
    QString err;
    while (!err.contains("simulated device on") && p.waitForReadyRead(30000))
      err += QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains("simulated device on")) << err.toStdString();
    ::kill(static_cast<pid_t>(p.processId()), signal);
    return Finish(p, err);
  }

  QTemporaryDir dir;
};

// Answered before any window: the panel's version without a display.
TEST_F(AppRun, VersionIsCMakesWithTheCommitWhenBuiltFromACheckout) {
  QProcess p;
  p.setProcessEnvironment(QProcessEnvironment());  // no display, no platform
  p.start(KX_APP_PATH, {"--version"});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^kx4200 )") + QRegularExpression::escape(KX_PROJECT_VERSION) +
                                 R"((?: \(g[0-9a-f]{7,}(-dirty)?\))?\n$)")
                  .match(out)
                  .hasMatch())
      << out.toStdString();
}

TEST_F(AppRun, TheScreenshotFollowsTheFileRules) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo.png")).constData(), 0600), 0);
  Result r = Run({"--screenshot", Path("fifo.png")});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.contains("is not a regular file")) << r.err.toStdString();

  // A limit on file sizes stands in for a full disk: the old picture stays whole.
  const QString shot = Path("shot.png");
  {
    QFile old(shot);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old picture");
  }
  r = Run({"--screenshot", shot}, [] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.err.contains("File too large")) << r.err.toStdString();
  EXPECT_EQ(Content(shot), "old picture");

  r = Run({"--screenshot", shot});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(Content(shot).startsWith("\x89PNG"));
  // No temporary left beside them.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
            QStringList({"fifo.png", "shot.png"}));
}

TEST_F(AppRun, ASettingsFileThatIsNoRegularFileIsLeftAlone) {
  ASSERT_TRUE(QDir().mkpath(Path("config/kx4200")));
  ASSERT_EQ(::mkfifo(QFile::encodeName(Settings()).constData(), 0600), 0);
  Result r = Run({"--screenshot", Path("shot.png")});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.count("kx4200.ini"), 1) << r.err.toStdString();
  // --defaults does not read it; closing would remember the settings, and says once why it does not.
  r = RunUntil(SIGTERM, {"--defaults"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.count("kx4200.ini"), 1) << r.err.toStdString();
  EXPECT_TRUE(IsFifo(Settings()));
}

TEST_F(AppRun, ASignalQuitsAsALogoutDoes) {
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    QFile::remove(Settings());
    const Result r = RunUntil(signal, {});
    EXPECT_EQ(r.status, 0) << signal << ": " << r.err.toStdString();
    EXPECT_TRUE(Content(Settings()).contains("port=1")) << signal;
    // The simulated unit's folder went with it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"config"}) << signal;
  }
}

}  // namespace
