// The real executable: exit statuses, a simulated unit inside the process, and a
// clean end on Ctrl-C.

#include <signal.h>

#include <QProcess>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
  int status = -1;
  QString out, err;
};

Result RunTool(const QStringList& args) {
  QProcess p;
  p.start(KX_CLI_PATH, args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(CliProcessTest, SimulatedUnitAnswersEveryKindOfCommand) {
  Result r = RunTool({"--simulate", "version"});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_EQ(r.out, "Ver1.30\n");

  // The simulated unit takes the address and the rate given.
  r = RunTool({"--simulate", "--address", "9", "--baud", "38400", "--json", "groups"});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.startsWith("{\"ok\":true")) << r.out.toStdString();

  QTemporaryDir dir;
  r = RunTool({"--simulate", "download", "2", "-o", dir.filePath("g.bin")});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  r = RunTool({"export", dir.filePath("g.bin"), "--png", dir.filePath("g.png")});
  EXPECT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(dir.filePath("g.png")));
}

// "NAME 1.3.0" or "NAME 1.3.0 (g4c59287)", with the commit the source tree is at
// when it is a git checkout.
TEST(CliProcessTest, VersionOfTheToolAndTheSimulatorIsCMakesAndTheCheckoutsCommit) {
  QProcess git;
  git.start("git", {"-C", KX_SOURCE_DIR, "rev-parse", "HEAD"});
  const QString head = git.waitForFinished(10000) && git.exitCode() == 0
                           ? QString::fromLatin1(git.readAllStandardOutput()).trimmed()
                           : QString();
  const QRegularExpression form(QStringLiteral(R"(^(\S+) (\d+\.\d+\.\d+)(?: \(g([0-9a-f]{7,})(-dirty)?\))?\n$)"));
  for (const char* program : {KX_CLI_PATH, KX_SIM_PATH}) {
    QProcess p;
    p.start(program, {"--version"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const auto m = form.match(out);
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_EQ(m.captured(1), QFileInfo(program).fileName());
    EXPECT_EQ(m.captured(2), KX_PROJECT_VERSION);
    if (!head.isEmpty()) {
      EXPECT_TRUE(!m.captured(3).isEmpty() && head.startsWith(m.captured(3))) << out.toStdString();
    }
  }
  // After the command, --version is no option of the tool.
  EXPECT_EQ(RunTool({"--simulate", "groups", "--version"}).status, 2);
}

TEST(CliProcessTest, ExitStatusesOfBadArgumentsAndMissingPorts) {
  Result r = RunTool({"--simulate", "--baud", "1234", "version"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
  EXPECT_EQ(RunTool({"--simulate", "nonsense"}).status, 2);
  EXPECT_EQ(RunTool({"export", "/nonexistent/file.bin"}).status, 2);
  EXPECT_EQ(RunTool({}).status, 2);

  r = RunTool({"--port", "/dev/kx-no-such-port", "version"});
  EXPECT_EQ(r.status, 3);
  EXPECT_TRUE(r.err.contains("no such serial device")) << r.err.toStdString();

  r = RunTool({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.contains("scan [--addresses A-B]"));
  r = RunTool({"acquire", "--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.contains("--current-range")) << r.out.toStdString();
}

TEST(CliProcessTest, InterruptEndsAnEndlessRunWithASummary) {
  QTemporaryDir dir;
  QProcess p;
  p.start(KX_CLI_PATH, {"--simulate", "acquire", "--count", "0", "--period", "50", "--csv", dir.filePath("live.csv")});
  ASSERT_TRUE(p.waitForStarted());
  // Wait for the first reading's last line, then interrupt.
  QByteArray seen;
  while (!seen.contains("模拟量2") && p.waitForReadyRead(30000)) seen += p.readAllStandardOutput();
  ASSERT_TRUE(seen.contains("模拟量2"));
  ::kill(static_cast<pid_t>(p.processId()), SIGINT);
  ASSERT_TRUE(p.waitForFinished(30000));
  seen += p.readAllStandardOutput();
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 130);
  EXPECT_TRUE(seen.contains("失败 0 次")) << seen.toStdString();

  QFile csv(dir.filePath("live.csv"));
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  const QList<QByteArray> rows = csv.readAll().split('\n');
  ASSERT_GE(rows.size(), 3);  // header, at least one reading, the final line feed
  EXPECT_TRUE(rows[0].startsWith("time,cell1_V"));
  EXPECT_TRUE(rows[1].endsWith(",1"));
}

// A simulated unit of its own, misbehaving as asked; ended by its PID.
class SimProcess {
 public:
  explicit SimProcess(const QStringList& args) {
    sim_.start(KX_SIM_PATH, args);
    if (sim_.waitForReadyRead(10000)) path_ = QString::fromUtf8(sim_.readLine()).trimmed();
  }
  ~SimProcess() {
    sim_.terminate();
    sim_.waitForFinished(5000);
  }
  const QString& Path() const { return path_; }

 private:
  QProcess sim_;
  QString path_;
};

// Starts the tool, waits until its trace shows what it waits for, then signals it.
void SignalWhenTraced(QProcess& p, const QStringList& args, const char* trace, int signal) {
  p.setReadChannel(QProcess::StandardError);
  p.start(KX_CLI_PATH, args);
  ASSERT_TRUE(p.waitForStarted());
  QByteArray err;
  while (!err.contains(trace) && p.waitForReadyRead(30000)) err += p.readAllStandardError();
  ASSERT_TRUE(err.contains(trace)) << err.toStdString();
  ::kill(static_cast<pid_t>(p.processId()), signal);
}

TEST(CliProcessTest, TheFirstSignalStopsLongWaitsAndDownloadsPromptly) {
  {
    // A calibration waits up to 30 s for a silent unit; SIGTERM ends it at once.
    SimProcess silent({"--fault", "silence"});
    ASSERT_FALSE(silent.Path().isEmpty());
    QProcess p;
    SignalWhenTraced(p, {"--port", silent.Path(), "--trace", "calibrate", "cell-2v", "1"}, " TX ", SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 143);
  }
  {
    // A download at 1200 baud takes minutes; Ctrl-C ends it without a file.
    SimProcess slow({"--pace", "--baud", "1200"});
    ASSERT_FALSE(slow.Path().isEmpty());
    QTemporaryDir dir;
    QProcess p;
    SignalWhenTraced(p, {"--port", slow.Path(), "--baud", "1200", "--trace", "download", "1", "-o", dir.filePath("g.bin")},
                     " RX ", SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
  }
}

}  // namespace
