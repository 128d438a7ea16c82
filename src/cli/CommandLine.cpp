#include "cli/CommandLine.h"

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

bool IsBaudRate(long long v) {
  for (int b : kBaudRates)
    if (b == v) return true;
  return false;
}

QStringList CommandLine::Positionals(int low, int high) const {
  QStringList args;
  for (const QString& a : parser_.positionalArguments()) args << Unescape(a);
  if (args.size() < low || args.size() > high) BadUsage();
  return args;
}

void CommandLine::BadUsage() const { Bad("usage: kx4200-cli " + QString::fromUtf8(command_.usage)); }

}  // namespace kx::cli
