#include "cli/CommandLine.h"

#include <cstring>

#include "cli/CommandRegistry.h"
#include "link/DeviceSettings.h"

namespace kx::cli {

void Bad(const QString& text) { throw UsageError{text.toStdString()}; }

QString Unescape(QString s) {
  if (s.startsWith(QChar(kNegativeMark))) s.remove(0, 1);
  return s;
}

std::optional<long long> ParseInteger(const QString& text, long long low, long long high) {
  bool ok = false;
  const long long v = Unescape(text).trimmed().toLongLong(&ok, 10);
  if (!ok || v < low || v > high) return std::nullopt;
  return v;
}

QStringList CommandLine::Positionals(int low, int high) const {
  QStringList args;
  for (const QString& a : parser_.positionalArguments()) args << Unescape(a);
  if (args.size() < low || args.size() > high) BadUsage();
  return args;
}

void CommandLine::BadUsage() const { Bad("usage: kx4200-cli " + QString::fromUtf8(command_.usage)); }

std::string CommandLine::File(const char* option) const {
  if (IsSet(option) && Value(option).isEmpty())
    Bad(QStringLiteral("%1%2 needs a file name").arg(std::strlen(option) == 1 ? "-" : "--", option));
  return Value(option).toStdString();
}

}  // namespace kx::cli
