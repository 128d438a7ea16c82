#include "cli/Cli.h"

#include <QCommandLineParser>
#include <QJsonObject>
#include <QRegularExpression>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "cli/CommandRegistry.h"
#include "cli/Commands.h"
#include "lang/Language.h"
#include "link/CommandTable.h"
#include "link/Exchange.h"
#include "link/NetLine.h"
#include "link/PortNaming.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"
#include "texts/FrameText.h"
#include "version/Version.h"

namespace kx::cli {

namespace {

// The options that may come before and after the command; later ones win.
// A network port name is checked where it is given, not when it is opened.
void CheckNetPort(const char* option, const std::string& name) {
  std::string error;
  if (IsNetPortName(name) && !ParseNetPortName(name, error)) Bad(QString(option) + ": " + QString::fromStdString(error));
}

class GlobalOptionSet {
 public:
  GlobalOptionSet()
      : port_(QStringList{"port"},
              "The serial device of the unit, or a serial server: tcp://HOST:PORT (raw) or rfc2217://HOST:PORT, "
              "each with ?extra-wait=MS (default 100) added to every reply wait.",
              "PATH"),
        com_(QStringList{"com"}, "Port number N by the panel's rule (see 'ports'), or N=PATH; default 1.", "N"),
        baud_(QStringList{"baud"}, QString("Baud rate (default %1).").arg(kDefaultBaud), "RATE"),
        address_(QStringList{"address"}, "The unit's address, 0..255 (default 0).", "A"),
        simulate_(QStringList{"simulate"}, "Use a simulated unit on a pseudo-terminal."),
        trace_(QStringList{"trace"}, "Show every frame on stderr: time, direction, bytes, command, verdict."),
        json_(QStringList{"json"}, "Print one JSON object per result."),
        quiet_(QStringList{"quiet"}, "No progress on stderr (shown only when it is a terminal)."),
        lang_(QStringList{"lang"},
              "The language of the unit's texts: zh (as the panel shows them) or en; default en when "
              "LC_ALL, LC_MESSAGES or LANG starts with en, else zh. JSON keeps the Chinese texts.",
              "LANG"),
        help_(QStringList{"h", "help"}, "Show this text."),
        version_(QStringList{"version"}, "Show the program's version.") {}

  void AddTo(QCommandLineParser& p) const {
    p.addOptions({port_, com_, baud_, address_, simulate_, trace_, json_, quiet_, lang_, help_});
  }
  // Only before the command: after it, "version" is the unit's firmware command.
  void AddVersionTo(QCommandLineParser& p) const { p.addOption(version_); }
  // What a command without a unit can use: its help lists only these.
  QList<QCommandLineOption> All() const {
    return {port_, com_, baud_, address_, simulate_, trace_, json_, quiet_, lang_, help_, version_};
  }
  void AddPortlessTo(QCommandLineParser& p) const { p.addOptions({json_, lang_, help_}); }
  bool HelpAsked(const QCommandLineParser& p) const { return p.isSet(help_); }
  bool VersionAsked(const QCommandLineParser& p) const { return p.isSet(version_); }

  void Read(const QCommandLineParser& p, GlobalOptions& g) const {
    if (p.isSet(port_)) {
      g.port = Unescape(p.value(port_)).toStdString();
      // Empty would mean "not given" and open port 1: whatever is there.
      if (g.port.empty()) Bad("--port needs a device path");
      CheckNetPort("--port", g.port);
    }
    if (p.isSet(com_)) {
      // N, or N=PATH: port N means PATH (a device or a network port), as in the panel.
      const QString value = p.value(com_);
      const qsizetype eq = value.indexOf('=');
      const auto n = ParseInteger(eq < 0 ? value : value.left(eq), 1, 9999);
      if (!n || eq == value.size() - 1) Bad("--com needs a port number from 1 or N=PATH, not '" + value + "'");
      g.com = static_cast<int>(*n);
      g.comPath = eq < 0 ? std::string() : Unescape(value.mid(eq + 1)).toStdString();
      CheckNetPort("--com", g.comPath);
    }
    if (p.isSet(baud_)) {
      const auto b = ParseInteger(p.value(baud_), 0, 1000000);
      if (!b || !IsBaudRate(*b))
        Bad("--baud must be " + QString::fromStdString(JoinBaudRates(", ", " or ")) + ", not '" + p.value(baud_) + "'");
      g.baud = static_cast<int>(*b);
    }
    if (p.isSet(address_)) {
      const auto a = ParseInteger(p.value(address_), 0, 255);
      if (!a) Bad("--address must be 0..255, not '" + Unescape(p.value(address_)) + "'");
      g.address = static_cast<int>(*a);
    }
    g.simulate = g.simulate || p.isSet(simulate_);
    g.trace = g.trace || p.isSet(trace_);
    g.json = g.json || p.isSet(json_);
    g.quiet = g.quiet || p.isSet(quiet_);
    if (p.isSet(lang_)) {
      g.language = ParseLanguage(p.value(lang_).toStdString());
      if (!g.language) Bad("--lang must be zh or en, not '" + p.value(lang_) + "'");
    }
  }

 private:
  QCommandLineOption port_, com_, baud_, address_, simulate_, trace_, json_, quiet_, lang_, help_, version_;
};

// The tracer is process-wide; a run sets it and always takes it away again.
class TraceScope {
 public:
  TraceScope(bool on, Output& out) : on_(on) {
    if (on_) SetFrameTracer([&out](const FrameEvent& frame) { out.ErrLine(FrameLine(frame)); });
  }
  ~TraceScope() {
    if (on_) SetFrameTracer(nullptr);
  }

 private:
  bool on_;
};

// A script reading JSON sees argument errors too; --json counts wherever it
// stands, since parsing may have stopped before reaching it.
void UsageJson(Output& out, const QStringList& arguments, const std::string& text) {
  if (!arguments.mid(1).contains(QStringLiteral("--json"))) return;
  PrintJson(out, QJsonObject{{"ok", false}, {"error", "usage"}, {"cause", QString::fromStdString(text)}});
}

std::tm LocalNow() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

// The first pass: global options up to the command, and the command. The
// command's arguments come back for the second pass, negative numbers marked.
const CliCommand* ParseTopLevel(const QStringList& arguments, const GlobalOptionSet& globals, GlobalOptions& g,
                                bool& help, bool& version, QStringList& commandArguments) {
  QCommandLineParser top;
  top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  globals.AddTo(top);
  globals.AddVersionTo(top);
  top.addPositionalArgument("command", "The command.");
  if (!top.parse(arguments)) Bad(top.errorText());
  help = globals.HelpAsked(top);
  version = globals.VersionAsked(top);
  if (help || version) return nullptr;
  globals.Read(top, g);
  const QStringList positional = top.positionalArguments();
  if (positional.isEmpty()) Bad("no command given");
  const CliCommand* command = FindCliCommand(positional.first());
  if (!command) Bad("unknown command '" + positional.first() + "'");

  commandArguments = QStringList{QStringLiteral("kx4200-cli ") + command->name};
  static const QRegularExpression negative(QStringLiteral(R"(^-\d)"));
  for (int i = 1; i < positional.size(); ++i)
    commandArguments << (negative.match(positional[i]).hasMatch() ? QChar(kNegativeMark) + positional[i]
                                                                  : positional[i]);
  return command;
}

QCommandLineOption MakeOption(const CliOption& o) {
  QStringList names;
  for (const char* n : o.names) names << QString::fromUtf8(n);
  if (!o.valueName) return QCommandLineOption(names, QString::fromUtf8(o.description));
  return QCommandLineOption(names, QString::fromUtf8(o.description), QString::fromUtf8(o.valueName),
                            QString::fromStdString(o.defaultValue));
}

// The port: a simulated unit, a path, or a port number by the panel's rule.
// Returns kExitOk with env.ports set, or the exit status after telling why not.
struct PortSetup {
  std::unique_ptr<VirtualDevice> device;
  std::unique_ptr<SimHost> host;
  std::unique_ptr<PortSource> source;
};

int SetUpPort(Env& env, const Hooks& hooks, PortSetup& setup) {
  const GlobalOptions& g = env.global;
  std::string path = g.port;
  if (g.simulate) {
    setup.device = std::make_unique<VirtualDevice>();
    setup.device->SetAddress(g.address);  // so that every command finds it as given
    setup.device->SetBaud(g.baud);
    setup.host = std::make_unique<SimHost>(*setup.device);
    if (!setup.host->Start()) {
      env.Fail("could not start the simulated unit (no pseudo-terminal)", "");
      return kExitPort;
    }
    path = setup.host->Path();
  } else if (!g.comPath.empty()) {
    path = g.comPath;
  } else if (path.empty()) {
    const int n = g.com != 0 ? g.com : 1;
    PortNaming naming(hooks.sysClassTty, hooks.devRoot);
    path = naming.Resolve(n);
    if (path.empty()) {
      env.Fail("port " + std::to_string(n) + " means no serial device (" + std::to_string(naming.List().size()) +
                   " found; see 'kx4200-cli ports', or give --port PATH)",
               "");
      return kExitPort;
    }
  }
  setup.source = std::make_unique<SerialPortSource>(path, hooks.waitScale);
  env.ports = setup.source.get();
  return kExitOk;
}

}  // namespace

QList<QCommandLineOption> GlobalCommandLineOptions() { return GlobalOptionSet().All(); }

int RunCli(const QStringList& arguments, Output& out, const Hooks& hooks) {
  const GlobalOptionSet globals;
  GlobalOptions g;

  const CliCommand* command = nullptr;
  QStringList commandArguments;
  try {
    bool help = false, version = false;
    command = ParseTopLevel(arguments, globals, g, help, version, commandArguments);
    if (help) {
      out.Out(UsageText());
      return kExitOk;
    }
    if (version) {
      out.Out(std::string("kx4200-cli ") + VersionText() + "\n");
      return kExitOk;
    }
  } catch (const UsageError& e) {
    out.ErrLine("kx4200-cli: " + e.text + " (see 'kx4200-cli --help')");
    UsageJson(out, arguments, e.text);
    return kExitUsage;
  }

  // The second pass: the command's own options and global options given after it.
  QCommandLineParser p;
  globals.AddTo(p);
  for (const CliOption& o : command->options) p.addOption(MakeOption(o));
  CliRun run;
  std::optional<ScopedLanguage> language;  // from the options on, so that refusals of the command speak it
  try {
    if (!p.parse(commandArguments)) Bad(QString::fromUtf8(command->name) + ": " + p.errorText());
    if (globals.HelpAsked(p)) {
      if (command->needsPort) {
        out.Out(CommandHelpText(*command, p.helpText()));
      } else {
        QCommandLineParser shown;
        globals.AddPortlessTo(shown);
        for (const CliOption& o : command->options) shown.addOption(MakeOption(o));
        out.Out(CommandHelpText(*command, shown.helpText()));
      }
      return kExitOk;
    }
    globals.Read(p, g);
    // JSON is for scripts: its texts stay the source texts whatever the language.
    language.emplace(g.json ? Language::Chinese : g.language.value_or(hooks.language));
    run = command->parse(CommandLine(*command, p, hooks));
    if (command->needsPort && g.simulate && (!g.port.empty() || g.com != 0))
      Bad("--simulate cannot be combined with --port or --com");
    if (!g.port.empty() && g.com != 0) Bad("give --port or --com, not both");
  } catch (const UsageError& e) {
    out.ErrLine("kx4200-cli: " + e.text + " (see 'kx4200-cli " + command->name + " --help')");
    UsageJson(out, arguments, e.text);
    return kExitUsage;
  }

  Env env{out, g, nullptr, {}, {}, {}};
  env.stopRequested = hooks.stopRequested;
  env.stopFd = hooks.stopFd;
  env.waitScale = hooks.waitScale;
  env.now = hooks.now ? hooks.now : LocalNow;
  env.sleep = hooks.sleep ? hooks.sleep : [&env](int ms) {
    // In slices, so that Ctrl-C ends a long period at once.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!env.Stopped() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
          std::chrono::milliseconds(50), until - std::chrono::steady_clock::now()));
  };

  PortSetup port;
  if (command->needsPort) {
    if (const int status = SetUpPort(env, hooks, port); status != kExitOk) return status;
  }
  TraceScope trace(g.trace, out);
  if (hooks.stopEndsCleanly) *hooks.stopEndsCleanly = command->stopEndsCleanly;
  return run(env);
}

}  // namespace kx::cli
