// The manual pages and the bash completion as man and bash read them: every
// command and option of the registry in the pages, roff that renders without a
// warning, and completions a technician gets on Tab.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/TesterApp.h"
#include "cli/Cli.h"
#include "cli/CommandRegistry.h"
#include "manual/ManPages.h"
#include "sim/SimUsage.h"

namespace {

using kx::manual::Roff;

struct Rendered {
  bool ran = false;
  QString text, warnings;
};

// groff as man runs it, warnings on; lines long enough that nothing is broken or
// hyphenated, and its typographic dashes back to the ASCII ones the programs print.
Rendered Render(const std::string& page) {
  QTemporaryDir dir;
  QFile file(dir.filePath("page.1"));
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(page.data(), static_cast<qint64>(page.size()));
  file.close();
  if (QStandardPaths::findExecutable("groff").isEmpty()) return {};
  QProcess groff;
  groff.start("groff", {"-ww", "-man", "-Tutf8", "-rLL=2000n", "-P-c", "-P-b", "-P-u", file.fileName()});
  if (!groff.waitForFinished(30000) || groff.exitCode() != 0) return {true, {}, "groff failed"};
  QString text = QString::fromUtf8(groff.readAllStandardOutput());
  text.replace(QChar(0x2010), '-').replace(QChar(0x2212), '-').replace(QChar(0x2019), '\'').replace(QChar(0x2018), '\'');
  text.replace(QRegularExpression(QStringLiteral("(?<=\\S) +")), QStringLiteral(" "));
  return {true, text, QString::fromUtf8(groff.readAllStandardError())};
}

QString OneLine(const std::string& text) {
  return QString::fromStdString(text).replace('\n', ' ').replace(QRegularExpression(QStringLiteral(" +")), " ").trimmed();
}

TEST(ManualPages, EscapeWhatRoffWouldTakeAsMarkup) {
  EXPECT_EQ(Roff(".x 'y\n.z"), "\\&.x 'y\n\\&.z");
  EXPECT_EQ(Roff("a\\b --csv [-o] x-y"), "a\\eb \\-\\-csv [\\-o] x-y");
  EXPECT_EQ(Roff("测试 é"), "\\[u6D4B]\\[u8BD5] \\[u00E9]");
}

TEST(ManualPages, TheCliPageHasEveryCommandWithItsUsageHelpAndOptions) {
  const std::string page = kx::manual::CliManPage();
  const Rendered r = Render(page);
  if (!r.ran) GTEST_SKIP() << "no groff";
  EXPECT_TRUE(r.warnings.isEmpty()) << r.warnings.toStdString();
  for (const QCommandLineOption& o : kx::cli::GlobalCommandLineOptions())
    EXPECT_TRUE(r.text.contains("--" + o.names().last())) << o.names().last().toStdString();
  for (const kx::cli::CliCommand& c : kx::cli::CliCommands()) {
    // The command's own part of the page: from its heading to the next.
    const qsizetype at = r.text.indexOf(QRegularExpression(QStringLiteral("\n   %1\n").arg(c.name)));
    ASSERT_GE(at, 0) << c.name;
    const qsizetype end = r.text.indexOf(QRegularExpression(QStringLiteral("\n   \\S|\n[A-Z]")), at + 1);
    const QString part = r.text.mid(at, end - at);
    EXPECT_TRUE(part.contains("kx4200-cli [global options] " + OneLine(c.usage))) << c.name << "\n" << part.toStdString();
    EXPECT_TRUE(OneLine(part.toStdString()).contains(OneLine(c.help))) << c.name;
    for (const kx::cli::CliOption& o : c.options)
      for (const char* n : o.names)
        EXPECT_TRUE(part.contains(QString(n[1] ? "--" : "-") + n)) << c.name << " " << n;
  }
  for (const char* section : {"\nEXIT STATUS\n", "\nFILES\n", "\nEXAMPLES\n", "\n       130/143\n"})
    EXPECT_TRUE(r.text.contains(section)) << section;
}

// Every option of the panel's and the simulator's --help is in their pages.
TEST(ManualPages, ThePanelAndSimulatorPagesHaveEveryOptionOfTheirHelp) {
  const struct {
    std::string help, page;
  } programs[] = {{AppUsageText(), kx::manual::AppManPage()}, {kx::SimUsageText(), kx::manual::SimManPage()}};
  for (const auto& p : programs) {
    const Rendered r = Render(p.page);
    if (!r.ran) GTEST_SKIP() << "no groff";
    EXPECT_TRUE(r.warnings.isEmpty()) << r.warnings.toStdString();
    const QString options = r.text.mid(r.text.indexOf("\nOPTIONS\n"));
    int count = 0;
    for (const QString& line : QString::fromStdString(p.help).split('\n')) {
      if (!line.startsWith("  --")) continue;
      ++count;
      const QString tag = line.trimmed().section(QRegularExpression(" {2,}"), 0, 0);
      EXPECT_TRUE(options.contains(QRegularExpression("\n +" + QRegularExpression::escape(tag) + "[ \n]")))
          << line.toStdString();
    }
    EXPECT_GE(count, 5);
  }
}

// A bash that has sourced the completion, asked to complete WORDS in FOLDER.
QStringList Complete(const QString& folder, const QStringList& words) {
  QProcess bash;
  bash.setWorkingDirectory(folder);
  const QStringList script{"--norc", "--noprofile", "-c",
                           "source \"$0\" && COMP_WORDS=(\"$@\") && COMP_CWORD=$(($# - 1)) && _kx4200_cli && "
                           "printf '%s\\n' \"${COMPREPLY[@]}\"",
                           KX_COMPLETION_PATH, "kx4200-cli"};
  bash.start("bash", script + words);
  if (!bash.waitForFinished(30000)) return {"<timeout>"};
  QStringList reply = QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  reply.sort();
  return reply;
}

TEST(BashCompletion, CommandsOptionsWordsPortsAndFilesByExtension) {
  if (QStandardPaths::findExecutable("bash").isEmpty()) GTEST_SKIP() << "no bash";
  QTemporaryDir dir;
  for (const char* name : {"a.bin", "b.csv", "c.pdf", "d.png"}) {
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
  const QString d = dir.path();
  EXPECT_EQ(Complete(d, {"dow"}), QStringList{"download"});
  EXPECT_EQ(Complete(d, {"--simulate", "download", "1", "--c"}), QStringList{"--csv"});
  EXPECT_EQ(Complete(d, {"--port", "/dev/ttyUSB0", "acquire", "--c"}),
            (QStringList{"--count", "--csv", "--current-range"}));
  EXPECT_EQ(Complete(d, {"--q"}), QStringList{"--quiet"});
  EXPECT_EQ(Complete(d, {"gear", "s"}), QStringList{"set"});
  EXPECT_EQ(Complete(d, {"calibrate", "cell-1"}), QStringList{"cell-12v"});
  EXPECT_EQ(Complete(d, {"--baud", "19"}), QStringList{"19200"});
  EXPECT_EQ(Complete(d, {"--lang", "e"}), QStringList{"en"});
  // Files by what the argument takes; folders always, to walk into.
  EXPECT_EQ(Complete(d, {"export", ""}), (QStringList{"a.bin", "sub"}));
  EXPECT_EQ(Complete(d, {"download", "1", "--csv", ""}), (QStringList{"b.csv", "sub"}));
  EXPECT_EQ(Complete(d, {"report", "-o", ""}), (QStringList{"c.pdf", "sub"}));
  EXPECT_EQ(Complete(d, {"export", "a.bin", "--png", ""}), (QStringList{"d.png", "sub"}));
  EXPECT_EQ(Complete(d, {"monitor", "--csv", ""}), QStringList{"sub"});
  // The port: serial server stems (device paths depend on the machine).
  EXPECT_EQ(Complete(d, {"--port", "tc"}), QStringList{"tcp://"});
  EXPECT_EQ(Complete(d, {"--port", "rfc"}), QStringList{"rfc2217://"});
  for (const QString& path : Complete(d, {"--port", "/dev/"}))
    EXPECT_TRUE(path.startsWith("/dev/tty") || path.startsWith("/dev/serial/by-id/")) << path.toStdString();
}

}  // namespace
