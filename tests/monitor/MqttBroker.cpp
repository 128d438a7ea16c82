#include "MqttBroker.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <iterator>
#include <fstream>
#include <thread>

extern char** environ;

namespace kx::testing {

namespace {

int FreePort() { return ClosedPort().Port(); }

bool Accepts(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(s);
  return ok;
}

int Spawn(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

}  // namespace

int SpawnTool(const std::vector<std::string>& args, const std::string& outFile, const std::string& errFile) {
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int WaitExit(int pid, int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

ClosedPort::ClosedPort() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n);
  port_ = ntohs(a.sin_port);
}

ClosedPort::~ClosedPort() { ::close(fd_); }

MqttBroker::MqttBroker(std::string user, std::string password, bool ipv6) : port_(FreePort()) {
  std::ofstream conf(Dir() + "/mosquitto.conf");
  conf << "listener " << port_ << " 127.0.0.1\n";
  if (ipv6) conf << "listener " << port_ << " ::1\n";
  conf
       << "persistence true\npersistence_location " << Dir() << "/\n"
       << "user root\n"  // stays the test's own user when the tests run as root
       << "log_dest none\n";
  if (user.empty()) {
    conf << "allow_anonymous true\n";
  } else {
    const std::string file = Dir() + "/passwords";
    const int pid = Spawn({"mosquitto_passwd", "-b", "-c", file, user, password});
    int status = 0;
    ::waitpid(pid, &status, 0);
    conf << "allow_anonymous false\npassword_file " << file << "\n";
  }
}

MqttBroker::~MqttBroker() { Stop(); }

bool MqttBroker::Start() {
  if (pid_ > 0) return true;
  pid_ = Spawn({"/usr/sbin/mosquitto", "-c", Dir() + "/mosquitto.conf"});
  for (int i = 0; i < 200 && pid_ > 0; ++i) {
    if (Accepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

void MqttBroker::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

Subscriber::Subscriber(int port, const std::string& id, bool cleanSession) {
  mosquitto_lib_init();
  mosq_ = mosquitto_new(id.c_str(), cleanSession, this);
  mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void*, int rc) {
    if (rc == 0) mosquitto_subscribe(m, nullptr, "#", 1);
  });
  mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* msg) {
    auto* s = static_cast<Subscriber*>(self);
    std::lock_guard lock(s->mutex_);
    s->messages_.push_back(
        {msg->topic, std::string(static_cast<const char*>(msg->payload), static_cast<size_t>(msg->payloadlen)),
         msg->retain});
    s->changed_.notify_all();
  });
  mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
  mosquitto_connect(mosq_, "127.0.0.1", port, 30);
  mosquitto_loop_start(mosq_);
}

Subscriber::~Subscriber() {
  mosquitto_disconnect(mosq_);
  mosquitto_loop_stop(mosq_, true);
  mosquitto_destroy(mosq_);
}

bool Subscriber::WaitFor(const std::function<bool(const std::vector<Received>&)>& done, int timeoutMs) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done(messages_); });
}

std::vector<Received> Subscriber::Messages() {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<Received> OnTopic(const std::vector<Received>& all, const std::string& topic) {
  std::vector<Received> out;
  for (const Received& r : all)
    if (r.topic == topic) out.push_back(r);
  return out;
}

}  // namespace kx::testing
