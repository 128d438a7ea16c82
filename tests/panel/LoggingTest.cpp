// The log of a continuous run ("记录"): one row per reading, good or failed; a
// write that fails stops the log and not the run; rows written survive a kill.

#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "PanelFixture.h"
#include "files/SafeFile.h"
#include "link/Exchange.h"
#include "link/LiveCsv.h"
#include "panel/PanelTexts.h"

namespace {

using namespace kx::panel::ids;

QStringList Lines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// A whole row: a time, the 47 values (all or none) and ok matching them.
bool WholeRow(const QString& row, const QRegularExpression& time) {
  const QStringList f = row.split(',');
  if (f.size() != 49 || !time.match(f[0]).hasMatch()) return false;
  int filled = 0;
  for (int i = 1; i <= 47; ++i) {
    bool number = false;
    f[i].toDouble(&number);
    if (number) ++filled;
  }
  return (f[48] == "1" && filled == 47) || (f[48] == "0" && filled == 0 && f.mid(1, 47).join("").isEmpty());
}

const QRegularExpression kTime(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"));

class Logging : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    panel->SetWaitScale(0.05);  // a silent unit costs 50 ms, not a second
    Check(kCheckLog)->setChecked(true);
  }
  void TearDown() override {
    kx::files::SetWriteFault(nullptr);
    PanelFixture::TearDown();
    if (!mounted.isEmpty()) ::umount(QFile::encodeName(mounted).constData());
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
  QString mounted;
};

TEST_F(Logging, EveryReadingIsOneRowAndStoppingClosesTheFile) {
  prompts.savePaths.push_back(Path("run.csv"));
  IconButton(kBtnContinuous)->click();
  ASSERT_EQ(prompts.saveRequests.size(), 1u);
  EXPECT_TRUE(QRegularExpression("^kx4200-\\d{8}-\\d{6}\\.csv$").match(prompts.saveRequests[0].defaultName).hasMatch())
      << prompts.saveRequests[0].defaultName.toStdString();
  EXPECT_EQ(Static(kStaticLogFile)->text(), "run.csv");

  Tick();
  Tick();
  device->SetFault(kx::Fault::Silence, 2);
  Tick();
  Tick();
  device->SetFault(kx::Fault::Checksum, 1);
  Tick();
  Tick();
  Check(kCheckLog)->setChecked(false);  // takes effect at the next run only
  Tick();
  IconButton(kBtnContinuous)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_TRUE(panel->LogPath().isEmpty());
  EXPECT_TRUE(Static(kStaticLogFile)->text().isEmpty());

  const QStringList lines = Lines(Path("run.csv"));
  ASSERT_EQ(lines.size(), 1 + 7);
  EXPECT_EQ(lines[0] + "\n", QString::fromStdString(kx::LiveCsvHeader()));
  QString oks;
  for (int i = 1; i < lines.size(); ++i) {
    EXPECT_TRUE(WholeRow(lines[i], kTime)) << lines[i].toStdString();
    oks += lines[i].section(',', 48);
  }
  EXPECT_EQ(oks, "1100011");
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "4");
  EXPECT_EQ(Edit(kEditFailCount)->text(), "3");
  // The last row holds what the table shows: cell 1 and the total.
  EXPECT_EQ(lines.last().section(',', 1, 1), Cell(kListValues, 0, 1));
  EXPECT_EQ(lines.last().section(',', 41, 41), Cell(kListValues, 9, 3));

  // Unticked, or the dialog cancelled: the run goes on without a log.
  IconButton(kBtnContinuous)->click();
  EXPECT_EQ(prompts.saveRequests.size(), 1u);
  Tick();
  IconButton(kBtnContinuous)->click();
  Check(kCheckLog)->setChecked(true);
  IconButton(kBtnContinuous)->click();
  EXPECT_EQ(prompts.saveRequests.size(), 2u);
  EXPECT_EQ(prompts.saveRequests[1].initialFolder, dir.path());  // the last log's folder
  EXPECT_TRUE(Probe().Continuous());
  EXPECT_TRUE(panel->LogPath().isEmpty());
  Tick();
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), "1");
  EXPECT_EQ(Lines(Path("run.csv")).size(), 8);
}

TEST_F(Logging, AFailedWriteStopsTheLogWithItsCauseAndTheRunGoesOn) {
  // A small file system filled up where root may mount one; the same failure injected otherwise.
  const QString small = Path("small");
  ASSERT_TRUE(QDir().mkdir(small));
  if (::geteuid() == 0 && ::mount("tmpfs", QFile::encodeName(small).constData(), "tmpfs", 0, "size=64k") == 0)
    mounted = small;
  const QString log = small + "/full.csv";
  prompts.savePaths.push_back(log);
  IconButton(kBtnContinuous)->click();
  ASSERT_EQ(panel->LogPath(), log);
  if (!mounted.isEmpty()) {
    QFile filler(small + "/filler");
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(512, 'x')) == 512) {
    }
  } else {
    kx::files::SetWriteFault([](size_t) { return ENOSPC; });
  }
  // The log's last page may still take a few rows before the disk refuses.
  int ticks = 0;
  while (prompts.Texts().isEmpty() && ticks < 100) {
    Tick();
    ++ticks;
  }
  Tick();
  Tick();

  ASSERT_EQ(prompts.Texts().size(), 1) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(prompts.Texts()[0], QString::fromUtf8(kx::msg::kLogStopped) + "\ncannot write " + log +
                                    ": No space left on device");
  EXPECT_TRUE(panel->LogPath().isEmpty());
  EXPECT_TRUE(Static(kStaticLogFile)->text().isEmpty());
  EXPECT_TRUE(Probe().Continuous());
  EXPECT_EQ(Edit(kEditSuccessCount)->text(), QString::number(ticks + 2));
}

TEST_F(Logging, RowsWrittenSurviveAKill) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  // A killed process cannot clean up its simulated line's and lock folders: keep them in ours.
  env.insert("TMPDIR", dir.path());
  env.insert("KX4200_LOCK_DIR", dir.path());
  child.setProcessEnvironment(env);
  child.start(KX_LOGGING_PANEL_PATH, {Path("killed.csv")});
  ASSERT_TRUE(child.waitForStarted());
  // Waits for rows, not for a time: the test passes however slow the machine is.
  for (int i = 0; i < 600 && Lines(Path("killed.csv")).size() < 30 && child.state() == QProcess::Running; ++i)
    QThread::msleep(100);
  ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
  ASSERT_EQ(::kill(static_cast<pid_t>(child.processId()), SIGKILL), 0);
  ASSERT_TRUE(child.waitForFinished());

  QFile f(Path("killed.csv"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray text = f.readAll();
  EXPECT_TRUE(text.endsWith('\n'));  // no row cut short
  const QStringList lines = Lines(Path("killed.csv"));
  ASSERT_GE(lines.size(), 31);
  EXPECT_EQ(lines[0] + "\n", QString::fromStdString(kx::LiveCsvHeader()));
  for (int i = 1; i < lines.size(); ++i) EXPECT_TRUE(WholeRow(lines[i], kTime)) << i << ": " << lines[i].toStdString();
}

}  // namespace
