#include "monitor/Outputs.h"

#include "link/CellStats.h"
#include "monitor/Discovery.h"

namespace kx::monitor {

namespace {

constexpr int kOfflineAfter = 3;  // failed readings in a row

}  // namespace

Outputs::Outputs(const MonitorOptions& o, const MonitorIo& io, MqttPublisher* mqtt, MetricsServer* metrics)
    : o_(o), io_(io), mqtt_(mqtt), metrics_(metrics) {
  units_.resize(o.units.size());
  for (size_t i = 0; i < units_.size(); ++i) {
    units_[i].checks = WiringChecks(o.wiring);
    if (o.csvDir.empty()) continue;
    units_[i].csv = std::make_unique<DailyCsv>(o.csvDir, o.units[i].name);
    units_[i].events = std::make_unique<EventCsv>(o.csvDir, o.units[i].name);
  }
}

std::vector<Event> Outputs::Changes(UnitState& u, const Reading& r, std::optional<bool> online) {
  std::vector<Event> events;
  auto event = [&events](const char* name, std::string detail = {}) {
    Event& e = events.emplace_back();
    e.name = name;
    e.detail = std::move(detail);
  };
  if (online == true && u.online == false) event("online");
  if (r.alarms) {
    // Alarms already set when the monitor starts are told as raised.
    for (Event& e : AlarmEvents(u.alarmWord.value_or(0), r.alarms->word)) events.push_back(std::move(e));
    u.alarmWord = r.alarms->word;
  }
  if (r.live)
    for (const FaultChange& f : u.checks.Check(*r.live)) events.push_back(FaultEvent(f));
  if (online == false)
    event("offline", "No good reading in " + std::to_string(kOfflineAfter) + " readings in a row: " +
                         (r.error.empty() ? "no reading" : r.error) + ".");
  for (Event& e : events) {
    e.time = r.time;
    e.ms = r.ms;
  }
  if (online) u.online = online;
  return events;
}

void Outputs::Tell(size_t unit, const std::vector<Event>& events) {
  UnitState& u = units_[unit];
  const std::string& name = o_.units[unit].name;
  for (const Event& e : events) {
    io_.outLine(o_.json ? EventJson(e, name) : EventLine(name, e));
    if (u.events && !u.events->Write(e) && !csvFailed_[unit]) {
      csvFailed_[unit] = true;
      io_.errLine(name + ": logging stopped: " + u.events->Error());
    }
    if (mqtt_) mqtt_->Publish({UnitTopic(o_.mqtt->prefix, name, "event"), EventJson(e), false, static_cast<int>(unit)});
  }
}

void Outputs::UpdateMetrics(const UnitState& u, const Reading& r) {
  if (!metrics_) return;
  metrics_->Update(r.unit, [&](UnitMetrics& m) {
    m.read = true;
    m.up = r.ok();
    m.ok = u.good;
    m.failed = u.failed;
    m.live = r.live;
    if (r.live) {
      for (size_t i = 0; i < kLiveCells; ++i) m.connected[i] = m.connected[i] || r.live->shown[i] > 0;
      m.lastGood = static_cast<double>(r.time) + r.ms / 1000.0;
    }
    m.alarmWord = u.alarmWord;
    m.faults.clear();
    for (FaultKind kind : u.checks.Active()) m.faults.push_back(FaultKindKey(kind));
  });
}

bool Outputs::WantsVersion(size_t unit) {
  std::lock_guard lock(mutex_);
  return mqtt_ && o_.discovery && !units_[unit].described;
}

void Outputs::SetFirmware(size_t unit, std::string firmware) {
  std::lock_guard lock(mutex_);
  units_[unit].firmware = std::move(firmware);
}

void Outputs::Deliver(const Reading& r) {
  std::lock_guard lock(mutex_);
  UnitState& u = units_[r.unit];
  const std::string& name = o_.units[r.unit].name;
  r.ok() ? ++u.good : ++u.failed;
  u.failedInRow = r.ok() ? 0 : u.failedInRow + 1;
  std::optional<bool> online;
  if (r.ok() && u.online != true) online = true;
  if (!r.ok() && u.failedInRow >= kOfflineAfter && u.online != false) online = false;
  const std::vector<Event> events = Changes(u, r, online);
  UpdateMetrics(u, r);
  if (!mqtt_ && o_.csvDir.empty()) io_.outLine(o_.json ? ReadingJson(name, r) : PlainLine(name, r));
  if (u.csv) {
    const bool written = u.csv->Write(r);
    if (const std::string notice = u.csv->TakeNotice(); !notice.empty())
      io_.errLine(name + ": " + notice);
    if (!written && !csvFailed_[r.unit]) {
      csvFailed_[r.unit] = true;
      io_.errLine(name + ": logging stopped: " + u.csv->Error());
    }
  }
  if (!mqtt_) return Tell(r.unit, events);
  const int unit = static_cast<int>(r.unit);
  if (r.live && o_.discovery && !u.described) {
    u.described = true;
    DiscoveryUnit d{name, u.firmware, {}, o_.cellEntities, ExpireAfter(o_.periodMs)};
    for (double cell : r.live->Cells()) d.cellFitted.push_back(!CellNotFitted(cell));
    for (MqttMessage& m : DiscoveryMessages(o_.discoveryPrefix, o_.mqtt->prefix, StatusTopic(*o_.mqtt), d, unit)) {
      mqtt_->SetSticky(m);
      mqtt_->Publish(std::move(m));
    }
  }
  std::vector<std::string> faults;
  for (FaultKind kind : u.checks.Active()) faults.push_back(FaultKindKey(kind));
  const std::string state = StateJson(r, u.alarmWord.value_or(0), faults);
  if (online) {
    const MqttMessage m{UnitTopic(o_.mqtt->prefix, name, "availability"), *online ? "online" : "offline", true, unit};
    mqtt_->SetSticky(m);
    // Online before the reading it comes with; offline after the third failure.
    if (*online) mqtt_->Publish(m);
    mqtt_->Publish({UnitTopic(o_.mqtt->prefix, name, "state"), state, false, unit});
    if (!*online) mqtt_->Publish(m);
  } else {
    mqtt_->Publish({UnitTopic(o_.mqtt->prefix, name, "state"), state, false, unit});
  }
  Tell(r.unit, events);
}

bool Outputs::AnyFailed() const {
  for (const UnitState& u : units_)
    if (u.failed > 0) return true;
  return false;
}

}  // namespace kx::monitor
