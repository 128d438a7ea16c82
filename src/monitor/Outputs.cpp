#include "monitor/Outputs.h"

#include "link/CellStats.h"
#include "monitor/Discovery.h"

namespace kx::monitor {

namespace {

constexpr int kOfflineAfter = 3;  // failed readings in a row

}  // namespace

Outputs::Outputs(const MonitorOptions& o, const MonitorIo& io, MqttPublisher* mqtt) : o_(o), io_(io), mqtt_(mqtt) {
  units_.resize(o.units.size());
  if (!o.csvDir.empty())
    for (size_t i = 0; i < units_.size(); ++i) units_[i].csv = std::make_unique<DailyCsv>(o.csvDir, o.units[i].name);
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
  if (r.live && o_.discovery && !u.described) {
    u.described = true;
    DiscoveryUnit d{name, u.firmware, {}};
    for (double cell : r.live->Cells()) d.cellFitted.push_back(!CellNotFitted(cell));
    for (MqttMessage& m : DiscoveryMessages(o_.discoveryPrefix, o_.mqtt->prefix, StatusTopic(*o_.mqtt), d, unit)) {
      mqtt_->SetSticky(m);
      mqtt_->Publish(std::move(m));
    }
  }
  std::optional<bool> online;
  if (r.ok() && u.online != true) online = true;
  if (!r.ok() && u.failedInRow >= kOfflineAfter && u.online != false) online = false;
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

bool Outputs::AnyFailed() const {
  for (const UnitState& u : units_)
    if (u.failed > 0) return true;
  return false;
}

}  // namespace kx::monitor
