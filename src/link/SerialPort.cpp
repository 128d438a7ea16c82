#include "link/SerialPort.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "files/WriteAll.h"
#include "link/Exchange.h"
#include "link/LineSpeed.h"

namespace kx {

namespace {

using Clock = std::chrono::steady_clock;

LinkError OpenErrorFrom(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return LinkError::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return LinkError::NoPermission;
    case EBUSY:  // TIOCEXCL held by another program
      return LinkError::InUse;
    default:
      return LinkError::Io;
  }
}

// A read looks at the line at least this often while it sleeps through a reply, so
// that a silence of the inter-byte time-out is timed from within this much of its start.
constexpr long long kSilenceLookUs = 5000;

long long Us(Clock::duration d) { return std::chrono::duration_cast<std::chrono::microseconds>(d).count(); }

// A serial server that is there answers a connection at once; one that is not
// reachable should not hold a command for long.
constexpr int kConnectTimeoutMs = 3000;
// How long the open waits for an RFC 2217 server to confirm the line settings. A
// server that does not confirm one (its line lacks the option) is not waited for longer.
constexpr int kSettingsWaitMs = 1000;
constexpr int kNetOpenAttempts = 4;
constexpr int kNetRetryPauseMs = 150;

}  // namespace

namespace {

// One eventfd for the whole process, made before any signal can ask for it.
std::atomic<int> g_interruptAllFd{-1};
std::atomic<bool> g_interruptedAll{false};

void Signal(int eventFd) {
  if (eventFd < 0) return;
  const uint64_t one = 1;
  const ssize_t ignored = ::write(eventFd, &one, sizeof one);
  (void)ignored;
}

}  // namespace

int SerialPort::InterruptAllFd() {
  static const int fd = [] {
    const int made = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    g_interruptAllFd.store(made);
    return made;
  }();
  return fd;
}

SerialPort::SerialPort() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) { InterruptAllFd(); }

SerialPort::~SerialPort() {
  Close();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void SerialPort::Interrupt() {
  interrupted_.store(true);
  Signal(wakeFd_);
}

void SerialPort::InterruptAll() {
  g_interruptedAll.store(true);
  Signal(g_interruptAllFd.load());
}

bool SerialPort::Cancelled() const { return interrupted_.load() || g_interruptedAll.load(); }

int SerialPort::PollLine(short events, Clock::time_point until, short& revents) {
  pollfd fds[3] = {{fd_, events, 0}, {wakeFd_, POLLIN, 0}, {InterruptAllFd(), POLLIN, 0}};
  for (;;) {
    if (Cancelled()) return 2;
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::max(until - Clock::now(), Clock::duration::zero()));
    const timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                           static_cast<long>(left.count() % 1'000'000'000)};
    const int ready = ::ppoll(fds, 3, &timeout, nullptr);
    if (ready < 0 && errno == EINTR) continue;  // a signal's handler may have asked to stop
    if (ready < 0) return -1;
    if (Cancelled()) return 2;
    revents = fds[0].revents;
    return ready == 0 ? 0 : 1;
  }
}

bool SerialPort::PollStopped(int ready) {
  if (ready == 2)
    lastError_ = LinkError::Cancelled;
  else if (ready < 0)
    lastError_ = LinkError::Io;
  else
    return false;
  return true;
}

LinePace::LinePace(int baud, long long capUs)
    : byteUs_(baud > 0 ? 10'000'000 / baud : 0), capUs_(capUs), followsBaud_(baud > 0) {}

long long LinePace::NextSleepUs(size_t remaining, size_t arrived, size_t gained, long long elapsedUs) {
  const bool sleptInVain = slept_ && gained == 0;
  slept_ = false;
  if (!followsBaud_ || arrived == 0) return 0;
  // A pseudo-terminal or a buffer hands over faster than the line: its pace says nothing.
  if (static_cast<long long>(arrived) * byteUs_ > elapsedUs + 2 * byteUs_ + kMarginUs) {
    followsBaud_ = false;
    return 0;
  }
  if (sleptInVain) {  // a pause: the reply's time is reckoned again from its next byte
    dueUs_ = -1;
    return 0;
  }
  // The earliest the rest can be complete, by the look that saw the reply furthest
  // along: bytes held back (a converter's chunks, a sender running late) may come
  // all at once.
  const long long due = elapsedUs + static_cast<long long>(remaining) * byteUs_;
  if (dueUs_ < 0 || due < dueUs_) dueUs_ = due;
  long long sleepUs = dueUs_ - kMarginUs - elapsedUs;
  if (sleepUs < kMarginUs) return 0;
  if (capUs_ > 0) sleepUs = std::min(sleepUs, capUs_);
  slept_ = true;
  return sleepUs;
}

LinkError SerialPort::Fail(LinkError error) {
  lastError_ = error;
  return error;
}

LinkError SerialPort::Open(const std::string& path, int baud, const Timeouts& timeouts) {
  Close();
  // A new open starts uninterrupted; the process-wide stop stays.
  interrupted_.store(false);
  uint64_t drained = 0;
  while (wakeFd_ >= 0 && ::read(wakeFd_, &drained, sizeof drained) > 0) {
  }
  if (g_interruptedAll.load()) return Fail(LinkError::Cancelled);
  lastError_ = LinkError::None;
  hungUp_ = false;
  buffer_.clear();
  path_ = path;
  appliedBaud_ = 0;
  net_ = telnet_ = false;
  extraWaitMs_ = 0;
  codec_.Reset();
  if (IsNetPortName(path)) {
    timeouts_ = timeouts;
    return OpenNet(baud);
  }

  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(OpenErrorFrom(errno));
  // flock holds for root too, where TIOCEXCL does not; both keep a second program out.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return Fail(error == EWOULDBLOCK ? LinkError::InUse : LinkError::Io);
  }
  // Programs that lock nothing on the device itself still honour a UUCP lock file.
  if (uucpLock_.Acquire(path) != LinkError::None) {
    ::close(fd);
    return Fail(LinkError::InUse);
  }
  fd_ = fd;
  if (!::isatty(fd_)) {  // a plain file or another device: no line settings to apply
    Close();
    return Fail(LinkError::BadSettings);
  }
  ::ioctl(fd_, TIOCEXCL);

  const std::optional<speed_t> speed = SpeedOfBaud(baud);
  if (!speed) {
    Close();
    return Fail(LinkError::BadSettings);
  }
  termios settings{};
  ::tcgetattr(fd_, &settings);  // a failure here shows when the settings are applied
  ::cfmakeraw(&settings);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CLOCAL | CREAD;
  // Binary data: 0x11 and 0x13 are ordinary bytes, never XON/XOFF. The device has no
  // handshake lines, so a CRTSCTS left behind by another program would stall writes.
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  // VMIN 1: an empty non-blocking read then says EAGAIN, so that a read of 0 bytes
  // means a hang-up (with VMIN 0 it would also mean "nothing yet").
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  ::cfsetispeed(&settings, *speed);
  ::cfsetospeed(&settings, *speed);
  if (::tcsetattr(fd_, TCSANOW, &settings) != 0) {
    Close();
    return Fail(LinkError::BadSettings);
  }
  // tcsetattr succeeds when any part was applied; only a read-back tells the truth.
  termios applied{};
  if (::tcgetattr(fd_, &applied) != 0 || ::cfgetospeed(&applied) != *speed ||
      (applied.c_cflag & CSIZE) != CS8 || (applied.c_cflag & (PARENB | CSTOPB)) != 0) {
    Close();
    return Fail(LinkError::BadSettings);
  }
  appliedBaud_ = BaudOfSpeed(::cfgetospeed(&applied));

  // DTR held low. A pseudo-terminal has no modem lines and says ENOTTY or EINVAL.
  int dtr = TIOCM_DTR;
  if (::ioctl(fd_, TIOCMBIC, &dtr) != 0 && errno != ENOTTY && errno != EINVAL) {
    Close();
    return Fail(LinkError::BadSettings);
  }
  SetLowLatency();
  timeouts_ = timeouts;
  Purge();
  lastError_ = LinkError::None;
  return LinkError::None;
}

LinkError SerialPort::OpenNet(int baud) {
  std::string ignored;
  const std::optional<NetAddress> address = ParseNetPortName(path_, ignored);
  if (!address) return Fail(LinkError::NotFound);
  if (address->scheme == NetScheme::Rfc2217 && !SpeedOfBaud(baud)) return Fail(LinkError::BadSettings);
  // A server closes a new connection at once while its line is still held by the
  // one before (it lets the line go after the socket): tried again shortly.
  LinkError cause = LinkError::None;
  for (int attempt = 0; attempt < kNetOpenAttempts; ++attempt) {
    short ignoredEvents = 0;
    if (attempt > 0 && PollLine(0, Clock::now() + std::chrono::milliseconds(kNetRetryPauseMs), ignoredEvents) == 2)
      return Fail(LinkError::Cancelled);
    cause = ConnectNet(*address, baud);
    if (cause != LinkError::HungUp) break;
  }
  if (cause != LinkError::None) return Fail(cause);
  if (FrameTracing())
    TraceFrame({.verdict = FrameVerdict::Opened, .bytes = {}, .count = static_cast<size_t>(extraWaitMs_), .port = path_});
  return LinkError::None;
}

LinkError SerialPort::ConnectNet(const NetAddress& address, int baud) {
  const int wake[] = {wakeFd_, InterruptAllFd()};
  LinkError error = LinkError::None;
  const int fd = ConnectTcp(address, kConnectTimeoutMs, wake, error);
  if (fd < 0) return error;
  fd_ = fd;
  net_ = true;
  telnet_ = address.scheme == NetScheme::Rfc2217;
  hungUp_ = false;
  codec_.Reset();
  extraWaitMs_ = address.extraWaitMs;
  lastError_ = LinkError::None;
  if (telnet_) {
    appliedBaud_ = baud;  // what the server's line is set to
    std::vector<uint8_t> hello = TelnetCodec::Greeting();
    const std::vector<uint8_t> settings = TelnetCodec::LineSettings(baud);
    hello.insert(hello.end(), settings.begin(), settings.end());
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kSettingsWaitMs);
    if (WriteRaw(hello.data(), hello.size(), deadline) == hello.size()) {
      using T = TelnetCodec;
      while (!(codec_.Answered(T::kSetBaud) && codec_.Answered(T::kSetDataSize) && codec_.Answered(T::kSetParity) &&
               codec_.Answered(T::kSetStopSize))) {
        if (!Fill(deadline) || Clock::now() >= deadline) break;
      }
    } else if (lastError_ == LinkError::None) {
      lastError_ = LinkError::Io;
    }
  }
  if (lastError_ != LinkError::Cancelled && lastError_ != LinkError::HungUp && lastError_ != LinkError::Io) Purge();
  const LinkError cause = hungUp_ ? LinkError::HungUp : lastError_ == LinkError::Timeout ? LinkError::None : lastError_;
  if (cause != LinkError::None) {
    Close();
    return cause;
  }
  lastError_ = LinkError::None;
  return LinkError::None;
}

void SerialPort::SetLowLatency() {
  // USB adapters hold received bytes back for up to 16 ms to fill a packet; low
  // latency mode hands each byte on at once. Ports without the ioctl (pseudo-
  // terminals, many drivers) refuse it, which changes nothing.
  serial_struct serial{};
  if (::ioctl(fd_, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY)) return;
  serial.flags |= ASYNC_LOW_LATENCY;
  lowLatencySet_ = ::ioctl(fd_, TIOCSSERIAL, &serial) == 0;
}

void SerialPort::Close() {
  if (fd_ >= 0) {
    if (lowLatencySet_) {  // leave the adapter as other programs found it
      serial_struct serial{};
      if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
        serial.flags &= ~ASYNC_LOW_LATENCY;
        ::ioctl(fd_, TIOCSSERIAL, &serial);
      }
      lowLatencySet_ = false;
    }
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // releases the flock too
    fd_ = -1;
  }
  uucpLock_.Release();
  buffer_.clear();
  appliedBaud_ = 0;
  net_ = telnet_ = false;
}

bool SerialPort::Fill(Clock::time_point until, bool sleep) {
  if (fd_ < 0) {
    lastError_ = LinkError::NotOpen;
    return false;
  }
  if (hungUp_) {
    lastError_ = LinkError::HungUp;
    return false;
  }
  // Asleep, the line is watched for a hang-up only: data does not wake the thread.
  short revents = 0;
  for (;;) {
    const int ready = PollLine(sleep ? 0 : POLLIN, until, revents);
    if (PollStopped(ready)) return false;
    if (ready == 1 && revents == 0) continue;  // only the wake-up descriptors stirred
    if (ready == 0 && !sleep) return true;     // nothing arrived in time
    break;  // readable, hung up or in error; or the sleep is over: take what came meanwhile
  }
  if (revents & POLLNVAL) {
    lastError_ = LinkError::Io;
    return false;
  }
  // Readable, hung up or in error: read tells which, and must drain what is there,
  // since poll keeps reporting unread bytes. A read that fills less than the chunk
  // took all there was; a hang-up is read to its end.
  uint8_t chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got > 0) {
      if (telnet_) {
        std::vector<uint8_t> replies;
        codec_.Decode(std::span<const uint8_t>(chunk, static_cast<size_t>(got)), buffer_, replies);
        if (!replies.empty()) WriteRaw(replies.data(), replies.size(), Clock::now() + std::chrono::milliseconds(500));
      } else {
        buffer_.insert(buffer_.end(), chunk, chunk + got);
      }
      if (static_cast<size_t>(got) < sizeof chunk && !(revents & POLLHUP)) break;
      continue;
    }
    if (got == 0) {  // end of file on a terminal: the line hung up
      hungUp_ = true;
      lastError_ = LinkError::HungUp;
      return false;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    if (errno == EIO || (net_ && (errno == ECONNRESET || errno == ETIMEDOUT))) {
      hungUp_ = true;
      lastError_ = LinkError::HungUp;
    } else {
      lastError_ = LinkError::Io;
    }
    return false;
  }
  if (revents & POLLHUP) {  // the bytes before the hang-up are kept for the caller
    hungUp_ = true;
    lastError_ = LinkError::HungUp;
    return false;
  }
  return true;
}

void SerialPort::Gather(size_t wanted, Clock::time_point deadline, std::optional<Clock::duration> interval) {
  const Clock::time_point start = Clock::now();
  const size_t base = buffer_.size();
  // The interval runs from the last byte received; bytes already queued count as
  // received now. Those a sleep brought count as received when it ends.
  std::optional<Clock::time_point> lastByte;
  if (base > 0) lastByte = start;
  LinePace pace(appliedBaud_, interval ? kSilenceLookUs : 0);
  size_t gained = 0;
  for (;;) {
    if (buffer_.size() >= wanted) return;
    const Clock::time_point now = Clock::now();
    Clock::time_point wakeAt = deadline;
    if (interval && lastByte) wakeAt = std::min(wakeAt, *lastByte + *interval);
    if (now >= wakeAt) {
      lastError_ = LinkError::Timeout;
      return;
    }
    const long long sleepUs = pace.NextSleepUs(wanted - buffer_.size(), buffer_.size() - base, gained, Us(now - start));
    const size_t before = buffer_.size();
    const bool ok = sleepUs > 0 ? Fill(std::min(wakeAt, now + std::chrono::microseconds(sleepUs)), true) : Fill(wakeAt);
    gained = buffer_.size() - before;
    if (gained > 0) lastByte = Clock::now();
    if (!ok) return;
  }
}

void SerialPort::Purge() {
  if (fd_ < 0) {
    lastError_ = LinkError::NotOpen;
    return;
  }
  if (!net_) {
    ::tcflush(fd_, TCIOFLUSH);
    buffer_.clear();
    return;
  }
  if (telnet_) {
    const uint8_t both = 3;  // the server's receive and transmit buffers
    const std::vector<uint8_t> purge = TelnetCodec::ComPortCommand(TelnetCodec::kPurgeData, {&both, 1});
    WriteRaw(purge.data(), purge.size(), Clock::now() + std::chrono::milliseconds(timeouts_.writeTotalConstantMs));
  }
  // What has arrived goes; the connection keeps no buffer of its own to flush.
  const LinkError before = lastError_;
  do {
    buffer_.clear();
  } while (Fill(Clock::now()) && !buffer_.empty());
  buffer_.clear();
  if (lastError_ == LinkError::Timeout) lastError_ = before;
}

size_t SerialPort::Write(const uint8_t* data, size_t n) {
  if (fd_ < 0) {
    lastError_ = LinkError::NotOpen;
    return 0;
  }
  if (hungUp_) {
    lastError_ = LinkError::HungUp;
    return 0;
  }
  if (Cancelled()) {
    lastError_ = LinkError::Cancelled;
    return 0;
  }
  lastError_ = LinkError::None;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(static_cast<long long>(timeouts_.writeTotalPerByteMs) * n +
                                               timeouts_.writeTotalConstantMs);
  if (!telnet_) return WriteRaw(data, n, deadline);
  const std::vector<uint8_t> escaped = TelnetCodec::Escape({data, n});
  const size_t put = WriteRaw(escaped.data(), escaped.size(), deadline);
  // The data bytes that went out whole (an escaped 0xFF is two on the wire).
  size_t whole = 0;
  for (size_t used = 0; whole < n; ++whole) {
    used += data[whole] == TelnetCodec::kIac ? 2 : 1;
    if (used > put) break;
  }
  return whole;
}

size_t SerialPort::WriteRaw(const uint8_t* data, size_t n, Clock::time_point deadline) {
  // The line is full: wait for room until the deadline; false sets the cause.
  const auto waitForRoom = [&] {
    if (Clock::now() >= deadline) {
      lastError_ = LinkError::Timeout;
      return false;
    }
    pollfd pfd{fd_, POLLOUT, 0};
    const int ready = PollLine(POLLOUT, deadline, pfd.revents);
    if (PollStopped(ready)) return false;
    if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfd.revents & POLLOUT)) {
      hungUp_ = (pfd.revents & POLLHUP) != 0;
      lastError_ = hungUp_ ? LinkError::HungUp : LinkError::Io;
      return false;
    }
    return true;
  };
  // A connection's peer gone must not raise SIGPIPE: the write says EPIPE instead.
  const size_t written = files::WriteAll(fd_, data, n, waitForRoom, net_);
  if (written < n && lastError_ == LinkError::None) {
    hungUp_ = errno == EIO || errno == EPIPE || errno == ECONNRESET;
    lastError_ = hungUp_ ? LinkError::HungUp : LinkError::Io;
  }
  return written;
}

size_t SerialPort::Read(uint8_t* data, size_t n, int extraMs) {
  if (fd_ < 0) {
    lastError_ = LinkError::NotOpen;
    return 0;
  }
  lastError_ = LinkError::None;
  const Clock::time_point totalDeadline =
      Clock::now() + std::chrono::milliseconds(static_cast<long long>(timeouts_.readTotalPerByteMs) * n +
                                               timeouts_.readTotalConstantMs + std::max(0, extraMs) + extraWaitMs_);
  std::optional<Clock::duration> interval;
  if (timeouts_.readIntervalMs > 0) interval = std::chrono::milliseconds(timeouts_.readIntervalMs);
  Gather(n, totalDeadline, interval);
  // What came before a time-out or a hang-up is handed over too.
  const size_t got = std::min(n, buffer_.size());
  std::copy_n(buffer_.begin(), got, data);
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(got));
  return got;
}

size_t SerialPort::WaitForBytes(size_t count, int timeoutMs) {
  if (fd_ < 0) {
    lastError_ = LinkError::NotOpen;
    return 0;
  }
  lastError_ = LinkError::None;
  const size_t wanted = count & 0xFFFF;  // the wait compares the count as 16 bits
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs + extraWaitMs_ : 0);
  // Enough already queued, or no time to wait: count what the driver holds too.
  if ((buffer_.size() >= wanted || timeoutMs <= 0) && !Fill(Clock::now())) return buffer_.size();
  Gather(wanted, deadline, std::nullopt);
  return buffer_.size();
}

size_t SerialPort::Peek(uint8_t* data, size_t n) const {
  const size_t k = std::min(n, buffer_.size());
  std::copy_n(buffer_.begin(), k, data);
  return k;
}

size_t SerialPort::Queued() {
  if (fd_ < 0) {
    lastError_ = LinkError::NotOpen;
    return 0;
  }
  Fill(Clock::now());
  int pending = 0;
  if (!hungUp_ && ::ioctl(fd_, FIONREAD, &pending) != 0) pending = 0;
  return buffer_.size() + static_cast<size_t>(std::max(0, pending));
}

}  // namespace kx
