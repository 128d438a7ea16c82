#include "monitor/MqttPublisher.h"

#include <mosquitto.h>
#include <unistd.h>

#include <algorithm>
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

std::string DefaultClientId() { return "kx4200-monitor-" + DefaultInstance() + "-" + std::to_string(::getpid()); }

constexpr int kFirstDelayS = 1, kLastDelayS = 60;

// A topic for the log: short, and printable whatever it holds.
std::string Shown(const std::string& topic) {
  std::string s;
  for (unsigned char c : topic.substr(0, 60)) s += c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
  return topic.size() > 60 ? s + "..." : s;
}

bool ConnectionGone(int rc) { return rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST; }

}  // namespace

std::string DefaultInstance() {
  char host[HOST_NAME_MAX + 1] = {};
  ::gethostname(host, sizeof host - 1);
  return host;
}

std::string StatusTopic(const MqttSettings& s) {
  return s.prefix + "/status/" + (s.instance.empty() ? DefaultInstance() : s.instance);
}

std::string TopicFault(const std::string& topic) {
  constexpr size_t kLongest = 65535;  // the length field of an MQTT string
  if (topic.size() > kLongest)
    return "would be " + std::to_string(topic.size()) + " bytes long; MQTT allows at most 65,535";
  for (size_t i = 0; i < topic.size(); ++i) {
    const auto c = static_cast<unsigned char>(topic[i]);
    const auto next = i + 1 < topic.size() ? static_cast<unsigned char>(topic[i + 1]) : 0;
    // C0, DEL, and C1 (U+0080..U+009F, C2 80..C2 9F in UTF-8)
    if (c < 0x20 || c == 0x7f || (c == 0xc2 && next >= 0x80 && next <= 0x9f)) return "holds a control character";
    if (c == '+' || c == '#') return "holds a wildcard ('+' or '#')";
  }
  if (mosquitto_validate_utf8(topic.data(), static_cast<int>(topic.size())) != MOSQ_ERR_SUCCESS)
    return "is not text MQTT takes (invalid UTF-8)";
  return {};
}

MqttPublisher::MqttPublisher(MqttSettings settings, size_t queueLimit)
    : settings_(std::move(settings)),
      status_(StatusTopic(settings_)),
      queueLimit_(queueLimit == 0 ? 1 : queueLimit) {
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
  const std::string_view will = "offline";
  if (const int rc = mosquitto_will_set(mosq_, status_.c_str(), static_cast<int>(will.size()), will.data(), 1, true);
      rc != MOSQ_ERR_SUCCESS) {
    error = "the MQTT status topic cannot be used (" + std::string(mosquitto_strerror(rc)) + ")";
    return StartResult::Failed;
  }
  if (settings_.tls) {
    const char* cafile = settings_.cafile.empty() ? nullptr : settings_.cafile.c_str();
    const char* capath = cafile ? nullptr : "/etc/ssl/certs";
    if (const int rc = mosquitto_tls_set(mosq_, cafile, capath, nullptr, nullptr, nullptr); rc != MOSQ_ERR_SUCCESS) {
      error = "TLS could not be set up (" + std::string(mosquitto_strerror(rc)) + ")";
      return StartResult::Failed;
    }
  }
  // Back-off between reconnection attempts: 1 s, growing, at most a minute.
  mosquitto_reconnect_delay_set(mosq_, kFirstDelayS, kLastDelayS, true);
  mosquitto_connect_callback_set(mosq_, &MqttPublisher::OnConnect);
  mosquitto_disconnect_callback_set(mosq_, &MqttPublisher::OnDisconnect);
  mosquitto_publish_callback_set(mosq_, &MqttPublisher::OnPublish);
  // Once an attempt is under way the client's thread reconnects by itself; an
  // attempt that fails at once (refused, no such host) leaves that to us.
  if (const int rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port, kKeepAliveS);
      rc == MOSQ_ERR_SUCCESS) {
    if (!StartLoop(error)) return StartResult::Failed;
  } else {
    const std::string cause = mosquitto_strerror(rc);
    {
      std::lock_guard lock(mutex_);
      SayLocked("MQTT broker " + where + " not reached (" + cause + "); trying again");
    }
    connector_ = std::thread([this, cause] { ConnectUntilUnderWay(cause); });
  }
  started_ = true;

  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return answered_; });
  if (refusedCode_ != 0) {
    lock.unlock();
    error = "the MQTT broker " + where + " refused the connection: " + mosquitto_connack_string(refusedCode_);
    {
      std::lock_guard stopping(mutex_);
      stopped_ = true;
    }
    changed_.notify_all();
    if (connector_.joinable()) connector_.join();
    mosquitto_disconnect(mosq_);
    if (looping_) mosquitto_loop_stop(mosq_, true);
    return StartResult::Refused;
  }
  return connected_ ? StartResult::Connected : StartResult::Pending;
}

bool MqttPublisher::StartLoop(std::string& error) {
  if (const int rc = mosquitto_loop_start(mosq_); rc != MOSQ_ERR_SUCCESS) {
    error = "could not start the MQTT client (" + std::string(mosquitto_strerror(rc)) + ")";
    return false;
  }
  std::lock_guard lock(mutex_);
  looping_ = true;
  return true;
}

void MqttPublisher::ConnectUntilUnderWay(std::string lastCause) {
  const std::string where = settings_.host + ":" + std::to_string(settings_.port);
  std::unique_lock lock(mutex_);
  for (int delay = kFirstDelayS;; delay = std::min(delay * 2, kLastDelayS)) {
    if (changed_.wait_for(lock, std::chrono::seconds(delay), [this] { return stopped_; })) return;
    lock.unlock();
    const int rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port, kKeepAliveS);
    std::string error;
    const bool underWay = rc == MOSQ_ERR_SUCCESS && StartLoop(error);
    lock.lock();
    if (underWay) return;
    // Said again only when the cause changes: a broker away for hours is one line.
    const std::string cause = rc == MOSQ_ERR_SUCCESS ? error : mosquitto_strerror(rc);
    if (cause != lastCause)
      SayLocked("MQTT broker " + where + " not reached (" + cause + "); trying again");
    lastCause = cause;
  }
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
  auto* p = static_cast<MqttPublisher*>(self);
  std::lock_guard lock(p->mutex_);
  p->answered_ = true;
  if (rc != 0) {
    if (p->refusedCode_ == 0) p->SayLocked(std::string("MQTT broker refused: ") + mosquitto_connack_string(rc));
    p->refusedCode_ = rc;
  } else {
    p->refusedCode_ = 0;
    p->connected_ = true;
    p->SayLocked("MQTT connected to " + p->settings_.host + ":" + std::to_string(p->settings_.port));
    // The monitor's status first, then what a consumer that joined meanwhile needs.
    p->SendLocked({p->status_, "online", true, -1}, false);
    for (const MqttMessage& m : p->sticky_) p->SendLocked(m, true);
    p->PumpLocked();
  }
  p->changed_.notify_all();
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int rc) {
  auto* p = static_cast<MqttPublisher*>(self);
  std::lock_guard lock(p->mutex_);
  if (p->connected_ && rc != 0) p->SayLocked("MQTT connection lost; queueing and reconnecting");
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

int MqttPublisher::SendLocked(const MqttMessage& m, bool track) {
  int mid = 0;
  const int rc = mosquitto_publish(mosq_, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()), m.payload.data(),
                                   1, m.retain);
  if (rc == MOSQ_ERR_SUCCESS) {
    // Handed over: the library resends it after a reconnection until the broker acknowledges it.
    if (track) inflight_[mid] = m.unit;
  } else if (!ConnectionGone(rc)) {
    // It would never go: counted, and said once per cause rather than once per reading.
    ++counts_[m.unit].refused;
    if (refusedCauses_.insert(rc).second)
      SayLocked("MQTT message to " + Shown(m.topic) + " refused by the client (" + mosquitto_strerror(rc) +
                        "); such messages are counted as refused and not sent");
  }
  return rc;
}

void MqttPublisher::PumpLocked() {
  while (connected_ && inflight_.size() < kWindow && !queue_.empty()) {
    if (ConnectionGone(SendLocked(queue_.front(), true))) return;  // sent after the reconnection
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
    queue_.push_back({status_, "offline", true, -1});
    PumpLocked();
    changed_.wait_for(lock, std::chrono::milliseconds(flushMs),
                      [this] { return (queue_.empty() && inflight_.empty()) || !connected_; });
  }
  changed_.notify_all();  // ends the connector's wait
  if (connector_.joinable()) connector_.join();
  mosquitto_disconnect(mosq_);
  if (looping_) mosquitto_loop_stop(mosq_, false);
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

void MqttPublisher::SayLocked(std::string text) {
  events_.push_back(std::move(text));
  if (wake_) wake_();
}

std::vector<std::string> MqttPublisher::TakeEvents() {
  std::lock_guard lock(mutex_);
  return std::exchange(events_, {});
}

}  // namespace kx::monitor
