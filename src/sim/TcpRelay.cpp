#include "sim/TcpRelay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "link/LineSpeed.h"

namespace kx {

TcpRelay::TcpRelay(std::string line, int baud) : line_(std::move(line)), baud_(baud) {}

TcpRelay::~TcpRelay() { Stop(); }

bool TcpRelay::Start(const std::string& host, int port, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); rc != 0) {
    error = ::gai_strerror(rc);
    return false;
  }
  listener_ = ::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
  const int one = 1;
  if (listener_ >= 0) ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  const bool ok = listener_ >= 0 && ::bind(listener_, found->ai_addr, found->ai_addrlen) == 0 && ::listen(listener_, 4) == 0;
  ::freeaddrinfo(found);
  if (!ok) {
    error = std::strerror(errno);
    if (listener_ >= 0) ::close(listener_);
    listener_ = -1;
    return false;
  }
  sockaddr_storage bound{};
  socklen_t size = sizeof bound;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &size);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  thread_ = std::thread([this] { Run(); });
  return true;
}

void TcpRelay::Stop() {
  if (thread_.joinable()) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t w = ::write(wake_, &one, sizeof one);
    thread_.join();
  }
  if (listener_ >= 0) ::close(listener_);
  if (wake_ >= 0) ::close(wake_);
  listener_ = wake_ = -1;
}

void TcpRelay::Run() {
  for (;;) {
    pollfd fds[2] = {{wake_, POLLIN, 0}, {listener_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[0].revents) return;
    if (!fds[1].revents) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Relay(client);
    ::close(client);
  }
}

void TcpRelay::Relay(int client) {
  const int line = ::open(line_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (line < 0) return;  // the unit is hung up: the connection closes at once
  termios t{};
  ::tcgetattr(line, &t);
  ::cfmakeraw(&t);
  const speed_t speed = SpeedOfBaud(baud_).value_or(B9600);
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  ::tcsetattr(line, TCSANOW, &t);
  uint8_t buffer[4096];
  for (;;) {
    pollfd fds[3] = {{wake_, POLLIN, 0}, {client, POLLIN, 0}, {line, POLLIN, 0}};
    if (::poll(fds, 3, -1) < 0 && errno != EINTR) break;
    if (fds[0].revents) break;
    // Either side's bytes go to the other; either side closing ends the connection.
    bool done = false;
    for (const auto& [from, to] : {std::pair{1, 2}, std::pair{2, 1}}) {
      if (!fds[from].revents) continue;
      const ssize_t got = ::read(fds[from].fd, buffer, sizeof buffer);
      if (got <= 0) {
        done = true;
        break;
      }
      for (ssize_t sent = 0; sent < got;) {
        const ssize_t put = to == 1 ? ::send(client, buffer + sent, static_cast<size_t>(got - sent), MSG_NOSIGNAL)
                                    : ::write(line, buffer + sent, static_cast<size_t>(got - sent));
        if (put <= 0) {
          done = true;
          break;
        }
        sent += put;
      }
    }
    if (done) break;
  }
  ::close(line);
}

}  // namespace kx
