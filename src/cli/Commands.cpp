#include "cli/Commands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "cli/DeviceSupport.h"
#include "files/SafeFile.h"
#include "link/CommandTable.h"
#include "link/DeviceClock.h"
#include "link/Frame.h"
#include "link/DeviceSettings.h"
#include "link/GearCalibration.h"
#include "link/CellSummary.h"
#include "link/LiveCsv.h"
#include "link/LiveValues.h"
#include "link/LocalTime.h"
#include "monitor/LiveJson.h"
#include "texts/ChineseTexts.h"
#include "texts/EnglishTexts.h"
#include "texts/Messages.h"
#include "ui/Utf8.h"

namespace kx::cli {

namespace {

// A string as QJsonDocument writes it (its escapes; invalid UTF-8 replaced), as
// in every other command's JSON.
std::string QtJsonString(const std::string& text) {
  const QByteArray array = QJsonDocument(QJsonArray{Utf8(text)}).toJson(QJsonDocument::Compact);
  return array.mid(1, array.size() - 2).toStdString();
}

// One reading as --json prints it: the reading's members, numbers in their
// shortest form, the keys sorted as in every other command's JSON. reading is
// null for a failed reading, which has every key, null, and its cause.
std::string AcquireJson(int number, const std::string& when, const LiveReading* reading, const std::string& cause) {
  using monitor::JsonMember;
  std::vector<JsonMember> m{
      {"ok", reading ? "true" : "false"}, {"reading", std::to_string(number)}, {"time", QtJsonString(when)}};
  using monitor::JsonKeys, monitor::JsonNumbers;
  for (JsonMember& v : monitor::LiveJsonMembers(reading, nullptr, JsonNumbers::Shortest, JsonKeys::All))
    m.push_back(std::move(v));
  if (!reading) {
    m.push_back({"cause", QtJsonString(cause)});
    m.push_back({"error", QtJsonString(Tr("Messages", msg::kCommFailed))});
  }
  std::sort(m.begin(), m.end(), [](const JsonMember& a, const JsonMember& b) { return a.key < b.key; });
  return monitor::JsonObject(m);
}

}  // namespace

void PrintJson(Output& out, const QJsonObject& object) {
  out.OutLine(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
}

// ---------------------------------------------------------------- acquisition

int Acquire(Env& env, const AcquireOptions& options) {
  if (!options.csv.empty() && !CheckFiles(env, {}, {options.csv})) return kExitUsage;
  // The existing file stays as it is until the first row has reached its replacement;
  // every row then goes to the file at once, so an interrupted run keeps every reading.
  files::StreamFile csv(options.csv);
  bool header = true;
  std::string logError;
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kOpenPortFailed), status);
  if (!port) return status;

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  int good = 0, failed = 0;
  // An unattended log (--count 0) outlives a hang-up: the port is opened again
  // each period until the adapter is back, and every period meanwhile is a failure.
  const bool reconnect = options.count == 0;
  for (int i = 0; options.count == 0 || i < options.count; ++i) {
    if (i > 0) {
      // Readings start a period apart and never overlap, as the panel's timer ticks.
      const auto due = start + std::chrono::milliseconds(static_cast<long long>(options.periodMs) * i);
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
      if (left > 0 && env.sleep) env.sleep(static_cast<int>(left));
    }
    if (env.Stopped()) break;
    const std::string when = kx::LocalTimeNowMs();
    ExchangeResult r;
    std::string openFailure;
    if (!port) {
      LinkError error = LinkError::None;
      port = env.ports->Open(env.global.baud, error);
      if (!port) {
        openFailure = env.ports->Explain(error);
        r.cause = error;
      }
    }
    if (port) {
      r = AcquireLive(*port, env.global.address);
      if (r.cause == LinkError::Cancelled) break;  // stopped mid-reading: not a failed reading
      if (reconnect && r.cause == LinkError::HungUp) port.reset();
    }
    std::optional<LiveReading> reading;
    if (r.outcome == ExchangeOutcome::Ok)
      reading = ScaleLiveValues(r.reply, kCellFullScaleV, static_cast<uint32_t>(options.currentRange));
    const bool ok = reading.has_value();
    ok ? ++good : ++failed;

    if (!ok) {
      const std::string cause = openFailure.empty() ? DescribeOutcome(r.outcome, r.cause, r.count) : openFailure;
      env.out.ErrLine("kx4200-cli: reading " + std::to_string(i + 1) + ": " + cause + ": " + Tr("Messages", msg::kCommFailed));
      if (env.global.json) env.out.OutLine(AcquireJson(i + 1, when, nullptr, cause));
    } else if (env.global.json) {
      env.out.OutLine(AcquireJson(i + 1, when, &*reading, {}));
    } else {
      if (options.count != 1) env.out.OutLine("# " + std::to_string(i + 1) + " " + when);
      for (size_t k = 0; k < kLiveValueCount; ++k) env.out.OutLine(LiveFieldLabel(k) + " " + reading->Text(k));
      env.out.OutLine(CellSummaryLine(SummariseCells(reading->Cells())));
    }
    if (!options.csv.empty() && logError.empty()) {
      std::string text = header ? LiveCsvHeader() : std::string();
      text += LiveCsvRow(when, ok ? &*reading : nullptr);
      header = false;
      const bool toStdout = options.csv == "-";
      const files::FileResult w = toStdout ? files::FileResult{} : csv.Append(text);
      if (toStdout) env.out.Out(text);
      if (!w.ok()) {
        // Readings go on; the log stops and the summary says so.
        logError = files::Describe(w);
        env.Fail("logging stopped: " + logError);
      }
    }
  }
  if (options.count != 1) {
    // The panel's counters: "成功" … "次", "失败" … "次".
    if (env.global.json) {
      QJsonObject summary{{"good", good}, {"failed", failed}, {"stopped", env.Stopped()}};
      if (!logError.empty()) summary.insert("log_error", Utf8(logError));
      PrintJson(env.out, summary);
    } else {
      char counts[96];
      std::snprintf(counts, sizeof counts, Tr("CommandLine", "成功 %d 次, 失败 %d 次"), good, failed);
      env.out.OutLine(counts + (logError.empty() ? "" : "; logging stopped: " + logError));
    }
  }
  if (!logError.empty()) return kExitUsage;
  return failed == 0 && (good > 0 || options.count != 1) ? kExitOk : kExitDevice;
}

// ---------------------------------------------------------------- clock

int ClockGet(Env& env) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  const ReadClockResult r = ReadDeviceClock(*port, env.global.address);
  if (r.outcome != ReadClockOutcome::Ok) {
    const bool badSum = r.outcome == ReadClockOutcome::BadChecksum;
    env.Fail(badSum ? DescribeOutcome(ExchangeOutcome::BadChecksum, r.cause, r.count)
                    : DescribeOutcome(ExchangeOutcome::WrongCount, r.cause, r.count),
             ReadClockMessage(r.outcome));
    return kExitDevice;
  }
  if (!IsBcdDateTime(r.reply.data() + kFrameHeaderSize)) {
    // Shown as it is rather than as a made-up calendar reading.
    std::string raw;
    char hex[4];
    for (size_t i = 0; i < 7; ++i) {
      std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", r.reply[kFrameHeaderSize + i]);
      raw += hex;
    }
    env.out.ErrLine("kx4200-cli: the unit's clock holds an invalid date (bytes " + raw + ")");
    if (env.global.json)
      PrintJson(env.out, QJsonObject{{"ok", false}, {"time", QJsonValue()}, {"raw", Utf8(raw)}, {"cause", "invalid date"}});
    else
      env.out.OutLine("invalid date (" + raw + ")");
    return kExitDevice;
  }
  const std::string text = FormatDeviceTime(r.time);
  if (env.global.json) {
    char iso[32];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02dT%02d:%02d:%02d", r.time.year, r.time.month, r.time.day,
                  r.time.hour, r.time.minute, r.time.second);
    PrintJson(env.out, QJsonObject{{"ok", true}, {"time", iso}, {"text", Utf8(text)}});
  } else {
    env.out.OutLine(text);
  }
  return kExitOk;
}

int ClockSet(Env& env, const std::optional<std::tm>& time) {
  int status = kExitOk;
  // The panel shows nothing when the port does not open; the cause is still told.
  auto port = OpenDevicePort(env, "", status);
  if (!port) return status;
  // One reading of the clock fills both the frame and the message.
  const std::tm local = time ? *time : env.now();
  const SetClockResult r = SetDeviceClock(*port, env.global.address, local, /*verifyChecksum=*/true);
  const std::string text = SetClockMessage(r.outcome, local);
  if (r.outcome == SetClockOutcome::Ok) {
    if (env.global.json) {
      char sent[32];
      std::strftime(sent, sizeof sent, "%Y-%m-%dT%H:%M:%S", &local);
      PrintJson(env.out, QJsonObject{{"ok", true}, {"time", sent}, {"text", Utf8(text)}});
    } else {
      env.out.OutLine(text);
    }
    return kExitOk;
  }
  if (r.outcome == SetClockOutcome::Refused) {
    char cause[64];
    std::snprintf(cause, sizeof cause, "the unit refused (acknowledge 0x%02X)", r.reply.size() > 7 ? r.reply[7] : 0);
    env.Fail(cause, text);
  } else if (r.outcome == SetClockOutcome::BadChecksum) {
    env.Fail(DescribeOutcome(ExchangeOutcome::BadChecksum, r.cause, r.count), text);
  } else {
    env.Fail(DescribeOutcome(ExchangeOutcome::ShortRead, r.cause, r.count), text);
  }
  return kExitDevice;
}

// ---------------------------------------------------------------- identity and settings

int Version(Env& env) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  const VersionReading r = ReadVersion(*port, env.global.address);
  if (r.outcome != ExchangeOutcome::Ok) {
    env.Fail(DescribeOutcome(r.outcome, r.cause, r.count), VersionMessage(r.outcome));
    return kExitDevice;
  }
  const std::string text = FormatVersion(r.raw);
  if (env.global.json)
    PrintJson(env.out, QJsonObject{{"ok", true}, {"version", Utf8(text)}, {"raw", r.raw}});
  else
    env.out.OutLine(text);
  return kExitOk;
}

namespace {

// An exchange whose only success is a plain acknowledgement.
int Acknowledged(Env& env, const ExchangeResult& r, const char* failText, const char* okText,
                 const QJsonObject& extra = {}) {
  if (r.outcome != ExchangeOutcome::Ok) {
    env.Fail(DescribeOutcome(r.outcome, r.cause, r.count), failText);
    return kExitDevice;
  }
  if (env.global.json) {
    QJsonObject o = extra;
    o.insert("ok", true);
    o.insert("text", Utf8(okText));
    PrintJson(env.out, o);
  } else {
    env.out.OutLine(okText);
  }
  return kExitOk;
}

}  // namespace

int SetDeviceAddress(Env& env, int newAddress) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  const ExchangeResult r = SetAddress(*port, env.global.address, static_cast<uint8_t>(newAddress));
  return Acknowledged(env, r, LinkSettingMessage(r.outcome), Tr("Messages", msg::kAddressSetOk), {{"address", newAddress}});
}

int SetDeviceBaud(Env& env, int baud) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  const ExchangeResult r = SetBaud(*port, env.global.address, baud);
  return Acknowledged(env, r, LinkSettingMessage(r.outcome), Tr("Messages", msg::kBaudSetOk), {{"baud", baud}});
}

int GearGet(Env& env) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  const GearReading r = ReadGear(*port, env.global.address);
  if (const char* failure = ReadGearMessage(r)) {
    std::string cause = DescribeOutcome(r.outcome, r.cause, r.count);
    if (r.outcome == ExchangeOutcome::Ok) cause = "the unit reports an unknown gear " + std::to_string(r.gear);
    env.Fail(cause, failure);
    return kExitDevice;
  }
  if (env.global.json)
    PrintJson(env.out, QJsonObject{{"ok", true}, {"gear", Utf8(GearText(r.gear))}, {"gear_V", r.gear}});
  else
    env.out.OutLine(GearText(r.gear));
  return kExitOk;
}

int GearSet(Env& env, uint8_t gear) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  const ExchangeResult r = SetGear(*port, env.global.address, gear);
  return Acknowledged(env, r, SetGearMessage(r.outcome), SetGearMessage(ExchangeOutcome::Ok),
                      {{"gear", Utf8(GearText(gear))}});
}

int CalibrateInput(Env& env, const CalibrationRow& row, uint8_t point) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  env.out.ErrLine(std::string("calibrating at ") + row.entries[point - 1] + "; the unit may take up to " +
                  std::to_string(CalibrationWaitMs(row.channel) / 1000) + " s ...");
  const ExchangeResult r = Calibrate(*port, env.global.address, row, point);
  return Acknowledged(env, r, CalibrationMessage(row, r.outcome), CalibrationMessage(row, ExchangeOutcome::Ok),
                      {{"channel", row.channel}, {"point", point}});
}

int AlarmsGet(Env& env) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  const AlarmReading r = ReadAlarmWord(*port, env.global.address);
  if (r.outcome != ExchangeOutcome::Ok) {
    env.Fail(DescribeOutcome(r.outcome, r.cause, r.count), ReadAlarmMessage(r.outcome));
    return kExitDevice;
  }
  const std::string report = AlarmReport(r.word);
  if (env.global.json) {
    QJsonArray alarms;
    for (const std::string& alarm : DecodeAlarmWord(r.word).texts) alarms.append(Utf8(alarm));
    PrintJson(env.out, QJsonObject{{"ok", true}, {"word", r.word}, {"alarms", alarms}, {"text", Utf8(report)}});
  } else {
    env.out.Out(report);
    if (report.empty() || report.back() != '\n') env.out.Out("\n");
  }
  return kExitOk;
}

int AlarmsSet(Env& env, const AlarmSet& request) {
  int status = kExitOk;
  auto port = OpenDevicePort(env, Tr("Messages", msg::kPortNotFound), status);
  if (!port) return status;
  ExchangeResult r;
  switch (request.setting) {
    case AlarmSetting::Volt: {
      const auto data = VoltAlarmData(request.on, request.first, request.second);
      r = SetAlarm(*port, env.global.address, request.setting, data);
      break;
    }
    case AlarmSetting::Current: {
      const auto data = CurrentAlarmData(request.on, request.first);
      r = SetAlarm(*port, env.global.address, request.setting, data);
      break;
    }
    default: {
      const auto data = TempAlarmData(request.on, request.first, request.second);
      r = SetAlarm(*port, env.global.address, request.setting, data);
      break;
    }
  }
  return Acknowledged(env, r, SetAlarmMessage(r.outcome), SetAlarmMessage(ExchangeOutcome::Ok),
                      {{"on", request.on}});
}

// ---------------------------------------------------------------- ports and scanning

int Ports(Env& env, const PortNaming& naming) {
  const std::vector<SerialDeviceInfo> devices = naming.List();
  if (devices.empty()) env.out.ErrLine("kx4200-cli: no serial devices found under /sys/class/tty");
  int n = 0;
  for (const SerialDeviceInfo& d : devices) {
    ++n;
    if (env.global.json) {
      PrintJson(env.out, QJsonObject{{"port", n},
                                     {"path", Utf8(d.path)},
                                     {"driver", Utf8(d.driver)},
                                     {"by_id", Utf8(d.byId)}});
    } else {
      std::string line = Tr("CommandLine", "串口号 ") + std::to_string(n) + "  " + d.path;
      line += "  driver " + (d.driver.empty() ? std::string("?") : d.driver);
      if (!d.byId.empty()) line += "  " + d.byId;
      env.out.OutLine(line);
    }
  }
  return kExitOk;
}

int Scan(Env& env, const ScanOptions& options) {
  int found = 0;
  const int total = options.lastAddress - options.firstAddress + 1;
  for (int baud : options.bauds) {
    if (env.Stopped()) break;
    LinkError error = LinkError::None;
    auto port = env.ports->Open(baud, error);
    if (!port) {
      env.Fail(env.ports->Explain(error));
      return kExitPort;
    }
    const int waitMs = options.waitMs > 0 ? options.waitMs : ProbeWaitMs(baud);
    env.out.ErrLine("scanning " + std::to_string(baud) + " baud, addresses " + std::to_string(options.firstAddress) +
                    "-" + std::to_string(options.lastAddress) + " (" + std::to_string(total) + " probes of " +
                    std::to_string(waitMs) + " ms)");
    // A reply counts only for the address it names. A reply that comes late lands
    // in a later probe's wait: the address it names (or, when it is garbled, the
    // one probed before) is asked again with the full wait, as is the current one.
    std::vector<bool> reported(256, false);
    const int wideMs = std::max(Info(Command::ReadVersion).waitMs, 2 * waitMs);
    bool hungUp = false;
    auto probe = [&](int a, int ms) {
      const ExchangeResult r = Transact(*port, a, Command::ReadVersion, {}, {.waitMs = ms});
      if (r.cause == LinkError::HungUp) {
        env.Fail(DescribeOutcome(r.outcome, r.cause, r.count));
        hungUp = true;
      }
      const bool mine = r.outcome == ExchangeOutcome::Ok && r.reply[3] == a;
      if (mine && !reported[static_cast<size_t>(a)]) {
        reported[static_cast<size_t>(a)] = true;
        ++found;
        const std::string version = FormatVersion(BigEndian16(r.reply, kFrameHeaderSize));
        if (env.global.json)
          PrintJson(env.out, QJsonObject{{"address", a}, {"baud", baud}, {"version", Utf8(version)}});
        else
          env.out.OutLine("address " + std::to_string(a) + "  baud " + std::to_string(baud) + "  " + version);
      }
      return r;
    };
    auto askAgain = [&](int a) {
      if (a < options.firstAddress || a > options.lastAddress || reported[static_cast<size_t>(a)] || hungUp) return;
      port->WaitForBytes(kGroupImageCapacity, waitMs);  // let a straggler finish before the purge
      probe(a, wideMs);
    };
    for (int a = options.firstAddress; a <= options.lastAddress && !env.Stopped() && !hungUp; ++a) {
      const ExchangeResult r = probe(a, waitMs);
      if (hungUp) return kExitDevice;
      if (r.count.received == 0 || reported[static_cast<size_t>(a)]) continue;
      const bool named = r.outcome == ExchangeOutcome::Ok;
      askAgain(named ? r.reply[3] : a - 1);
      askAgain(a);
    }
    if (hungUp) return kExitDevice;
  }
  env.out.ErrLine(std::to_string(found) + (found == 1 ? " unit" : " units") + " found" +
                  (env.Stopped() ? " (scan interrupted)" : ""));
  return found > 0 ? kExitOk : kExitDevice;
}

}  // namespace kx::cli
