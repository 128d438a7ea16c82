#pragma once
// The simulated unit on the network: a TCP listener that passes the bytes of one
// connection at a time to and from the unit's line, raw, as a serial server does.
// The line is opened at the unit's rate for each connection and let go after it.

#include <atomic>
#include <string>
#include <thread>

namespace kx {

class TcpRelay {
 public:
  // line: the path of the unit's pseudo-terminal; baud: the rate its line is set to.
  TcpRelay(std::string line, int baud);
  ~TcpRelay();
  TcpRelay(const TcpRelay&) = delete;
  TcpRelay& operator=(const TcpRelay&) = delete;

  // Listens on host:port (port 0: a free one) and starts relaying; false with
  // error set when the address cannot be listened on.
  bool Start(const std::string& host, int port, std::string& error);
  void Stop();
  int Port() const { return port_; }

 private:
  void Run();
  void Relay(int client);

  std::string line_;
  int baud_;
  int listener_ = -1;
  int wake_ = -1;  // eventfd that ends the thread
  int port_ = 0;
  std::thread thread_;
};

}  // namespace kx
