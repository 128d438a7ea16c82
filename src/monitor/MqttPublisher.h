#pragma once
// Publishing to an MQTT broker over libmosquitto, for an unattended monitor: QoS 1,
// the monitor's own status with a last will, retained messages republished every
// time the connection returns, and an in-memory queue that keeps the order of the
// messages across broker outages. A broker not reached at start is tried again
// on the same back-off as after a loss: 1 s, doubling, at most 60 s.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "monitor/Discovery.h"

struct mosquitto;

namespace kx::monitor {

struct MqttSettings {
  std::string host = "localhost";
  int port = 1883;
  std::string user;      // empty: none
  std::string password;  // read from a file, never from the command line
  bool tls = false;
  std::string cafile;    // with tls; empty: the system's certificates
  std::string prefix = "kx4200";
  std::string instance;  // empty: the host name
  std::string clientId;  // empty: made from the host name and the process id
};

// The host name: a monitor's instance unless it is given one.
std::string DefaultInstance();
// PREFIX/status/INSTANCE: the monitor's own availability, retained, with a last will.
std::string StatusTopic(const MqttSettings& settings);
// Why the client library would refuse text in a topic ("holds a control character",
// "is 70012 bytes long; ..."); empty when it would take it.
std::string TopicFault(const std::string& topic);

struct MqttCounts {
  long long published = 0;  // acknowledged by the broker
  long long queued = 0;     // still waiting in the queue or in flight
  long long dropped = 0;    // pushed out of a full queue
  long long refused = 0;    // not taken by the client library (a topic it refuses)
};

class MqttPublisher {
 public:
  static constexpr size_t kDefaultQueueLimit = 10000;

  MqttPublisher(MqttSettings settings, size_t queueLimit = kDefaultQueueLimit);
  ~MqttPublisher();
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  enum class StartResult { Connected, Pending, Refused, Failed };
  // Starts the client thread and waits up to waitMs for the broker's first answer.
  // Refused: the broker turned the credentials down (error says so). Failed: the
  // client could not be set up (a bad CA file, out of memory). Pending: no answer
  // yet; the client keeps trying and messages queue meanwhile.
  StartResult Start(int waitMs, std::string& error);

  // Queues a message; messages go out in the order queued.
  void Publish(MqttMessage message);
  // Retained messages sent again every time the connection comes back (discovery,
  // availability); a message with the same topic replaces the earlier one.
  void SetSticky(const MqttMessage& message);
  // Publishes "offline" on the status topic, waits up to flushMs for everything queued
  // to reach the broker (while connected), then disconnects. Idempotent.
  void Stop(int flushMs);

  bool Connected() const;
  MqttCounts Counts(int unit) const;
  // Text for the log about connection changes since the last call (empty: none).
  std::vector<std::string> TakeEvents();
  // Called (from any thread, under the publisher's lock) whenever such text is
  // added, so that the log need not be polled. Set before Start.
  void SetEventWake(std::function<void()> wake) { wake_ = std::move(wake); }

 private:
  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnDisconnect(mosquitto*, void* self, int rc);
  static void OnPublish(mosquitto*, void* self, int mid);
  void PumpLocked();
  // The library's result; a message it refuses for any cause but the connection is counted and said.
  int SendLocked(const MqttMessage& m, bool track);
  // Until the first connection attempt is under way: connect, wait, connect again.
  void ConnectUntilUnderWay(std::string lastCause);
  bool StartLoop(std::string& error);
  void SayLocked(std::string text);

  MqttSettings settings_;
  std::string status_;
  size_t queueLimit_;
  mosquitto* mosq_ = nullptr;
  bool started_ = false, stopped_ = false;
  bool looping_ = false;  // the client's thread runs
  std::thread connector_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool connected_ = false;
  bool answered_ = false;  // the broker answered a connection attempt at least once
  int refusedCode_ = 0;
  std::deque<MqttMessage> queue_;
  std::map<int, int> inflight_;  // message id -> unit
  std::vector<MqttMessage> sticky_;
  std::map<int, MqttCounts> counts_;
  std::vector<std::string> events_;
  std::function<void()> wake_;
  std::set<int> refusedCauses_;  // said once each
};

}  // namespace kx::monitor
