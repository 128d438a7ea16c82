#pragma once
// A real mosquitto broker on a free loopback port, started and stopped by the test
// (by its process id), its configuration and data in the test's temporary folder;
// and a subscriber that records every message it receives.

#include <mosquitto.h>

#include <QTemporaryDir>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace kx::testing {

// A loopback port of the test's own, bound but not listening: nothing else takes
// it, and a connection to it is refused.
class ClosedPort {
 public:
  ClosedPort();
  ~ClosedPort();
  ClosedPort(const ClosedPort&) = delete;
  ClosedPort& operator=(const ClosedPort&) = delete;
  int Port() const { return port_; }

 private:
  int fd_;
  int port_ = 0;
};

class MqttBroker {
 public:
  // user/password empty: anonymous clients allowed. ipv6: listens on ::1 as well.
  explicit MqttBroker(std::string user = {}, std::string password = {}, bool ipv6 = false);
  ~MqttBroker();
  // Starts (again, on the same port and data); true once it accepts connections.
  bool Start();
  void Stop();
  int Port() const { return port_; }
  std::string Dir() const { return dir_.path().toStdString(); }

 private:
  QTemporaryDir dir_;
  int port_ = 0;
  int pid_ = -1;
};

struct Received {
  std::string topic, payload;
  bool retain;
};

class Subscriber {
 public:
  // A persistent session (cleanSession false) keeps its subscription and its queued
  // messages across a broker restart.
  Subscriber(int port, const std::string& id, bool cleanSession = true);
  ~Subscriber();
  // Waits up to timeoutMs for a message list that satisfies done.
  bool WaitFor(const std::function<bool(const std::vector<Received>&)>& done, int timeoutMs = 20000);
  std::vector<Received> Messages();

 private:
  mosquitto* mosq_ = nullptr;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Received> messages_;
};

// A program with stdout and stderr into files; its process id, or -1.
int SpawnTool(const std::vector<std::string>& args, const std::string& outFile, const std::string& errFile);
// Waits up to timeoutMs for the process to end; its exit code, or -1 (killed on time-out).
int WaitExit(int pid, int timeoutMs);
std::string ReadFile(const std::string& path);

// The messages on one topic, in order.
std::vector<Received> OnTopic(const std::vector<Received>& all, const std::string& topic);

}  // namespace kx::testing
