#include "cli/CommandRegistry.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>

#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/MonitorCommand.h"
#include "link/CommandTable.h"
#include "texts/Messages.h"
#include "link/GearCalibration.h"
#include "report/ReportRender.h"
#include "texts/ExitStatus.h"

namespace kx::cli {

namespace {

// ---------------------------------------------------------------- argument helpers

bool OnOff(const QString& s) {
  if (s == QLatin1String("on")) return true;
  if (s == QLatin1String("off")) return false;
  Bad("expected on or off, not '" + s + "'");
}

std::tm ParseLocalTime(const QString& text) {
  static const QRegularExpression re(
      QStringLiteral(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})[ T](\d{1,2}):(\d{1,2}):(\d{1,2})\s*$)"));
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
  if (t.tm_year + 1900 > 9999 || std::mktime(&check) == static_cast<std::time_t>(-1) || check.tm_mday != t.tm_mday ||
      check.tm_mon != t.tm_mon || check.tm_hour != t.tm_hour || check.tm_min != t.tm_min || check.tm_sec != t.tm_sec)
    Bad("--time: '" + text + "' is not a valid local time");
  return check;
}

// The rates as the texts below name them.
std::string RatesOr() { return JoinBaudRates(", ", " or "); }

// ---------------------------------------------------------------- one parse function per command

CliRun ParseAcquire(const CommandLine& line) {
  line.Positionals(0, 0);
  const auto count = ParseInteger(line.Value("count"), 0, 100000000);
  const auto period = ParseInteger(line.Value("period"), 0, 86400000);
  const auto range = ParseInteger(line.Value("current-range"), 1, 1000000);
  if (!count) Bad("--count must be a whole number from 0 to 100000000, not '" + line.Value("count") + "'");
  if (!period)
    Bad("--period must be a whole number of milliseconds from 0 to 86400000, not '" + line.Value("period") + "'");
  if (!range)
    Bad("--current-range must be a whole number of amperes from 1 to 1000000, not '" + line.Value("current-range") +
        "'");
  AcquireOptions o;
  o.count = static_cast<int>(*count);
  o.periodMs = static_cast<int>(*period);
  o.currentRange = static_cast<int>(*range);
  o.csv = line.File("csv");
  return [o](Env& env) { return Acquire(env, o); };
}

CliRun ParseClock(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 1);
  if (a[0] == "get") {
    if (line.IsSet("time")) Bad("clock get takes no --time");
    return ClockGet;
  }
  if (a[0] == "set") {
    std::optional<std::tm> t;
    if (line.IsSet("time")) t = ParseLocalTime(line.Value("time"));
    return [t](Env& env) { return ClockSet(env, t); };
  }
  Bad("clock needs get or set, not '" + a[0] + "'");
}

CliRun ParseGroups(const CommandLine& line) {
  line.Positionals(0, 0);
  return Groups;
}

CliRun ParseDownload(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 1);
  const auto n = ParseInteger(a[0], 1, 255);
  if (!n) Bad("download needs a group number 1..255, not '" + a[0] + "'");
  const DownloadOptions o{static_cast<int>(*n), line.File("o"), line.File("csv")};
  return [o](Env& env) { return Download(env, o); };
}

CliRun ParseClear(const CommandLine& line) {
  line.Positionals(0, 0);
  if (!line.IsSet("yes"))
    Bad("clear erases every curve group in the unit (" + QString::fromUtf8(Tr("CommandLine", "是否真的清除所有曲线数据?")) +
        "); add --yes");
  return Clear;
}

CliRun ParseVersion(const CommandLine& line) {
  line.Positionals(0, 0);
  return Version;
}

CliRun ParseSetAddress(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 1);
  const auto n = ParseInteger(a[0], 0, 255);
  if (!n) Bad("set-address: '" + a[0] + "' is not 0..255 (" + QString::fromUtf8(Tr("Messages", msg::kAddressOutOfRange)) + ")");
  const int address = static_cast<int>(*n);
  return [address](Env& env) { return SetDeviceAddress(env, address); };
}

CliRun ParseSetBaud(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 1);
  const auto b = ParseInteger(a[0], 0, 1000000);
  if (!b || !IsBaudRate(*b)) Bad("set-baud: RATE must be " + QString::fromStdString(RatesOr()) + ", not '" + a[0] + "'");
  const int baud = static_cast<int>(*b);
  return [baud](Env& env) { return SetDeviceBaud(env, baud); };
}

CliRun ParseGear(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 2);
  if (a[0] == "get" && a.size() == 1) return GearGet;
  if (a[0] == "set" && a.size() == 2) {
    for (uint8_t gear : kGears)
      if (a[1].compare(QString::fromUtf8(GearText(gear)), Qt::CaseInsensitive) == 0)
        return [gear](Env& env) { return GearSet(env, gear); };
    Bad("gear set needs 2V, 6V or 12V, not '" + a[1] + "'");
  }
  line.BadUsage();
}

CliRun ParseCalibrate(const CommandLine& line) {
  const QStringList a = line.Positionals(2, 2);
  const CalibrationRow* row = FindCalibrationRow(a[0].toStdString());
  if (row == nullptr) Bad("calibrate: unknown channel '" + a[0] + "'");
  const auto point = ParseInteger(a[1], 1, 2);
  if (!point) Bad("calibrate: the point must be 1 or 2, not '" + a[1] + "'");
  const uint8_t pt = static_cast<uint8_t>(*point);
  return [row, pt](Env& env) { return CalibrateInput(env, *row, pt); };
}

// "alarms set SETTING on|off [VALUES]", from the setting's name on.
AlarmSet ParseAlarmSetting(const QStringList& a) {
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
    Bad("alarms set " + a[1] + " " + a[2] + " needs " + QString::number(values) + (values == 1 ? " value" : " values"));
  long long* targets[] = {&s.first, &s.second};
  for (int i = 0; i < given; ++i) {
    const auto v = ParseInteger(a[3 + i], low, high);
    if (!v)
      Bad("alarms set " + a[1] + ": '" + a[3 + i] + "' is not a whole number " + QString::number(low) + ".." +
          QString::number(high));
    *targets[i] = *v;
  }
  return s;
}

CliRun ParseAlarms(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 5);
  if (a[0] == "get" && a.size() == 1) return AlarmsGet;
  if (a[0] == "set" && a.size() >= 3) {
    const AlarmSet s = ParseAlarmSetting(a);
    return [s](Env& env) { return AlarmsSet(env, s); };
  }
  Bad("usage: kx4200-cli alarms get | alarms set volt|current|temp1|temp2|temp3 on|off [values]");
}

CliRun ParseExport(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 1);
  if (a[0].isEmpty()) Bad("export needs a curve file name");
  const ExportOptions o{a[0].toStdString(), line.File("csv"), line.File("png"), line.File("pdf"),
                        line.File("stats"), line.IsSet("autoscale")};
  return [o](Env& env) { return Export(env, o); };
}

// The discharge analysis's parameters, as analyze and report take them.
analysis::Parameters ParseAnalysisParameters(const CommandLine& line) {
  const auto number = [&line](const char* option) {
    bool ok = false;
    const double v = line.Value(option).trimmed().toDouble(&ok);
    return ok ? v : std::nan("");  // refused below, with the option's range
  };
  analysis::Parameters p;
  if (line.IsSet("end-voltage")) p.endVoltage = number("end-voltage");
  if (line.IsSet("rated-minutes")) p.ratedMinutes = number("rated-minutes");
  p.kFactor = number("k-factor");
  p.passPercent = number("pass-percent");
  p.weakPercent = number("weak-percent");
  p.driftPercent = number("drift-percent");
  const auto range = [](double low, bool lowIncluded, double high) {
    return QStringLiteral("a number %1 %2 and at most %3").arg(lowIncluded ? "from" : "above").arg(low).arg(high);
  };
  const char* option = nullptr;
  QString what;
  switch (analysis::CheckParameters(p)) {
    case analysis::ParameterError::None: return p;
    case analysis::ParameterError::EndVoltage:
      option = "end-voltage", what = range(0, false, analysis::kMaxEndVoltage) + " V";
      break;
    case analysis::ParameterError::RatedMinutes:
      option = "rated-minutes", what = range(0, false, analysis::kMaxRatedMinutes) + " minutes";
      break;
    case analysis::ParameterError::KFactor: option = "k-factor", what = range(0, false, analysis::kMaxKFactor); break;
    case analysis::ParameterError::PassPercent:
      option = "pass-percent", what = range(0, false, analysis::kMaxPercent);
      break;
    case analysis::ParameterError::WeakPercent:
      option = "weak-percent", what = range(0, true, analysis::kMaxPercent);
      break;
    case analysis::ParameterError::DriftPercent:
      option = "drift-percent", what = range(0, true, analysis::kMaxPercent);
      break;
  }
  Bad(QStringLiteral("--%1 must be %2, not '%3'").arg(QLatin1String(option), what, line.Value(option)));
}

CliRun ParseReport(const CommandLine& line) {
  line.Positionals(0, 0);
  ReportOptions o;
  o.output = line.File("o");
  if (o.output.empty() || o.output == "-") Bad("report needs -o FILE.pdf");
  o.group = line.File("group");
  o.title = line.Value("title").toStdString();
  const auto range = ParseInteger(line.Value("current-range"), 1, 1000000);
  if (!range)
    Bad("--current-range must be a whole number of amperes from 1 to 1000000, not '" + line.Value("current-range") +
        "'");
  o.currentRange = static_cast<int>(*range);
  o.parameters = ParseAnalysisParameters(line);
  o.baseline = line.File("baseline");
  o.csv = line.File("csv");
  if (o.group.empty()) {
    for (const char* option : {"end-voltage", "rated-minutes", "k-factor", "pass-percent", "weak-percent", "baseline",
                               "drift-percent", "csv"})
      if (line.IsSet(option)) Bad(QStringLiteral("--%1 analyses the curve file of --group; give one").arg(option));
  }
  return [o](Env& env) { return Report(env, o); };
}

CliRun ParseAnalyze(const CommandLine& line) {
  const QStringList a = line.Positionals(1, 1);
  if (a[0].isEmpty()) Bad("analyze needs a curve file name");
  AnalyzeOptions o;
  o.bin = a[0].toStdString();
  o.baseline = line.File("baseline");
  o.csv = line.File("csv");
  o.parameters = ParseAnalysisParameters(line);
  return [o](Env& env) { return Analyze(env, o); };
}

CliRun ParsePorts(const CommandLine& line) {
  line.Positionals(0, 0);
  return [&hooks = line.hooks()](Env& env) {
    PortNaming naming(hooks.sysClassTty, hooks.devRoot);
    return Ports(env, naming);
  };
}

CliRun ParseScan(const CommandLine& line) {
  line.Positionals(0, 0);
  ScanOptions o;
  const QString addresses = line.Value("addresses");
  static const QRegularExpression range(QStringLiteral(R"(^(\d{1,3})(?:-(\d{1,3}))?$)"));
  const auto m = range.match(addresses);
  if (!m.hasMatch()) Bad("--addresses needs A-B, not '" + addresses + "'");
  o.firstAddress = m.captured(1).toInt();
  o.lastAddress = m.captured(2).isEmpty() ? o.firstAddress : m.captured(2).toInt();
  if (o.lastAddress > 255 || o.firstAddress > o.lastAddress)
    Bad("--addresses must lie within 0-255, low to high, not '" + addresses + "'");
  o.bauds.clear();
  for (const QString& b : line.Value("bauds").split(',', Qt::SkipEmptyParts)) {
    const auto rate = ParseInteger(b, 0, 1000000);
    if (!rate || !IsBaudRate(*rate)) Bad("--bauds: '" + b + "' is not one of " + QString::fromStdString(JoinBaudRates(", ", ", ")));
    o.bauds.push_back(static_cast<int>(*rate));
  }
  if (o.bauds.empty()) Bad("--bauds needs at least one rate");
  if (line.IsSet("wait")) {
    const auto w = ParseInteger(line.Value("wait"), 1, 60000);
    if (!w) Bad("--wait must be 1..60000 ms");
    o.waitMs = static_cast<int>(*w);
  }
  return [o](Env& env) { return Scan(env, o); };
}

// ---------------------------------------------------------------- the table

const CliOption kCsvOption{{"csv"}, "Write a CSV table.", "FILE"};

// analyze's options; report takes them too.
std::vector<CliOption> AnalysisOptions(const char* csv) {
  return {{{"end-voltage"}, "End voltage per cell (default: by the cells' voltage at the start).", "V"},
          {{"rated-minutes"}, "Rated discharge time; gives the capacity and pass or fail.", "M"},
          {{"k-factor"}, "Temperature correction factor at the start (default 1).", "K", "1"},
          {{"pass-percent"}, "Capacity in % that passes (default 80).", "P", "80"},
          {{"weak-percent"}, "A cell more % below the mean at the string's end is weak (default 3).", "W", "3"},
          {{"baseline"}, "An older test of the same string to compare with.", "OLD.bin"},
          {{"drift-percent"}, "A deviation fallen by more points since the baseline is drift (default 2).", "D", "2"},
          {{"csv"}, csv, "FILE"}};
}

const std::vector<CliCommand>& Table() {
  static const std::vector<CliCommand> table{
      {.name = "acquire",
       .summary = "live values",
       .usage = "acquire [--count K] [--period MS] [--current-range I] [--csv FILE]",
       .help = "Reads the live values: 40 cells, total voltage, current, three temperatures and two\n"
               "analogue inputs, one line each. With --count K, K readings a period apart (0: until\n"
               "Ctrl-C), then the counts of good and failed readings. --csv logs every reading, a\n"
               "failed one as a row with empty values and ok = 0. Exit status 1 if any reading failed.",
       .options = {{{"count"}, "Number of readings (0: until Ctrl-C).", "K", "1"},
                   {{"period"}, "Milliseconds from one reading to the next.", "MS", "1000"},
                   {{"current-range"}, "Current full scale in amperes.", "I", "1000"},
                   kCsvOption},
       .parse = ParseAcquire},
      {.name = "clock",
       .summary = "the unit's clock",
       .listColumn = 70,  // the summary starts at acquire's, not after the long usage
       .usage = "clock get | clock set [--time \"YYYY-MM-DD HH:MM:SS\"]",
       .help = "get shows the unit's clock; set sets it to the given local time, by default to now.",
       .options = {{{"time"}, "Local time to set.", "YYYY-MM-DD HH:MM:SS"}},
       .parse = ParseClock},
      {.name = "groups",
       .summary = "how many curve groups the unit holds",
       .usage = "groups",
       .help = "Shows how many curve groups the unit holds and how many it is still recording.",
       .parse = ParseGroups},
      {.name = "download",
       .summary = "download curve group N",
       .usage = "download N [-o FILE.bin] [--csv FILE.csv]",
       .help = "Downloads curve group N (from 1) and saves it as a curve file and/or a CSV table.\n"
               "A group number the unit does not hold gives exit status 1; a packet with a wrong\n"
               "checksum gives exit status 1 and nothing is written.",
       .options = {{{"o", "output"}, "Save the group as a curve file.", "FILE.bin"}, kCsvOption},
       .parse = ParseDownload},
      {.name = "clear",
       .summary = "erase every curve group in the unit",
       .usage = "clear --yes",
       .help = "Erases every curve group stored in the unit. Needs --yes.",
       .options = {{{"yes"}, "Confirm erasing."}},
       .parse = ParseClear},
      {.name = "version",
       .summary = "the firmware version",
       .usage = "version",
       .help = "Shows the unit's firmware version.",
       .parse = ParseVersion},
      {.name = "set-address",
       .synopsis = "set-address NEW | set-baud RATE",
       .summary = "change the unit's address or baud rate",
       .usage = "set-address NEW",
       .help = "Gives the unit the communication address NEW (0..255).",
       .parse = ParseSetAddress},
      {.name = "set-baud",  // listed on set-address's line
       .usage = "set-baud RATE",
       .help = "Switches the unit to RATE: " + RatesOr() + ".",
       .parse = ParseSetBaud},
      {.name = "gear",
       .summary = "the voltage range gear",
       .usage = "gear get | gear set 2V|6V|12V",
       .help = "Reads or sets the voltage range gear.",
       .parse = ParseGear},
      {.name = "calibrate",
       .synopsis = "calibrate CHANNEL 1|2",
       .summary = "calibrate an input (factory)",
       .usage = "calibrate cell-2v|cell-6v|cell-12v|total-2v|total-6v|total-12v|temp|current 1|2",
       .help = "Calibrates an input at its first or second reference point (cell voltages wait up\n"
               "to " + std::to_string(CalibrationWaitMs(FindCalibrationRow("cell-2v")->channel) / 1000) +
               " s for the unit, the others " +
               std::to_string(CalibrationWaitMs(FindCalibrationRow("temp")->channel) / 1000) + " s).",
       .parse = ParseCalibrate},
      {.name = "alarms",
       .synopsis = "alarms get | alarms set ...",
       .summary = "the alarm word and the alarm settings",
       .usage = "alarms get | alarms set volt on|off [OVER UNDER] | current on|off [OVER] | "
                "temp1|temp2|temp3 on|off [HIGH LOW]",
       .help = "get shows the alarms the unit raises. set writes one alarm setting; switched on it\n"
               "needs its values (whole volts 0..65535, amperes -32767..32767, degrees -127..127);\n"
               "switched off it sends zeros. Negative values are written as they are: current on -20.",
       .parse = ParseAlarms},
      {.name = "export",
       .synopsis = "export FILE.bin [--csv F] [--png F] [--pdf F]",
       .summary = "a curve file as CSV, image or PDF",
       .usage = "export FILE.bin [--csv OUT.csv] [--png OUT.png] [--pdf OUT.pdf] [--autoscale] [--stats OUT.csv]",
       .help = "Exports a curve file: a CSV table, the chart as the viewer shows it (890 x 560 PNG)\n"
               "or as the printer draws it (one A4 PDF page). --autoscale fits the chart's voltage\n"
               "axis to the cells' values instead of 0..15 V; --stats writes each cell's lowest,\n"
               "highest, mean, first and last value and the largest spread between cells.",
       .options = {kCsvOption,
                   {{"png"}, "Write the chart as a PNG image.", "FILE"},
                   {{"pdf"}, "Write the chart as a PDF page.", "FILE"},
                   {{"autoscale"}, "Fit the chart's voltage axis to the data."},
                   {{"stats"}, "Write per-cell statistics as CSV.", "FILE"}},
       .needsPort = false,
       .parse = ParseExport},
      {.name = "analyze",
       .synopsis = "analyze FILE.bin [--rated-minutes M] ...",
       .summary = "a discharge test: capacity, weak cells",
       .usage = "analyze FILE.bin [--end-voltage V] [--rated-minutes M] [--k-factor K] [--pass-percent P]\n"
                "        [--weak-percent W] [--baseline OLD.bin] [--drift-percent D] [--csv FILE]",
       .help = "Analyses a discharge test recorded in a curve file: the end voltage per cell (assumed\n"
               "from the cells' voltage at the start unless given), when the string and each cell\n"
               "reached it, the first cell to get there, the capacity by the time-adjusted method\n"
               "(time to the end voltage / (rated time x K)) with pass or fail, the cells below the\n"
               "mean at the string's end (weak), and warnings about the wiring (the cells' sum against\n"
               "the total voltage, a reading that never changes). --baseline compares each cell with\n"
               "an older test of the same string. Cells reading 0 V throughout are left out.\n"
               "Exit status 0 whatever the verdict; 2 for bad arguments or a file that cannot be\n"
               "read or holds nothing to analyse.",
       .options = AnalysisOptions("Write the per-cell table as CSV."),
       .needsPort = false,
       .parse = ParseAnalyze},
      {.name = "report",
       .synopsis = "report -o FILE.pdf [--group FILE.bin]",
       .summary = "a test report as a PDF",
       .usage = "report -o FILE.pdf [--group FILE.bin] [--title TEXT] [--current-range I] [--end-voltage V]\n"
                "        [--rated-minutes M] [--k-factor K] [--pass-percent P] [--weak-percent W]\n"
                "        [--baseline OLD.bin] [--drift-percent D] [--csv FILE]",
       .help = "Writes an A4 test report: the port, address and baud rate, the firmware version, the\n"
               "unit's clock against the PC's, one live reading (the 40 cells with the highest and\n"
               "lowest marked, total voltage, current, temperatures, analogue inputs) and the alarm\n"
               "status. --group adds a page with the curve file's chart and each cell's lowest,\n"
               "highest, mean, first and last value, and a page with its discharge analysis, which\n"
               "takes analyze's options. A unit that does not answer still gets a report that says\n"
               "so, with exit status 1 (3 when the port does not open).",
       .options = [] {
         std::vector<CliOption> o{{{"o", "output"}, "Write the report to this PDF file.", "FILE.pdf"},
                                  {{"group"}, "Add this curve file's chart, statistics and analysis.", "FILE.bin"},
                                  {{"title"}, "The report's title.", "TEXT", report::kDefaultTitle},
                                  {{"current-range"}, "Current full scale in amperes.", "I", "1000"}};
         for (const CliOption& a : AnalysisOptions("Write the analysis's per-cell table as CSV.")) o.push_back(a);
         return o;
       }(),
       .parse = ParseReport},
      {.name = "ports",
       .summary = "the serial ports and their numbers",
       .usage = "ports",
       .help = "Lists the serial devices with the port number --com gives them, their driver and\n"
               "their stable name under /dev/serial/by-id.",
       .needsPort = false,
       .parse = ParsePorts},
      {.name = "scan",
       .synopsis = "scan [--addresses A-B] [--bauds LIST]",
       .summary = "find units of unknown address or rate",
       .usage = "scan [--addresses A-B] [--bauds LIST] [--wait MS]",
       .help = "Asks every address at every baud rate for its version and lists the units that\n"
               "answer. Defaults: addresses 0-255, all six rates; the wait per probe follows the rate.",
       .options = {{{"addresses"}, "Addresses to try.", "A-B", "0-255"},
                   {{"bauds"}, "Baud rates to try, comma-separated.", "LIST", JoinBaudRates(",", ",")},
                   {{"wait"}, "Wait per probe in ms (default: by rate).", "MS"}},
       .parse = ParseScan},
      {.name = "monitor",
       .synopsis = "monitor --unit UNIT [--unit UNIT ...] ...",
       .summary = "many units unattended: CSV, MQTT",
       .usage = "monitor --unit UNIT [--unit UNIT ...] [--period MS] [--alarms-every N] [--count N] [--csv DIR]\n"
                "        [--mqtt HOST[:PORT] [--mqtt-user U] [--mqtt-password-file F] [--mqtt-tls [--mqtt-cafile F]]\n"
                "        [--mqtt-prefix P] [--instance NAME] [--mqtt-discovery-prefix P | --no-discovery]\n"
                "        [--no-cell-entities]] [--metrics HOST:PORT] [--sum-tolerance PERCENT] [--stuck-readings N]",
       .help = "Reads many units unattended, one live reading of every unit a period, until Ctrl-C or\n"
               "SIGTERM (or --count cycles), then a summary per unit. UNIT is PATH|N[:ADDRESS][@BAUD][=NAME]:\n"
               "a device path or port number, the unit's address (default 0), the line's baud rate (default\n" +
                   std::to_string(kDefaultBaud) +
               ") and a name (default kx4200_<port basename>_<address>, reduced to [a-z0-9_]). Units\n"
               "on one port share the open port and are read in turn; ports are read in parallel. A cycle\n"
               "that overruns the period starts the next at once and counts an overrun.\n"
               "Outputs: --csv DIR (one CSV per unit and local day, NAME-YYYY-MM-DD.csv; a file of that\n"
               "name that is not such a CSV is left alone and the day goes to NAME-YYYY-MM-DD-2.csv),\n"
               "--mqtt (state JSON on PREFIX/NAME/state, availability, the monitor's own status on\n"
               "PREFIX/status/INSTANCE, Home Assistant discovery; see the README); when neither is given,\n"
               "one line per reading on stdout (with --json one JSON object per reading and one for the\n"
               "summary). The password is read from --mqtt-password-file. A broker that is away is tried\n"
               "again after 1 s, 2, 4, ... up to 60 s, readings queued meanwhile. --metrics serves\n"
               "/metrics for Prometheus.\n"
               "Every reading is checked for wiring faults (the cells do not add up to the total, a cell\n"
               "that read above 0 V reads 0 V, a cell stuck while the others move); these, alarms raised\n"
               "and cleared and a unit going offline or coming back are events: one line each on stdout,\n"
               "NAME-events.csv with --csv, PREFIX/NAME/event with --mqtt.\n"
               "Exit status: 0 after a stop (Ctrl-C, SIGTERM), or after --count cycles that all went well;\n"
               "1 when a counted run had a failed reading or ended with MQTT messages still queued;\n"
               "2 bad arguments, a --csv folder that is not one, or a CSV log that could not be written;\n"
               "3 the broker refused the credentials, the MQTT client could not be set up, the --metrics\n"
               "address cannot be listened on, or a port number means no serial device.",
       .options = {{{"unit"}, "A unit: PATH|N[:ADDRESS][@BAUD][=NAME] (repeatable).", "UNIT"},
                    {{"period"}, "Milliseconds from one cycle to the next.", "MS", "5000"},
                    {{"alarms-every"}, "Read the alarm word every N cycles (0: never).", "N", "12"},
                    {{"count"}, "Number of cycles (0: until stopped).", "N", "0"},
                    {{"current-range"}, "Current full scale in amperes.", "I", "1000"},
                    {{"csv"}, "Write one live CSV per unit and day into DIR.", "DIR"},
                    {{"mqtt"},
                     "Publish to the MQTT broker at HOST[:PORT] (default port 1883, 8883 with TLS).",
                     "HOST[:PORT]"},
                    {{"mqtt-user"}, "MQTT user name.", "USER"},
                    {{"mqtt-password-file"}, "File whose first line is the MQTT password.", "FILE"},
                    {{"mqtt-tls"}, "Connect to the broker over TLS."},
                    {{"mqtt-cafile"}, "CA certificate for TLS (default: the system's).", "FILE"},
                    {{"mqtt-prefix"}, "Topic prefix.", "PREFIX", "kx4200"},
                    {{"instance"},
                     "The monitor's name in its status topic PREFIX/status/NAME (default: host name).",
                     "NAME"},
                    {{"mqtt-discovery-prefix"}, "Home Assistant discovery prefix.", "PREFIX", "homeassistant"},
                    {{"no-discovery"}, "Publish no Home Assistant discovery."},
                    {{"no-cell-entities"}, "Discovery without a sensor per cell (they stay in the state JSON)."},
                    {{"metrics"}, "Serve Prometheus metrics on http://HOST:PORT/metrics.", "HOST:PORT"},
                    {{"sum-tolerance"},
                     "Wiring check: how far the cells' sum may be off the total, in percent.", "PERCENT", "2"},
                    {{"stuck-readings"},
                     "Wiring check: readings with one raw count before a cell counts as stuck.", "N", "60"}},
       .needsPort = false,
       .stopEndsCleanly = true,
       .parse = ParseMonitor},
  };
  return table;
}

const char* const kUsageHead =
    "Usage: kx4200-cli [--port PATH | --com N] [--baud RATE] [--address A] [--simulate] [--trace] [--json]\n"
    "                  [--quiet] COMMAND [ARGS]\n"
    "\n"
    "Service and test tool for the KX4200 battery monitoring unit, on the command line.\n"
    "\n"
    "Commands:\n";

const char* const kUsageTail =
    "\n"
    "'kx4200-cli COMMAND --help' describes a command; 'kx4200-cli --version' shows the\n"
    "program's version.\n"
    "\n";

// "Exit status: 0 success; 1 ...", filled to the width of the text above.
std::string ExitStatusParagraph() {
  std::string text, line = "Exit status:";
  for (const ExitStatusMeaning& m : kExitStatusMeanings) {
    std::string item = std::string(m.statuses) + " " + m.meaning + (&m == std::end(kExitStatusMeanings) - 1 ? "." : ";");
    size_t at = 0;
    while (at < item.size()) {
      const size_t space = item.find(' ', at);
      const std::string word = item.substr(at, space == std::string::npos ? std::string::npos : space - at);
      at = space == std::string::npos ? item.size() : space + 1;
      if (line.size() + 1 + word.size() > 84) text += line + "\n", line = word;
      else line += " " + word;
    }
  }
  return text + line + "\n";
}

}  // namespace

std::span<const CliCommand> CliCommands() { return Table(); }

const CliCommand* FindCliCommand(const QString& name) {
  for (const CliCommand& c : Table())
    if (name == QLatin1String(c.name)) return &c;
  return nullptr;
}

std::string UsageText() {
  std::string text = kUsageHead;
  for (const CliCommand& c : Table()) {
    if (!c.summary) continue;
    std::string line = std::string("  ") + (c.synopsis ? c.synopsis : c.usage);
    const size_t column = std::max(line.size() + 3, static_cast<size_t>(c.listColumn));
    line.resize(column, ' ');
    text += line + c.summary + "\n";
  }
  return text + kUsageTail + ExitStatusParagraph();
}

std::string CommandHelpText(const CliCommand& command, const QString& optionsHelp) {
  std::string text = std::string("Usage: kx4200-cli [global options] ") + command.usage + "\n\n" + command.help + "\n";
  const int at = optionsHelp.indexOf("Options:");
  if (at >= 0) text += "\n" + optionsHelp.mid(at).toStdString();
  return text;
}

}  // namespace kx::cli
