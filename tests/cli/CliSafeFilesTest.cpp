// What the tool writes, through the real executable: bad outputs refused before the
// unit hears anything, old files never lost on a failure or a kill, the umask honoured.

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <random>

#include <gtest/gtest.h>

#include "curves/CurveFile.h"

namespace {

struct Result {
  int status = -1;
  QString out, err;
};

Result RunCli(const QStringList& args, mode_t umaskValue = 022) {
  QProcess p;
  p.setChildProcessModifier([umaskValue] { ::umask(umaskValue); });
  p.start(KX_CLI_PATH, args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Content(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Put(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

class CliSafeFilesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!m_mounted.isEmpty()) ::umount(m_mounted.toLocal8Bit().constData());
    ::chmod(Path("ro").toLocal8Bit().constData(), 0755);  // so that the folder can be removed
  }
  QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
  // A curve file to export from.
  QString Group() {
    const QString bin = Path("g.bin");
    EXPECT_EQ(RunCli({"--simulate", "download", "2", "-o", bin}).status, 0);
    return bin;
  }
  QTemporaryDir m_dir;
  QString m_mounted;
};

TEST_F(CliSafeFilesTest, BadOutputsAreRefusedBeforeTheUnitIsAsked) {
  const QString bin = Group();
  const QByteArray original = Content(bin);
  // The same file as the input, directly or through another spelling.
  Result r = RunCli({"export", bin, "--csv", bin});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.contains("same file")) << r.err.toStdString();
  EXPECT_EQ(RunCli({"export", bin, "--png", m_dir.path() + "/./g.bin"}).status, 2);
  EXPECT_EQ(Content(bin), original);

  ASSERT_EQ(::mkfifo(Path("pipe.csv").toLocal8Bit().constData(), 0600), 0);
  const QList<QStringList> refused = {
      {"-o", Path("same.bin"), "--csv", Path("same.bin")},  // two outputs, one file
      {"-o", m_dir.path()},                                 // a folder
      {"--csv", Path("pipe.csv")},                          // a FIFO
      {"-o", Path("no/such/folder/g.bin")},
      {"-o", ""},     // an empty name is no file at all, not "no file wanted"
      {"--csv", ""},
  };
  for (const QStringList& outputs : refused) {
    r = RunCli(QStringList{"--simulate", "--trace", "download", "2"} + outputs);
    EXPECT_EQ(r.status, 2) << outputs.join(' ').toStdString();
    EXPECT_FALSE(r.err.contains(" TX ")) << "a request was sent: " << r.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(Path("same.bin")));

  // A link loop is no new file to make: it stays a loop, and the cause is told.
  ASSERT_TRUE(QFile::link("loop.csv", Path("loop.csv")));
  r = RunCli({"export", bin, "--csv", Path("loop.csv")});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.contains("Too many levels of symbolic links")) << r.err.toStdString();
  EXPECT_TRUE(QFileInfo(Path("loop.csv")).isSymLink());
}

// Every command that writes a file finds a read-only folder before the unit hears anything.
TEST_F(CliSafeFilesTest, AReadOnlyFolderIsFoundBeforeTheUnitIsAsked) {
  const QString bin = Group();
  const QString ro = Path("ro");
  ASSERT_TRUE(QDir().mkdir(ro));
  // Root writes through permissions: it gets a read-only file system instead.
  const QByteArray folder = ro.toLocal8Bit();
  if (::geteuid() == 0) {
    ASSERT_EQ(::mount("tmpfs", folder.constData(), "tmpfs", 0, "size=16k"), 0);
    m_mounted = ro;
  }
  Put(ro + "/old.pdf", "old");  // not writable either, so not rewritten in place
  ASSERT_EQ(::chmod((ro + "/old.pdf").toLocal8Bit().constData(), 0444), 0);
  if (::geteuid() == 0)
    ASSERT_EQ(::mount("tmpfs", folder.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16k"), 0);
  else
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);
  const QList<QStringList> writers = {
      {"download", "2", "-o", ro + "/g.bin"},
      {"download", "2", "--csv", ro + "/g.csv"},
      {"acquire", "--csv", ro + "/live.csv"},
      {"report", "-o", ro + "/x.pdf"},
      {"report", "-o", ro + "/old.pdf"},
      {"export", bin, "--png", ro + "/chart.png"},
  };
  for (const QStringList& command : writers) {
    const Result r = RunCli(QStringList{"--simulate", "--trace"} + command);
    EXPECT_EQ(r.status, 2) << command.join(' ').toStdString();
    EXPECT_FALSE(r.err.contains(" TX ")) << "a request was sent: " << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(command.last()) && r.err.contains(::geteuid() == 0 ? "Read-only file system"
                                                                                   : "Permission denied"))
        << r.err.toStdString();
  }
  EXPECT_EQ(QDir(ro).entryList(QDir::Files | QDir::Hidden), QStringList{"old.pdf"});
}

TEST_F(CliSafeFilesTest, AnExistingLogSurvivesAPortThatDoesNotOpen) {
  Put(Path("keep.csv"), "yesterday's readings\n");
  const Result r = RunCli({"--port", Path("no-such-port"), "acquire", "--csv", Path("keep.csv")});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(Content(Path("keep.csv")), "yesterday's readings\n");

  // "-" is standard output, not a file called "-".
  const Result live = RunCli({"--simulate", "acquire", "--csv", "-"});
  EXPECT_EQ(live.status, 0) << live.err.toStdString();
  EXPECT_TRUE(live.out.contains("time,cell1_V")) << live.out.toStdString();
  EXPECT_FALSE(QFile::exists("-"));
}

TEST_F(CliSafeFilesTest, AFifoNamedLikeACurveFileIsRefusedAtOnce) {
  ASSERT_EQ(::mkfifo(Path("f.bin").toLocal8Bit().constData(), 0600), 0);
  const Result r = RunCli({"export", Path("f.bin"), "--csv", Path("f.csv")});
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(QFile::exists(Path("f.csv")));
}

TEST_F(CliSafeFilesTest, NewFilesFollowTheUmask) {
  const QString bin = Group();
  ASSERT_EQ(RunCli({"export", bin, "--csv", Path("private.csv"), "--pdf", Path("private.pdf")}, 077).status, 0);
  for (const char* name : {"private.csv", "private.pdf"}) {
    struct stat st{};
    ASSERT_EQ(::stat(Path(name).toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
  }
}

TEST_F(CliSafeFilesTest, AFullDiskLeavesEveryOldFileWhole) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const QString bin = Group();
  const QString small = Path("small");
  ASSERT_TRUE(QDir().mkdir(small));
  ASSERT_EQ(::mount("tmpfs", small.toLocal8Bit().constData(), "tmpfs", 0, "size=32k"), 0);
  for (const char* name : {"/out.csv", "/out.pdf", "/out.png"}) Put(small + name, "old");
  const Result r = RunCli({"export", bin, "--csv", small + "/out.csv", "--pdf", small + "/out.pdf"});
  const Result png = RunCli({"export", bin, "--png", small + "/out.png"});
  const QStringList left = QDir(small).entryList(QDir::Files);
  for (const char* name : {"/out.csv", "/out.pdf", "/out.png"}) EXPECT_EQ(Content(small + name), "old") << name;
  ::umount(small.toLocal8Bit().constData());
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.contains("No space left on device")) << r.err.toStdString();
  EXPECT_EQ(png.status, 2);
  EXPECT_EQ(left.size(), 3) << left.join(' ').toStdString();
}

TEST_F(CliSafeFilesTest, KilledDownloadsLeaveOldOrCompleteFiles) {
  const QByteArray oldBin = Content(Group());
  const QByteArray oldCsv = "old csv\n";
  std::mt19937 random(7);
  for (int run = 0; run < 60; ++run) {
    const QString bin = Path("out.bin"), csv = Path("out.csv");
    Put(bin, oldBin);
    Put(csv, oldCsv);
    QProcess p;
    // A killed process cannot remove its simulated line's folder: keep it in ours.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", m_dir.path());
    p.setProcessEnvironment(env);
    p.start(KX_CLI_PATH, {"--simulate", "download", "2", "-o", bin, "--csv", csv});
    ASSERT_TRUE(p.waitForStarted());
    ::usleep(std::uniform_int_distribution<int>(0, 120000)(random));
    ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
    p.waitForFinished();

    const kx::CurveFileRead read = kx::ReadCurveFile(bin.toStdString());
    EXPECT_TRUE(read.result.ok()) << "run " << run;
    const QByteArray csvNow = Content(csv);
    // Either untouched or a whole table: a header and one complete row per point.
    if (csvNow != oldCsv) {
      EXPECT_TRUE(csvNow.startsWith("point,time,cell1_V") && csvNow.endsWith('\n')) << "run " << run;
      EXPECT_EQ(csvNow.count('\n'), 92) << "run " << run;
    }
    // A kill may leave a temporary; the next clean run must not add to it.
    for (const QString& name : QDir(m_dir.path()).entryList({"out.*.*"}, QDir::Files)) QFile::remove(Path(qPrintable(name)));
  }
  Put(Path("out.csv"), oldCsv);
  ASSERT_EQ(RunCli({"--simulate", "download", "2", "-o", Path("out.bin"), "--csv", Path("out.csv")}).status, 0);
  const QStringList files = QDir(m_dir.path()).entryList(QDir::Files);  // the lines' folders are not files
  EXPECT_EQ(files, QStringList({"g.bin", "out.bin", "out.csv"}));
}

}  // namespace
