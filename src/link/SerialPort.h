#pragma once
// A serial device over POSIX termios: exclusive, raw 8N1, DTR low, event-driven waits.

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "link/NetLine.h"
#include "link/Port.h"
#include "link/UucpLock.h"

namespace kx {

// When a wait for bytes looks at the line next. A reply's bytes cannot come faster
// than the line carries them (10 bits a byte at the baud rate), so once a reply has
// begun the wait sleeps until the rest could be there, less a margin, instead of
// waking for each byte. It wakes on the next arrival instead where the baud rate is
// unknown (0), before the first byte, after a sleep that brought nothing (a silence,
// then timed from the byte that ends it), when the rest is due within about the
// margin or overdue (held back, it may come at once), and for the rest of a wait
// whose bytes came faster than the baud allows (a pseudo-terminal), where the pace
// says nothing.
class LinePace {
 public:
  static constexpr long long kMarginUs = 500;
  // capUs > 0 bounds each sleep (a read that must notice a silence within that much).
  LinePace(int baud, long long capUs);
  // After a look at the line: the bytes still wanted, those arrived since the wait
  // began, those this look brought, and the time since the wait began. Returns how
  // long to sleep before the next look; 0: wake on the next arrival.
  long long NextSleepUs(size_t remaining, size_t arrived, size_t gained, long long elapsedUs);

 private:
  long long byteUs_;
  long long capUs_;
  bool followsBaud_;
  bool slept_ = false;
  long long dueUs_ = -1;  // when the rest can be complete at the earliest; -1: not known
};

class SerialPort final : public Port {
 public:
  SerialPort();
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens path read/write and exclusively (flock + TIOCEXCL), applies raw 8N1 at
  // baud, clears DTR, applies the time-outs and purges. baud must be one of the
  // rates termios knows; anything else fails with BadSettings and leaves the port closed.
  // A path written tcp://HOST:PORT or rfc2217://HOST:PORT (NetLine.h) connects to a
  // serial server instead; over RFC 2217 the server's line is set to baud and 8N1.
  LinkError Open(const std::string& path, int baud, const Timeouts& timeouts = {});
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  std::string_view Name() const override { return path_; }
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
  // An eventfd that stays readable once InterruptAll was called (nothing reads it):
  // a thread that is not in an exchange can sleep on it for the stop.
  static int InterruptAllFd();

 private:
  using Clock = std::chrono::steady_clock;

  bool Cancelled() const;
  // Polls the line for events (POLLIN, POLLOUT, or 0 for a hang-up only) and the
  // interruption until `until`; -1 on error, 0 on time-out, 1 when the line is ready,
  // 2 when interrupted.
  int PollLine(short events, Clock::time_point until, short& revents);
  // After PollLine: true, with lastError_ set, when it was interrupted or failed.
  bool PollStopped(int ready);
  // Moves what the driver holds into buffer_; waits until `until` for the first byte
  // (now: do not wait), or with sleep until `until` whatever comes (ended early only
  // by an interruption or a hang-up). Returns false on hang-up, error or interruption.
  bool Fill(Clock::time_point until, bool sleep = false);
  // Connects to a serial server (Open's network half).
  LinkError OpenNet(int baud);
  // One connection to the server, the line set up over it; the port closed again
  // (with the cause) when the server hangs up meanwhile.
  LinkError ConnectNet(const NetAddress& address, int baud);
  // Writes bytes as they are (escaped already where Telnet is spoken) until
  // deadline; the count written.
  size_t WriteRaw(const uint8_t* data, size_t n, Clock::time_point deadline);
  // Takes bytes in until buffer_ holds wanted, the deadline passes or, with an
  // interval, that long passes without a byte (Timeout), or the line fails.
  void Gather(size_t wanted, Clock::time_point deadline, std::optional<Clock::duration> interval);
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
  bool net_ = false;             // a connection to a serial server
  bool telnet_ = false;          // ... speaking RFC 2217
  TelnetCodec codec_;
  int extraWaitMs_ = 0;          // added to every wait and read (a network's latency)
  LinkError lastError_ = LinkError::None;
};

}  // namespace kx
