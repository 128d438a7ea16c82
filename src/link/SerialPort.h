#pragma once
// A serial device over POSIX termios: exclusive, raw 8N1, DTR low, event-driven waits.

#include <atomic>
#include <string>
#include <vector>

#include "link/Port.h"
#include "link/UucpLock.h"

namespace kx {

class SerialPort final : public Port {
 public:
  SerialPort();
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens path read/write and exclusively (flock + TIOCEXCL), applies raw 8N1 at
  // baud, clears DTR, applies the time-outs and purges. baud must be one of the
  // rates termios knows; anything else fails with BadSettings and leaves the port closed.
  LinkError Open(const std::string& path, int baud, const Timeouts& timeouts = {});
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  const std::string& Path() const { return path_; }
  // The baud rate read back from the device after applying the settings.
  int AppliedBaud() const { return appliedBaud_; }

  void Purge() override;
  size_t Write(const uint8_t* data, size_t n) override;
  size_t Read(uint8_t* data, size_t n, int extraMs = 0) override;
  size_t WaitForBytes(size_t count, int timeoutMs) override;
  size_t Queued() override;
  size_t Peek(uint8_t* data, size_t n) const override;
  LinkError LastError() const override { return lastError_; }

  // Ends the wait, read or write in progress (from any thread) and every later one
  // until the port is opened again: they return at once with Cancelled.
  void Interrupt();
  // The same for every port of the process; safe to call from a signal handler.
  static void InterruptAll();

 private:
  bool Cancelled() const;
  // Polls the line for events (POLLIN or POLLOUT) and the interruption; -1 on
  // error, 0 on time-out, 1 when the line is ready, 2 when interrupted.
  int PollLine(short events, int timeoutMs, short& revents);
  // Moves what the driver holds into buffer_; waits at most timeoutMs for the
  // first byte (0: do not wait). Returns false on hang-up or error.
  bool Fill(int timeoutMs);
  LinkError Fail(LinkError error);
  // Best effort: asks a USB adapter to pass bytes on without its usual delay.
  void SetLowLatency();

  int fd_ = -1;
  int wakeFd_ = -1;  // eventfd that Interrupt makes readable
  std::atomic<bool> interrupted_{false};
  UucpLock uucpLock_;
  bool lowLatencySet_ = false;  // we switched low latency on, and switch it off at Close
  bool hungUp_ = false;  // once the line hangs up, nothing more comes until a new Open
  std::string path_;
  int appliedBaud_ = 0;
  Timeouts timeouts_;
  std::vector<uint8_t> buffer_;  // received, not yet read by the caller
  LinkError lastError_ = LinkError::None;
};

}  // namespace kx
