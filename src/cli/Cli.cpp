#include "cli/Cli.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "cli/Commands.h"
#include "link/DeviceSettings.h"
#include "link/Exchange.h"
#include "link/GearCalibration.h"
#include "link/PortNaming.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx::cli {

namespace {

const char* const kUsage =
    "Usage: kx4200-cli [--port PATH | --com N] [--baud RATE] [--address A] [--simulate] [--trace] [--json]\n"
    "                  COMMAND [ARGS]\n"
    "\n"
    "Service and test tool for the KX4200 battery monitoring unit, on the command line.\n"
    "\n"
    "Commands:\n"
    "  acquire [--count K] [--period MS] [--current-range I] [--csv FILE]   live values\n"
    "  clock get | clock set [--time \"YYYY-MM-DD HH:MM:SS\"]                the unit's clock\n"
    "  groups                                      how many curve groups the unit holds\n"
    "  download N [-o FILE.bin] [--csv FILE.csv]   download curve group N\n"
    "  clear --yes                                 erase every curve group in the unit\n"
    "  version                                     the firmware version\n"
    "  set-address NEW | set-baud RATE             change the unit's address or baud rate\n"
    "  gear get | gear set 2V|6V|12V               the voltage range gear\n"
    "  calibrate CHANNEL 1|2                       calibrate an input (factory)\n"
    "  alarms get | alarms set ...                 the alarm word and the alarm settings\n"
    "  export FILE.bin [--csv F] [--png F] [--pdf F]   a curve file as CSV, image or PDF\n"
    "  ports                                       the serial ports and their numbers\n"
    "  scan [--addresses A-B] [--bauds LIST]       find units of unknown address or rate\n"
    "\n"
    "'kx4200-cli COMMAND --help' describes a command.\n"
    "\n"
    "Exit status: 0 success; 1 the unit did not answer, answered short or with a wrong\n"
    "checksum, or refused; 2 bad arguments or a bad file; 3 the port could not be opened.\n";

// The rates and the calibration waits as the texts below name them.
const std::string kRatesOr = JoinBaudRates(", ", " or ");
const std::string kRatesList = JoinBaudRates(", ", ", ");

struct CommandHelp {
  const char* name;
  const char* usage;
  std::string text;
};

const CommandHelp kCommandHelp[] = {
    {"acquire", "acquire [--count K] [--period MS] [--current-range I] [--csv FILE]",
     "Reads the live values: 40 cells, total voltage, current, three temperatures and two\n"
     "analogue inputs, one line each. With --count K, K readings a period apart (0: until\n"
     "Ctrl-C), then the counts of good and failed readings. --csv logs every reading, a\n"
     "failed one as a row with empty values and ok = 0. Exit status 1 if any reading failed."},
    {"clock", "clock get | clock set [--time \"YYYY-MM-DD HH:MM:SS\"]",
     "get shows the unit's clock; set sets it to the given local time, by default to now."},
    {"groups", "groups", "Shows how many curve groups the unit holds and how many it is still recording."},
    {"download", "download N [-o FILE.bin] [--csv FILE.csv]",
     "Downloads curve group N (from 1) and saves it as a curve file and/or a CSV table.\n"
     "A group number the unit does not hold gives exit status 2."},
    {"clear", "clear --yes", "Erases every curve group stored in the unit. Needs --yes."},
    {"version", "version", "Shows the unit's firmware version."},
    {"set-address", "set-address NEW", "Gives the unit the communication address NEW (0..255)."},
    {"set-baud", "set-baud RATE", "Switches the unit to RATE: " + kRatesOr + "."},
    {"gear", "gear get | gear set 2V|6V|12V", "Reads or sets the voltage range gear."},
    {"calibrate", "calibrate cell-2v|cell-6v|cell-12v|total-2v|total-6v|total-12v|temp|current 1|2",
     "Calibrates an input at its first or second reference point (cell voltages wait up\n"
     "to " + std::to_string(CalibrationWaitMs(FindCalibrationRow("cell-2v")->channel) / 1000) +
         " s for the unit, the others " +
         std::to_string(CalibrationWaitMs(FindCalibrationRow("temp")->channel) / 1000) + " s)."},
    {"alarms", "alarms get | alarms set volt on|off [OVER UNDER] | current on|off [OVER] | temp1|temp2|temp3 on|off [HIGH LOW]",
     "get shows the alarms the unit raises. set writes one alarm setting; switched on it\n"
     "needs its values (whole volts 0..65535, amperes -32767..32767, degrees -127..127);\n"
     "switched off it sends zeros. Negative values are written as they are: current on -20."},
    {"export", "export FILE.bin [--csv OUT.csv] [--png OUT.png] [--pdf OUT.pdf]",
     "Exports a curve file: a CSV table, the chart as the viewer shows it (890 x 560 PNG)\n"
     "or as the printer draws it (one A4 PDF page)."},
    {"ports", "ports", "Lists the serial devices with the port number --com gives them, their driver and\n"
                       "their stable name under /dev/serial/by-id."},
    {"scan", "scan [--addresses A-B] [--bauds LIST] [--wait MS]",
     "Asks every address at every baud rate for its version and lists the units that\n"
     "answer. Defaults: addresses 0-255, all six rates; the wait per probe follows the rate."},
};

const CommandHelp* FindHelp(const QString& name) {
  for (const CommandHelp& h : kCommandHelp)
    if (name == QLatin1String(h.name)) return &h;
  return nullptr;
}

// Negative numbers are values here ("alarms set current on -20"), not options.
const QChar kNegativeMark(0x1F);
QString Unescape(QString s) {
  if (s.startsWith(kNegativeMark)) s.remove(0, 1);
  return s;
}

std::optional<long long> ParseInteger(const QString& text, long long low, long long high) {
  bool ok = false;
  const long long v = Unescape(text).trimmed().toLongLong(&ok, 10);
  if (!ok || v < low || v > high) return std::nullopt;
  return v;
}

struct UsageError {
  std::string text;
};

[[noreturn]] void Bad(const QString& text) { throw UsageError{text.toStdString()}; }

class Options {
 public:
  Options()
      : port_(QStringList{"port"}, "The serial device of the unit.", "PATH"),
        com_(QStringList{"com"}, "Port number N by the panel's rule (see 'ports'); default 1.", "N"),
        baud_(QStringList{"baud"}, "Baud rate (default 9600).", "RATE"),
        address_(QStringList{"address"}, "The unit's address, 0..255 (default 0).", "A"),
        simulate_(QStringList{"simulate"}, "Use a simulated unit on a pseudo-terminal."),
        trace_(QStringList{"trace"}, "Show every frame on stderr."),
        json_(QStringList{"json"}, "Print one JSON object per result.") {}

  void AddTo(QCommandLineParser& p) const {
    p.addOptions({port_, com_, baud_, address_, simulate_, trace_, json_});
  }

  // Later occurrences (after the command) override earlier ones.
  void Read(const QCommandLineParser& p, GlobalOptions& g) const {
    if (p.isSet(port_)) g.port = Unescape(p.value(port_)).toStdString();
    if (p.isSet(com_)) {
      const auto n = ParseInteger(p.value(com_), 1, 9999);
      if (!n) Bad("--com needs a port number from 1, not '" + p.value(com_) + "'");
      g.com = static_cast<int>(*n);
    }
    if (p.isSet(baud_)) {
      const auto b = ParseInteger(p.value(baud_), 0, 1000000);
      if (!b || !IsBaudRate(*b))
        Bad("--baud must be " + QString::fromStdString(kRatesOr) + ", not '" + p.value(baud_) + "'");
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
  }

 private:
  QCommandLineOption port_, com_, baud_, address_, simulate_, trace_, json_;
};

void TraceLine(Output& out, bool sent, std::span<const uint8_t> bytes) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const int ms = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&t, &local);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec, ms);
  std::string line = std::string(stamp) + (sent ? " TX" : " RX");
  char hex[4];
  for (uint8_t b : bytes) {
    std::snprintf(hex, sizeof hex, " %02X", b);
    line += hex;
  }
  out.ErrLine(line);
}

// The tracer is process-wide; a run sets it and always takes it away again.
class TraceScope {
 public:
  TraceScope(bool on, Output& out) : on_(on) {
    if (on_) SetFrameTracer([&out](bool sent, std::span<const uint8_t> b) { TraceLine(out, sent, b); });
  }
  ~TraceScope() {
    if (on_) SetFrameTracer(nullptr);
  }

 private:
  bool on_;
};

std::tm LocalNow() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

std::tm ParseLocalTime(const QString& text) {
  static const QRegularExpression re(QStringLiteral(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})[ T](\d{1,2}):(\d{1,2}):(\d{1,2})\s*$)"));
  const auto m = re.match(text);
  if (!m.hasMatch()) Bad("--time needs \"YYYY-MM-DD HH:MM:SS\", not '" + text + "'");
  std::tm t{};
  t.tm_year = m.captured(1).toInt() - 1900;
  t.tm_mon = m.captured(2).toInt() - 1;
  t.tm_mday = m.captured(3).toInt();
  t.tm_hour = m.captured(4).toInt();
  t.tm_min = m.captured(5).toInt();
  t.tm_sec = m.captured(6).toInt();
  t.tm_isdst = -1;
  std::tm check = t;
  // The unit keeps a year of two BCD centuries digits; a date mktime has to move is no date.
  if (t.tm_year + 1900 > 9999 || std::mktime(&check) == static_cast<std::time_t>(-1) ||
      check.tm_mday != t.tm_mday || check.tm_mon != t.tm_mon || check.tm_hour != t.tm_hour ||
      check.tm_min != t.tm_min || check.tm_sec != t.tm_sec)
    Bad("--time: '" + text + "' is not a valid local time");
  return check;
}

// The positional arguments after the command, with the given count range.
QStringList Positionals(const QCommandLineParser& p, int low, int high, const QString& command) {
  QStringList args;
  for (const QString& a : p.positionalArguments()) args << Unescape(a);
  if (args.size() < low || args.size() > high) {
    const CommandHelp* h = FindHelp(command);
    Bad("usage: kx4200-cli " + QString::fromUtf8(h ? h->usage : command.toUtf8().constData()));
  }
  return args;
}

bool OnOff(const QString& s) {
  if (s == QLatin1String("on")) return true;
  if (s == QLatin1String("off")) return false;
  Bad("expected on or off, not '" + s + "'");
}

}  // namespace

int RunCli(const QStringList& arguments, Output& out, const Hooks& hooks) {
  const Options globals;
  GlobalOptions g;
  QString command;
  QStringList rest;
  std::unique_ptr<QCommandLineParser> sub;

  Env env{out, g, nullptr, {}, {}, {}};
  env.stopRequested = hooks.stopRequested;
  env.now = hooks.now ? hooks.now : LocalNow;
  env.sleep = hooks.sleep ? hooks.sleep : [&env](int ms) {
    // In slices, so that Ctrl-C ends a long period at once.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!env.Stopped() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
          std::chrono::milliseconds(50), until - std::chrono::steady_clock::now()));
  };

  try {
    QCommandLineParser top;
    top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    globals.AddTo(top);
    const QCommandLineOption help(QStringList{"h", "help"}, "Show this text.");
    top.addOption(help);
    top.addPositionalArgument("command", "The command.");
    if (!top.parse(arguments)) Bad(top.errorText());
    if (top.isSet(help)) {
      out.Out(kUsage);
      return kExitOk;
    }
    globals.Read(top, g);
    const QStringList positional = top.positionalArguments();
    if (positional.isEmpty()) Bad("no command given");
    command = positional.first();
    const CommandHelp* helpEntry = FindHelp(command);
    if (!helpEntry) Bad("unknown command '" + command + "'");

    sub = std::make_unique<QCommandLineParser>();
    globals.AddTo(*sub);
    sub->addOption(help);
    QStringList subArgs{"kx4200-cli " + command};
    static const QRegularExpression negative(QStringLiteral(R"(^-\d)"));
    for (int i = 1; i < positional.size(); ++i)
      subArgs << (negative.match(positional[i]).hasMatch() ? kNegativeMark + positional[i] : positional[i]);
    rest = subArgs;
  } catch (const UsageError& e) {
    out.ErrLine("kx4200-cli: " + e.text + " (see 'kx4200-cli --help')");
    return kExitUsage;
  }

  // Per-command options, registered before the second parse.
  QCommandLineParser& p = *sub;
  const QCommandLineOption countOpt(QStringList{"count"}, "Number of readings (0: until Ctrl-C).", "K", "1");
  const QCommandLineOption periodOpt(QStringList{"period"}, "Milliseconds from one reading to the next.", "MS", "1000");
  const QCommandLineOption rangeOpt(QStringList{"current-range"}, "Current full scale in amperes.", "I", "1000");
  const QCommandLineOption csvOpt(QStringList{"csv"}, "Write a CSV table.", "FILE");
  const QCommandLineOption timeOpt(QStringList{"time"}, "Local time to set.", "YYYY-MM-DD HH:MM:SS");
  const QCommandLineOption outOpt(QStringList{"o", "output"}, "Save the group as a curve file.", "FILE.bin");
  const QCommandLineOption yesOpt(QStringList{"yes"}, "Confirm erasing.");
  const QCommandLineOption pngOpt(QStringList{"png"}, "Write the chart as a PNG image.", "FILE");
  const QCommandLineOption pdfOpt(QStringList{"pdf"}, "Write the chart as a PDF page.", "FILE");
  const QCommandLineOption addressesOpt(QStringList{"addresses"}, "Addresses to try.", "A-B", "0-255");
  const QCommandLineOption baudsOpt(QStringList{"bauds"}, "Baud rates to try, comma-separated.", "LIST",
                                    QString::fromStdString(JoinBaudRates(",", ",")));
  const QCommandLineOption waitOpt(QStringList{"wait"}, "Wait per probe in ms (default: by rate).", "MS");
  if (command == "acquire") p.addOptions({countOpt, periodOpt, rangeOpt, csvOpt});
  if (command == "clock") p.addOption(timeOpt);
  if (command == "download") p.addOptions({outOpt, csvOpt});
  if (command == "clear") p.addOption(yesOpt);
  if (command == "export") p.addOptions({csvOpt, pngOpt, pdfOpt});
  if (command == "scan") p.addOptions({addressesOpt, baudsOpt, waitOpt});

  auto value = [&p](const QCommandLineOption& o) { return Unescape(p.value(o)); };

  std::function<int()> run;
  bool needsPort = true;
  try {
    if (!p.parse(rest)) Bad(command + ": " + p.errorText());
    if (p.isSet("help")) {
      const CommandHelp* h = FindHelp(command);
      out.Out(std::string("Usage: kx4200-cli [global options] ") + h->usage + "\n\n" + h->text + "\n");
      const QString options = p.helpText();
      const int at = options.indexOf("Options:");
      if (at >= 0) out.Out("\n" + options.mid(at).toStdString());
      return kExitOk;
    }
    globals.Read(p, g);

    if (command == "acquire") {
      Positionals(p, 0, 0, command);
      AcquireOptions o;
      const auto count = ParseInteger(value(countOpt), 0, 100000000);
      const auto period = ParseInteger(value(periodOpt), 0, 86400000);
      const auto range = ParseInteger(value(rangeOpt), 1, 1000000);
      if (!count) Bad("--count must be a whole number from 0, not '" + value(countOpt) + "'");
      if (!period) Bad("--period must be a whole number of milliseconds, not '" + value(periodOpt) + "'");
      if (!range) Bad("--current-range must be a whole number of amperes from 1, not '" + value(rangeOpt) + "'");
      o.count = static_cast<int>(*count);
      o.periodMs = static_cast<int>(*period);
      o.currentRange = static_cast<int>(*range);
      o.csv = value(csvOpt).toStdString();
      run = [&env, o] { return Acquire(env, o); };
    } else if (command == "clock") {
      const QStringList a = Positionals(p, 1, 1, command);
      if (a[0] == "get") {
        if (p.isSet(timeOpt)) Bad("clock get takes no --time");
        run = [&env] { return ClockGet(env); };
      } else if (a[0] == "set") {
        std::optional<std::tm> t;
        if (p.isSet(timeOpt)) t = ParseLocalTime(value(timeOpt));
        run = [&env, t] { return ClockSet(env, t); };
      } else {
        Bad("clock needs get or set, not '" + a[0] + "'");
      }
    } else if (command == "groups") {
      Positionals(p, 0, 0, command);
      run = [&env] { return Groups(env); };
    } else if (command == "download") {
      const QStringList a = Positionals(p, 1, 1, command);
      const auto n = ParseInteger(a[0], 1, 255);
      if (!n) Bad("download needs a group number 1..255, not '" + a[0] + "'");
      DownloadOptions o{static_cast<int>(*n), value(outOpt).toStdString(), value(csvOpt).toStdString()};
      run = [&env, o] { return Download(env, o); };
    } else if (command == "clear") {
      Positionals(p, 0, 0, command);
      if (!p.isSet(yesOpt)) Bad("clear erases every curve group in the unit (是否真的清除所有曲线数据?); add --yes");
      run = [&env] { return Clear(env); };
    } else if (command == "version") {
      Positionals(p, 0, 0, command);
      run = [&env] { return Version(env); };
    } else if (command == "set-address") {
      const QStringList a = Positionals(p, 1, 1, command);
      const auto n = ParseInteger(a[0], 0, 255);
      if (!n) Bad("set-address: '" + a[0] + "' is not 0..255 (请输入0~255范围内的数)");
      const int address = static_cast<int>(*n);
      run = [&env, address] { return SetDeviceAddress(env, address); };
    } else if (command == "set-baud") {
      const QStringList a = Positionals(p, 1, 1, command);
      const auto b = ParseInteger(a[0], 0, 1000000);
      if (!b || !IsBaudRate(*b))
        Bad("set-baud: RATE must be " + QString::fromStdString(kRatesOr) + ", not '" + a[0] + "'");
      const int baud = static_cast<int>(*b);
      run = [&env, baud] { return SetDeviceBaud(env, baud); };
    } else if (command == "gear") {
      const QStringList a = Positionals(p, 1, 2, command);
      if (a[0] == "get" && a.size() == 1) {
        run = [&env] { return GearGet(env); };
      } else if (a[0] == "set" && a.size() == 2) {
        std::optional<uint8_t> gear;
        for (int i = 0; i < 3; ++i)
          if (a[1].compare(QString::fromUtf8(GearText(kGears[i])), Qt::CaseInsensitive) == 0) gear = kGears[i];
        if (!gear) Bad("gear set needs 2V, 6V or 12V, not '" + a[1] + "'");
        const uint8_t g8 = *gear;
        run = [&env, g8] { return GearSet(env, g8); };
      } else {
        Bad("usage: kx4200-cli gear get | gear set 2V|6V|12V");
      }
    } else if (command == "calibrate") {
      const QStringList a = Positionals(p, 2, 2, command);
      const CalibrationRow* row = FindCalibrationRow(a[0].toStdString());
      if (!row) Bad("calibrate: unknown channel '" + a[0] + "'");
      const auto point = ParseInteger(a[1], 1, 2);
      if (!point) Bad("calibrate: the point must be 1 or 2, not '" + a[1] + "'");
      const uint8_t pt = static_cast<uint8_t>(*point);
      run = [&env, row, pt] { return CalibrateInput(env, *row, pt); };
    } else if (command == "alarms") {
      const QStringList a = Positionals(p, 1, 5, command);
      if (a[0] == "get" && a.size() == 1) {
        run = [&env] { return AlarmsGet(env); };
      } else if (a[0] == "set" && a.size() >= 3) {
        AlarmSet s;
        s.on = OnOff(a[2]);
        int values = 2;
        long long low = 0, high = 65535;
        if (a[1] == "volt") {
          s.setting = AlarmSetting::Volt;
        } else if (a[1] == "current") {
          s.setting = AlarmSetting::Current;
          values = 1;
          low = -32767, high = 32767;  // sign and magnitude in 16 bits
        } else if (a[1] == "temp1" || a[1] == "temp2" || a[1] == "temp3") {
          s.setting = a[1] == "temp1" ? AlarmSetting::Temp1 : a[1] == "temp2" ? AlarmSetting::Temp2 : AlarmSetting::Temp3;
          low = -127, high = 127;  // sign and magnitude in one byte
        } else {
          Bad("alarms set needs volt, current, temp1, temp2 or temp3, not '" + a[1] + "'");
        }
        const int given = static_cast<int>(a.size()) - 3;
        if (given != values && !(given == 0 && !s.on))
          Bad("alarms set " + a[1] + " " + a[2] + " needs " + QString::number(values) +
              (values == 1 ? " value" : " values"));
        long long* targets[] = {&s.first, &s.second};
        for (int i = 0; i < given; ++i) {
          const auto v = ParseInteger(a[3 + i], low, high);
          if (!v) Bad("alarms set " + a[1] + ": '" + a[3 + i] + "' is not a whole number " + QString::number(low) +
                      ".." + QString::number(high));
          *targets[i] = *v;
        }
        run = [&env, s] { return AlarmsSet(env, s); };
      } else {
        Bad("usage: kx4200-cli alarms get | alarms set volt|current|temp1|temp2|temp3 on|off [values]");
      }
    } else if (command == "export") {
      const QStringList a = Positionals(p, 1, 1, command);
      ExportOptions o{a[0].toStdString(), value(csvOpt).toStdString(), value(pngOpt).toStdString(),
                      value(pdfOpt).toStdString()};
      needsPort = false;
      run = [&env, o] { return Export(env, o); };
    } else if (command == "ports") {
      Positionals(p, 0, 0, command);
      needsPort = false;
      run = [&env, &hooks] {
        PortNaming naming(hooks.sysClassTty, hooks.devRoot);
        return Ports(env, naming);
      };
    } else if (command == "scan") {
      Positionals(p, 0, 0, command);
      ScanOptions o;
      static const QRegularExpression range(QStringLiteral(R"(^(\d{1,3})(?:-(\d{1,3}))?$)"));
      const auto m = range.match(value(addressesOpt));
      if (!m.hasMatch()) Bad("--addresses needs A-B, not '" + value(addressesOpt) + "'");
      o.firstAddress = m.captured(1).toInt();
      o.lastAddress = m.captured(2).isEmpty() ? o.firstAddress : m.captured(2).toInt();
      if (o.lastAddress > 255 || o.firstAddress > o.lastAddress)
        Bad("--addresses must lie within 0-255, low to high, not '" + value(addressesOpt) + "'");
      o.bauds.clear();
      for (const QString& b : value(baudsOpt).split(',', Qt::SkipEmptyParts)) {
        const auto rate = ParseInteger(b, 0, 1000000);
        if (!rate || !IsBaudRate(*rate)) Bad("--bauds: '" + b + "' is not one of " + QString::fromStdString(kRatesList));
        o.bauds.push_back(static_cast<int>(*rate));
      }
      if (o.bauds.empty()) Bad("--bauds needs at least one rate");
      if (p.isSet(waitOpt)) {
        const auto w = ParseInteger(value(waitOpt), 1, 60000);
        if (!w) Bad("--wait must be 1..60000 ms");
        o.waitMs = static_cast<int>(*w);
      }
      run = [&env, o] { return Scan(env, o); };
    }
    if (needsPort && g.simulate && (!g.port.empty() || g.com != 0)) Bad("--simulate cannot be combined with --port or --com");
    if (!g.port.empty() && g.com != 0) Bad("give --port or --com, not both");
  } catch (const UsageError& e) {
    out.ErrLine("kx4200-cli: " + e.text + " (see 'kx4200-cli " + command.toStdString() + " --help')");
    return kExitUsage;
  }
  env.global = g;

  // The port: a simulated unit, a path, or a port number by the panel's rule.
  std::unique_ptr<VirtualDevice> device;
  std::unique_ptr<SimHost> host;
  std::unique_ptr<PortSource> source;
  if (needsPort) {
    std::string path = g.port;
    if (g.simulate) {
      device = std::make_unique<VirtualDevice>();
      device->SetAddress(g.address);  // so that every command finds it as given
      device->SetBaud(g.baud);
      host = std::make_unique<SimHost>(*device);
      if (!host->Start()) {
        env.Fail("could not start the simulated unit (no pseudo-terminal)", "");
        return kExitPort;
      }
      path = host->Path();
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
    source = std::make_unique<SerialPortSource>(path);
    env.ports = source.get();
  }
  TraceScope trace(g.trace, out);
  return run();
}

}  // namespace kx::cli
