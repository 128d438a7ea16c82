#pragma once
// ser2net serving a simulated unit's line on two free loopback ports, RFC 2217 and
// raw TCP, started, stopped and started again (by its process id) by the test; its log in the
// test's own temporary folder.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

extern char** environ;

namespace kx::testing {

inline int FreePort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

class SerialServer {
 public:
  explicit SerialServer(const std::string& line) : line_(line), telnetPort_(FreePort()), rawPort_(FreePort()) {
    Start();
  }
  // Starts it again after Stop(), on the same ports.
  void Start() {
    if (pid_ > 0) return;
    const std::string pidFile = dir_.filePath("ser2net.pid").toStdString();
    auto connection = [this](const std::string& name, const std::string& accepter) {
      return std::vector<std::string>{"-Y", "connection: &" + name, "-Y", "  accepter: " + accepter, "-Y",
                                      "  connector: serialdev," + line_ + ",9600n81,local"};
    };
    // -n: in the foreground; -u: no lock files outside the test's folder.
    std::vector<std::string> args{"/usr/sbin/ser2net", "-n", "-u", "-P", pidFile};
    for (const auto& part : {connection("telnet", "telnet(rfc2217),tcp,127.0.0.1," + std::to_string(telnetPort_)),
                             connection("raw", "tcp,127.0.0.1," + std::to_string(rawPort_))})
      args.insert(args.end(), part.begin(), part.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = dir_.filePath("ser2net.log").toStdString();
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    listening_ = false;
    for (int i = 0; i < 300 && pid_ > 0 && !Listening(); ++i) ::usleep(10000);
  }
  ~SerialServer() { Stop(); }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    listening_ = false;
  }
  bool Running() const { return pid_ > 0 && listening_; }
  // What the server said (for a failure's message).
  std::string Log() const {
    QFile f(dir_.filePath("ser2net.log"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
  }
  std::string Telnet(const std::string& query = {}) const {
    return "rfc2217://127.0.0.1:" + std::to_string(telnetPort_) + query;
  }
  std::string Raw() const { return "tcp://127.0.0.1:" + std::to_string(rawPort_); }

 private:
  // Both ports listening, told by the kernel's socket table: a probe connection
  // would make the server open the line, and its closing could race the test's own.
  bool Listening() {
    QFile table("/proc/net/tcp");
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QString text = QString::fromLatin1(table.readAll());
    auto listens = [&text](int port) {
      return text.contains(QString(" 0100007F:%1 00000000:0000 0A ").arg(port, 4, 16, QChar('0')).toUpper());
    };
    listening_ = listens(telnetPort_) && listens(rawPort_);
    return listening_;
  }
  QTemporaryDir dir_;
  std::string line_;
  int telnetPort_, rawPort_;
  pid_t pid_ = -1;
  bool listening_ = false;
};

}  // namespace kx::testing
