#pragma once
// What poppler's tools read from a PDF the tool wrote: its page count and its
// text, the way a customer's viewer or a search would see it.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace kxtest {

inline QString RunTool(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed on " << arguments.join(' ').toStdString() << ": "
                  << p.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

// pdfinfo's page count; 0 when it cannot read the file.
inline int PdfPages(const QString& pdf) {
  const auto m = QRegularExpression(QStringLiteral(R"(^Pages:\s+(\d+)$)"), QRegularExpression::MultilineOption)
                     .match(RunTool(QStringLiteral("pdfinfo"), {pdf}));
  return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// The text of pages first..last (last 0: to the end) with table rows kept on
// their lines and every run of blanks made one space, so that a line of the
// program reads the same whatever the columns' widths.
inline QString PdfText(const QString& pdf, int first = 1, int last = 0) {
  QStringList args{QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(first)};
  if (last > 0) args << QStringLiteral("-l") << QString::number(last);
  args << pdf << QStringLiteral("-");
  QString text = RunTool(QStringLiteral("pdftotext"), args);
  text.replace(QRegularExpression(QStringLiteral(R"([ \t]+)")), QStringLiteral(" "));
  return text;
}

// A line of the program's own as it must read in PdfText.
inline QString Spaced(const std::string& line) {
  return QString::fromStdString(line).replace(QRegularExpression(QStringLiteral(R"(\s+)")), QStringLiteral(" "));
}

}  // namespace kxtest
