#include "monitor/Monitor.h"

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "link/Alarms.h"
#include "link/CellStats.h"
#include "link/DeviceSettings.h"
#include "link/LiveValues.h"
#include "link/SerialPort.h"
#include "monitor/DailyCsv.h"
#include "monitor/Discovery.h"
#include "monitor/Reading.h"
#include "texts/EnglishTexts.h"

namespace kx::monitor {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kOfflineAfter = 3;  // failed readings in a row

std::string Cause(ExchangeOutcome outcome, LinkError cause) {
  if (cause == LinkError::HungUp || cause == LinkError::Io) return Describe(cause);
  switch (outcome) {
    case ExchangeOutcome::Ok: return "ok";
    case ExchangeOutcome::WrongCount: return "the unit did not answer with a reply of the expected length in time";
    case ExchangeOutcome::ShortRead: return "the unit's reply was cut short";
    case ExchangeOutcome::BadChecksum: return "the unit's reply has a wrong checksum";
    case ExchangeOutcome::WriteFailed: return std::string("the request could not be sent: ") + Describe(cause);
  }
  return "the exchange failed";
}

struct UnitState {
  long long good = 0, failed = 0, number = 0;
  int failedInRow = 0;
  std::optional<bool> online;  // as last published
  bool described = false;      // discovery built
  std::string firmware;
  std::unique_ptr<DailyCsv> csv;
};

// Where every reading goes; called from the pollers, one reading at a time.
class Outputs {
 public:
  Outputs(const MonitorOptions& o, const MonitorIo& io, MqttPublisher* mqtt) : o_(o), io_(io), mqtt_(mqtt) {
    units_.resize(o.units.size());
    if (!o.csvDir.empty())
      for (size_t i = 0; i < units_.size(); ++i) units_[i].csv = std::make_unique<DailyCsv>(o.csvDir, o.units[i].name);
  }

  // Whether the unit's firmware version is still to be read (before its discovery).
  bool WantsVersion(size_t unit) {
    std::lock_guard lock(mutex_);
    return mqtt_ && o_.discovery && !units_[unit].described;
  }
  void SetFirmware(size_t unit, std::string firmware) {
    std::lock_guard lock(mutex_);
    units_[unit].firmware = std::move(firmware);
  }

  void Deliver(const Reading& r) {
    std::lock_guard lock(mutex_);
    UnitState& u = units_[r.unit];
    const std::string& name = o_.units[r.unit].name;
    r.ok ? ++u.good : ++u.failed;
    u.failedInRow = r.ok ? 0 : u.failedInRow + 1;
    if (!mqtt_ && o_.csvDir.empty()) io_.outLine(o_.json ? ReadingJson(name, r) : PlainLine(name, r));
    if (u.csv) {
      const bool written = u.csv->Write(r);
      if (const std::string notice = u.csv->TakeNotice(); !notice.empty())
        io_.errLine("kx4200-cli: " + name + ": " + notice);
      if (!written && !csvFailed_[r.unit]) {
        csvFailed_[r.unit] = true;
        io_.errLine("kx4200-cli: " + name + ": logging stopped: " + u.csv->Error());
      }
    }
    if (!mqtt_) return;
    const int unit = static_cast<int>(r.unit);
    if (r.ok && o_.discovery && !u.described) {
      u.described = true;
      DiscoveryUnit d{name, u.firmware, {}};
      for (size_t i = 0; i < 40 && i < r.texts.size(); ++i)
        d.cellFitted.push_back(!CellNotFitted(std::strtod(r.texts[i].c_str(), nullptr)));
      for (MqttMessage& m : DiscoveryMessages(o_.discoveryPrefix, o_.mqtt->prefix, StatusTopic(*o_.mqtt), d, unit)) {
        mqtt_->SetSticky(m);
        mqtt_->Publish(std::move(m));
      }
    }
    std::optional<bool> online;
    if (r.ok && u.online != true) online = true;
    if (!r.ok && u.failedInRow >= kOfflineAfter && u.online != false) online = false;
    if (online) {
      u.online = online;
      const MqttMessage m{UnitTopic(o_.mqtt->prefix, name, "availability"), *online ? "online" : "offline", true, unit};
      mqtt_->SetSticky(m);
      // Online before the reading it comes with; offline after the third failure.
      if (*online) mqtt_->Publish(m);
      mqtt_->Publish({UnitTopic(o_.mqtt->prefix, name, "state"), StateJson(r), false, unit});
      if (!*online) mqtt_->Publish(m);
    } else {
      mqtt_->Publish({UnitTopic(o_.mqtt->prefix, name, "state"), StateJson(r), false, unit});
    }
  }

  bool AnyFailed() const {
    for (const UnitState& u : units_)
      if (u.failed > 0) return true;
    return false;
  }
  bool AnyCsvFailed() const { return !csvFailed_.empty(); }
  const UnitState& Unit(size_t i) const { return units_[i]; }

 private:
  const MonitorOptions& o_;
  const MonitorIo& io_;
  MqttPublisher* mqtt_;
  std::mutex mutex_;
  std::vector<UnitState> units_;
  std::map<size_t, bool> csvFailed_;
};

// The stop shared by the pollers: a flag and a wake-up for their waits.
struct StopSignal {
  std::mutex mutex;
  std::condition_variable cv;
  bool stop = false;

  bool Stopped() {
    std::lock_guard lock(mutex);
    return stop;
  }
  // False when stopped before the time.
  bool WaitUntil(Clock::time_point t) {
    std::unique_lock lock(mutex);
    return !cv.wait_until(lock, t, [this] { return stop; });
  }
};

// One port: its units read in turn, a cycle a period.
class Poller {
 public:
  Poller(const MonitorOptions& o, std::string path, std::vector<size_t> units, Outputs& out, StopSignal& stop)
      : o_(o), path_(std::move(path)), units_(std::move(units)), out_(out), stop_(stop) {}

  void Run() {
    auto due = Clock::now();
    for (long long cycle = 0; o_.count == 0 || cycle < o_.count; ++cycle) {
      if (cycle > 0 && !stop_.WaitUntil(due)) break;
      if (stop_.Stopped()) break;
      const bool alarms = o_.alarmsEvery > 0 && cycle % o_.alarmsEvery == 0;
      bool hungUp = false;
      for (size_t unit : units_) {
        if (stop_.Stopped()) break;
        std::optional<Reading> r = ReadUnit(unit, alarms, hungUp);
        if (r) out_.Deliver(*r);
      }
      due += std::chrono::milliseconds(o_.periodMs);
      if (Clock::now() > due) {
        // Overran: the next cycle starts at once and the schedule restarts from it.
        if (o_.periodMs > 0) ++overruns;
        due = Clock::now();
      }
    }
    port_.Close();
  }

  void Interrupt() { port_.Interrupt(); }
  const std::vector<size_t>& Units() const { return units_; }
  std::atomic<long long> overruns{0};

 private:
  std::optional<Reading> ReadUnit(size_t unit, bool alarms, bool& hungUp) {
    const UnitOption& option = o_.units[unit];
    Reading r;
    r.unit = unit;
    r.number = ++numbers_[unit];
    const auto now = std::chrono::system_clock::now();
    r.time = std::chrono::system_clock::to_time_t(now);
    r.ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    if (hungUp) {
      r.error = "port " + path_ + ": " + Describe(LinkError::HungUp);
      return r;
    }
    if (!port_.IsOpen()) {
      // Unplugged or not there yet: tried again every period.
      if (const LinkError e = port_.Open(path_, option.baud); e != LinkError::None) {
        if (e == LinkError::Cancelled || stop_.Stopped()) return std::nullopt;
        r.error = "port " + path_ + ": " + Describe(e);
        hungUp = true;  // the other units on this port fail alike without another try
        return r;
      }
    }
    if (out_.WantsVersion(unit)) {
      const VersionReading v = ReadVersion(port_, option.address);
      if (v.outcome == ExchangeOutcome::Ok) {
        const std::string text = FormatVersion(v.raw);  // "Ver1.30"
        out_.SetFirmware(unit, text.rfind("Ver", 0) == 0 ? text.substr(3) : text);
      }
      if (v.cause == LinkError::Cancelled) return std::nullopt;
    }
    const ExchangeResult x = AcquireLive(port_, option.address);
    if (x.cause == LinkError::Cancelled) return std::nullopt;  // stopped mid-reading
    if (x.outcome == ExchangeOutcome::Ok) {
      for (const LiveValue& v : ScaleLiveValues(x.reply, kCellFullScaleV, o_.currentRange)) r.texts.push_back(v.text);
    }
    r.ok = r.texts.size() == kLiveValueCount;
    if (!r.ok) {
      r.texts.clear();
      r.error = Cause(x.outcome, x.cause);
    }
    if (x.cause == LinkError::HungUp) {
      port_.Close();
      hungUp = true;
      return r;
    }
    if (r.ok && alarms) {
      const AlarmReading a = ReadAlarmWord(port_, option.address);
      if (a.outcome == ExchangeOutcome::Ok) r.alarmWord = a.word;
      if (a.cause == LinkError::HungUp) {
        port_.Close();
        hungUp = true;
      }
    }
    return r;
  }

  const MonitorOptions& o_;
  std::string path_;
  std::vector<size_t> units_;
  Outputs& out_;
  StopSignal& stop_;
  SerialPort port_;
  std::map<size_t, long long> numbers_;
};

// The summary per unit, as lines or one JSON object; the MQTT messages still queued.
long long Summarise(const MonitorOptions& o, const MonitorIo& io, const Outputs& outputs,
                    const std::vector<std::unique_ptr<Poller>>& pollers, MqttPublisher* mqtt, bool stopped) {
  long long undelivered = 0;
  std::string json = "{\"units\":[";
  for (const auto& p : pollers) {
    for (size_t i : p->Units()) {
      const UnitState& u = outputs.Unit(i);
      const std::string& name = o.units[i].name;
      const std::string overruns = std::to_string(p->overruns.load());
      std::string line = name + ": readings good " + std::to_string(u.good) + ", failed " + std::to_string(u.failed) +
                         "; overruns " + overruns;
      json += (json.back() == '[' ? "{\"unit\":" : ",{\"unit\":") + JsonString(name) +
              ",\"good\":" + std::to_string(u.good) + ",\"failed\":" + std::to_string(u.failed) +
              ",\"overruns\":" + overruns;
      if (mqtt) {
        const MqttCounts c = mqtt->Counts(static_cast<int>(i));
        undelivered += c.queued;
        line += "; mqtt published " + std::to_string(c.published) + ", queued " + std::to_string(c.queued) +
                ", dropped " + std::to_string(c.dropped) + ", refused " + std::to_string(c.refused);
        json += ",\"mqtt\":{\"published\":" + std::to_string(c.published) + ",\"queued\":" +
                std::to_string(c.queued) + ",\"dropped\":" + std::to_string(c.dropped) +
                ",\"refused\":" + std::to_string(c.refused) + "}";
      }
      if (u.csv && !u.csv->Error().empty()) {
        line += "; logging stopped: " + u.csv->Error();
        json += ",\"log_error\":" + JsonString(u.csv->Error());
      }
      json += "}";
      if (!o.json) io.outLine(line);
    }
  }
  if (o.json) io.outLine(json + "],\"stopped\":" + (stopped ? "true" : "false") + "}");
  return undelivered;
}

}  // namespace

int RunMonitor(const MonitorOptions& o, const MonitorIo& io) {
  if (!o.csvDir.empty()) {
    struct stat st {};
    if (::stat(o.csvDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      io.errLine("kx4200-cli: --csv " + o.csvDir + " is not a folder");
      return kMonitorUsage;
    }
  }
  std::unique_ptr<MqttPublisher> mqtt;
  if (o.mqtt) {
    mqtt = std::make_unique<MqttPublisher>(*o.mqtt, o.queueLimit);
    std::string error;
    switch (mqtt->Start(o.connectWaitMs, error)) {
      case MqttPublisher::StartResult::Refused:
      case MqttPublisher::StartResult::Failed:
        io.errLine("kx4200-cli: " + error);
        return kMonitorConnect;
      case MqttPublisher::StartResult::Pending:
        io.errLine("kx4200-cli: the MQTT broker " + o.mqtt->host + ":" + std::to_string(o.mqtt->port) +
                   " has not answered yet; readings are queued meanwhile");
        break;
      case MqttPublisher::StartResult::Connected:
        break;
    }
  }

  Outputs outputs(o, io, mqtt.get());
  StopSignal stop;
  std::map<std::string, std::vector<size_t>> byPort;
  std::vector<std::string> order;
  for (size_t i = 0; i < o.units.size(); ++i) {
    if (!byPort.count(o.paths[i])) order.push_back(o.paths[i]);
    byPort[o.paths[i]].push_back(i);
  }
  std::vector<std::unique_ptr<Poller>> pollers;
  for (const std::string& path : order)
    pollers.push_back(std::make_unique<Poller>(o, path, byPort[path], outputs, stop));
  std::atomic<size_t> running{pollers.size()};
  std::vector<std::thread> threads;
  for (auto& p : pollers)
    threads.emplace_back([&p, &running] {
      p->Run();
      --running;
    });

  auto logEvents = [&] {
    if (mqtt)
      for (const std::string& e : mqtt->TakeEvents()) io.errLine("kx4200-cli: " + e);
  };
  while (running > 0 && !(io.stopRequested && io.stopRequested())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    logEvents();
  }
  {
    std::lock_guard lock(stop.mutex);
    stop.stop = true;
  }
  stop.cv.notify_all();
  for (auto& p : pollers) p->Interrupt();
  for (std::thread& t : threads) t.join();
  const bool connectedAtEnd = mqtt && mqtt->Connected();
  if (mqtt) mqtt->Stop(o.flushMs);
  logEvents();

  const bool stopped = io.stopRequested && io.stopRequested();
  const long long undelivered = Summarise(o, io, outputs, pollers, mqtt.get(), stopped);
  // Readings that never reached the broker are lost with the process: never a quiet success.
  if (undelivered > 0)
    io.errLine("kx4200-cli: " + std::to_string(undelivered) +
               " MQTT messages were still queued at the end and are lost (" +
               (connectedAtEnd ? "not acknowledged in time by the broker " : "no connection to the broker ") +
               o.mqtt->host + ":" + std::to_string(o.mqtt->port) + ")");
  if (outputs.AnyCsvFailed()) return kMonitorUsage;
  const bool counted = o.count > 0 && !stopped;
  return counted && (outputs.AnyFailed() || undelivered > 0) ? kMonitorDevice : kMonitorOk;
}

std::string CheckMqttTopics(const MonitorOptions& o) {
  if (!o.mqtt) return {};
  const MqttSettings& m = *o.mqtt;
  // Control characters and the like are told against the option that holds them.
  const std::pair<const char*, std::string> given[] = {
      {"--mqtt-prefix", m.prefix}, {"--mqtt-discovery-prefix", o.discoveryPrefix}, {"--instance", m.instance}};
  for (const auto& [option, text] : given)
    if (const std::string fault = TopicFault(text); !fault.empty()) return std::string(option) + " " + fault;
  if (const std::string fault = TopicFault(StatusTopic(m)); !fault.empty()) return "the MQTT status topic " + fault;
  for (size_t i = 0; i < o.units.size(); ++i) {
    const std::string& name = o.units[i].name;
    std::vector<std::string> topics{UnitTopic(m.prefix, name, "state"), UnitTopic(m.prefix, name, "availability")};
    if (o.discovery)
      for (const MqttMessage& d : DiscoveryMessages(o.discoveryPrefix, m.prefix, StatusTopic(m), {name, {}, {}}, 0))
        topics.push_back(d.topic);
    for (const std::string& topic : topics)
      if (const std::string fault = TopicFault(topic); !fault.empty())
        return "an MQTT topic of the unit " + (name.size() > 40 ? name.substr(0, 40) + "..." : name) + " " + fault;
  }
  return {};
}

}  // namespace kx::monitor
