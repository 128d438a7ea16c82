#include "monitor/MqttPublisher.h"

#include <mosquitto.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <utility>

namespace kx::monitor {

namespace {

// Messages handed to the client library at once; the rest wait in our queue, where
// the bound and the drop count apply.
constexpr size_t kWindow = 20;
constexpr int kKeepAliveS = 30;

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string DefaultClientId() {
  char host[HOST_NAME_MAX + 1] = {};
  ::gethostname(host, sizeof host - 1);
  return "kx4200-monitor-" + std::string(host) + "-" + std::to_string(::getpid());
}

}  // namespace

MqttPublisher::MqttPublisher(MqttSettings settings, size_t queueLimit)
    : settings_(std::move(settings)), queueLimit_(queueLimit == 0 ? 1 : queueLimit) {
  InitLibrary();
}

MqttPublisher::~MqttPublisher() {
  Stop(0);
  if (mosq_) mosquitto_destroy(mosq_);
}

MqttPublisher::StartResult MqttPublisher::Start(int waitMs, std::string& error) {
  const std::string where = settings_.host + ":" + std::to_string(settings_.port);
  const std::string id = settings_.clientId.empty() ? DefaultClientId() : settings_.clientId;
  mosq_ = mosquitto_new(id.c_str(), true, this);
  if (!mosq_) {
    error = "could not create an MQTT client";
    return StartResult::Failed;
  }
  if (!settings_.user.empty())
    mosquitto_username_pw_set(mosq_, settings_.user.c_str(), settings_.password.c_str());
  const std::string status = settings_.prefix + "/status";
  mosquitto_will_set(mosq_, status.c_str(), 7, "offline", 1, true);
  if (settings_.tls) {
    const char* cafile = settings_.cafile.empty() ? nullptr : settings_.cafile.c_str();
    const char* capath = cafile ? nullptr : "/etc/ssl/certs";
    if (const int rc = mosquitto_tls_set(mosq_, cafile, capath, nullptr, nullptr, nullptr); rc != MOSQ_ERR_SUCCESS) {
      error = "TLS could not be set up (" + std::string(mosquitto_strerror(rc)) + ")";
      return StartResult::Failed;
    }
  }
  // Back-off between reconnection attempts: 1 s, doubling, at most a minute.
  mosquitto_reconnect_delay_set(mosq_, 1, 60, true);
  mosquitto_connect_callback_set(mosq_, &MqttPublisher::OnConnect);
  mosquitto_disconnect_callback_set(mosq_, &MqttPublisher::OnDisconnect);
  mosquitto_publish_callback_set(mosq_, &MqttPublisher::OnPublish);
  // A broker that is down now is tried again by the client's thread.
  if (const int rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port, kKeepAliveS);
      rc != MOSQ_ERR_SUCCESS) {
    std::lock_guard lock(mutex_);
    events_.push_back("MQTT broker " + where + " not reached (" + mosquitto_strerror(rc) + "); trying again");
  }
  if (const int rc = mosquitto_loop_start(mosq_); rc != MOSQ_ERR_SUCCESS) {
    error = "could not start the MQTT client (" + std::string(mosquitto_strerror(rc)) + ")";
    return StartResult::Failed;
  }
  started_ = true;

  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return answered_; });
  if (refusedCode_ != 0) {
    lock.unlock();
    error = "the MQTT broker " + where + " refused the connection: " + mosquitto_connack_string(refusedCode_);
    stopped_ = true;
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, true);
    return StartResult::Refused;
  }
  return connected_ ? StartResult::Connected : StartResult::Pending;
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
  auto* p = static_cast<MqttPublisher*>(self);
  std::lock_guard lock(p->mutex_);
  p->answered_ = true;
  if (rc != 0) {
    if (p->refusedCode_ == 0) p->events_.push_back(std::string("MQTT broker refused: ") + mosquitto_connack_string(rc));
    p->refusedCode_ = rc;
  } else {
    p->refusedCode_ = 0;
    p->connected_ = true;
    p->events_.push_back("MQTT connected to " + p->settings_.host + ":" + std::to_string(p->settings_.port));
    // The monitor's status first, then what a consumer that joined meanwhile needs.
    p->SendLocked({p->settings_.prefix + "/status", "online", true, -1}, false);
    for (const MqttMessage& m : p->sticky_) p->SendLocked(m, true);
    p->PumpLocked();
  }
  p->changed_.notify_all();
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int rc) {
  auto* p = static_cast<MqttPublisher*>(self);
  std::lock_guard lock(p->mutex_);
  if (p->connected_ && rc != 0) p->events_.push_back("MQTT connection lost; queueing and reconnecting");
  p->connected_ = false;
  p->changed_.notify_all();
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int mid) {
  auto* p = static_cast<MqttPublisher*>(self);
  std::lock_guard lock(p->mutex_);
  if (const auto it = p->inflight_.find(mid); it != p->inflight_.end()) {
    ++p->counts_[it->second].published;
    p->inflight_.erase(it);
  }
  p->PumpLocked();
  p->changed_.notify_all();
}

bool MqttPublisher::SendLocked(const MqttMessage& m, bool track) {
  int mid = 0;
  const int rc = mosquitto_publish(mosq_, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()), m.payload.data(),
                                   1, m.retain);
  if (rc != MOSQ_ERR_SUCCESS) return false;
  // Handed over: the library resends it after a reconnection until the broker acknowledges it.
  if (track) inflight_[mid] = m.unit;
  return true;
}

void MqttPublisher::PumpLocked() {
  while (connected_ && inflight_.size() < kWindow && !queue_.empty()) {
    if (!SendLocked(queue_.front(), true)) return;
    queue_.pop_front();
  }
}

void MqttPublisher::Publish(MqttMessage message) {
  std::lock_guard lock(mutex_);
  if (queue_.size() >= queueLimit_) {
    ++counts_[queue_.front().unit].dropped;
    queue_.pop_front();
  }
  queue_.push_back(std::move(message));
  if (started_ && !stopped_) PumpLocked();
}

void MqttPublisher::SetSticky(const MqttMessage& message) {
  std::lock_guard lock(mutex_);
  for (MqttMessage& m : sticky_) {
    if (m.topic == message.topic) {
      m = message;
      return;
    }
  }
  sticky_.push_back(message);
}

void MqttPublisher::Stop(int flushMs) {
  {
    std::unique_lock lock(mutex_);
    if (!started_ || stopped_) return;
    stopped_ = true;
    // After every reading queued before it.
    queue_.push_back({settings_.prefix + "/status", "offline", true, -1});
    PumpLocked();
    changed_.wait_for(lock, std::chrono::milliseconds(flushMs),
                      [this] { return (queue_.empty() && inflight_.empty()) || !connected_; });
  }
  mosquitto_disconnect(mosq_);
  mosquitto_loop_stop(mosq_, false);
}

bool MqttPublisher::Connected() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

MqttCounts MqttPublisher::Counts(int unit) const {
  std::lock_guard lock(mutex_);
  MqttCounts c;
  if (const auto it = counts_.find(unit); it != counts_.end()) c = it->second;
  c.queued = 0;
  for (const MqttMessage& m : queue_) c.queued += m.unit == unit;
  for (const auto& [mid, u] : inflight_) c.queued += u == unit;
  return c;
}

std::vector<std::string> MqttPublisher::TakeEvents() {
  std::lock_guard lock(mutex_);
  return std::exchange(events_, {});
}

}  // namespace kx::monitor
