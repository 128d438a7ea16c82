#pragma once
// What the parse functions of kx4200-cli's commands share: the usage error, whole
// numbers in ranges, and one command's arguments after the second parse.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "cli/CliTypes.h"

namespace kx::cli {

struct Hooks;
struct CliCommand;

// A bad argument: the driver prints it with a pointer to the relevant --help and
// exits with kExitUsage. Nothing has been sent when it is thrown.
struct UsageError {
  std::string text;
};
[[noreturn]] void Bad(const QString& text);

// Arguments after the command that look like negative numbers ("current on -20")
// carry this mark, so that the parser takes them as values, not options.
inline constexpr char16_t kNegativeMark = 0x1F;
QString Unescape(QString s);

// A whole decimal number within [low, high], the mark of a negative one allowed.
std::optional<long long> ParseInteger(const QString& text, long long low, long long high);

// One command's arguments: its positionals and its own options.
class CommandLine {
 public:
  CommandLine(const CliCommand& command, const QCommandLineParser& parser, const Hooks& hooks)
      : command_(command), parser_(parser), hooks_(hooks) {}

  // The positional arguments; fewer than low or more than high is the command's usage error.
  QStringList Positionals(int low, int high) const;
  // The command's usage error.
  [[noreturn]] void BadUsage() const;
  // An option of the command by its first name, its default when not given.
  QString Value(const char* option) const { return Unescape(parser_.value(QLatin1String(option))); }
  bool IsSet(const char* option) const { return parser_.isSet(QLatin1String(option)); }
  // Every value of an option given more than once, in order.
  QStringList Values(const char* option) const {
    QStringList v = parser_.values(QLatin1String(option));
    for (QString& s : v) s = Unescape(s);
    return v;
  }
  // A file option: empty when not given; given with an empty name it is refused
  // (it would otherwise read as "no file" and the run would write nothing).
  std::string File(const char* option) const;
  const Hooks& hooks() const { return hooks_; }

 private:
  const CliCommand& command_;
  const QCommandLineParser& parser_;
  const Hooks& hooks_;
};

}  // namespace kx::cli
