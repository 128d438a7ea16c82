#include "sim/SimHost.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/WriteAll.h"
#include "link/Frame.h"
#include "link/LineSpeed.h"

namespace kx {

namespace {

using Clock = std::chrono::steady_clock;

// A frame with more data than any request carries is garbage; resynchronise.
constexpr size_t kMaxRequestData = 64;
// A partial request older than this is dropped, as a unit's receiver times out.
constexpr auto kPartialFrameTimeout = std::chrono::milliseconds(500);

int PollMs(Clock::duration d) {
  if (d <= Clock::duration::zero()) return 0;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(d).count() + 1;
  return ms > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(ms);
}

}  // namespace

SimHost::SimHost(VirtualDevice& device) : SimHost(std::vector<VirtualDevice*>{&device}) {}

SimHost::SimHost(std::vector<VirtualDevice*> devices) : devices_(std::move(devices)), device_(*devices_.at(0)) {}

VirtualDevice& SimHost::DeviceFor(std::span<const uint8_t> request) const {
  if (request.size() > 3)
    for (VirtualDevice* d : devices_)
      if (d->Address() == request[3]) return *d;
  return device_;
}

SimHost::~SimHost() { Stop(); }

bool SimHost::Start() {
  std::lock_guard post(postMutex_);
  {
    std::lock_guard lock(mutex_);
    if (running_) return true;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kx4200-sim-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return false;
  dir_ = pattern;
  linkPath_ = dir_ + "/ttyKX0";
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0 || !OpenPty()) {
    ClosePty();
    if (wake_ >= 0) ::close(wake_);
    wake_ = -1;
    ::rmdir(dir_.c_str());
    dir_.clear();
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  thread_ = std::thread(&SimHost::Run, this);
  return true;
}

void SimHost::Stop() {
  {
    std::lock_guard post(postMutex_);
    if (thread_.joinable()) {
      {
        std::lock_guard lock(mutex_);
        control_ = Control::Stop;
        ++controlSeq_;
      }
      const uint64_t one = 1;
      [[maybe_unused]] ssize_t w = ::write(wake_, &one, sizeof one);
      thread_.join();
    }
    ClosePty();
    if (wake_ >= 0) ::close(wake_);
    wake_ = -1;
    if (!dir_.empty()) {
      ::unlink(linkPath_.c_str());
      ::rmdir(dir_.c_str());
      dir_.clear();
    }
  }
  std::lock_guard lock(mutex_);
  running_ = false;
}

bool SimHost::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

std::string SimHost::PtsPath() const {
  std::lock_guard lock(mutex_);
  return ptsPath_;
}

bool SimHost::HungUp() const {
  std::lock_guard lock(mutex_);
  return hungUp_;
}

void SimHost::SetReplugAfterMs(int ms) {
  {
    std::lock_guard lock(mutex_);
    replugAfterMs_ = ms;
  }
  if (wake_ >= 0) {  // let the host thread pick up the new timer
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t w = ::write(wake_, &one, sizeof one);
  }
}

Clock::time_point SimHost::LastReplyByteAt() const {
  return Clock::time_point(Clock::duration(lastReplyByteNs_.load()));
}

void SimHost::HangUp() { Post(Control::HangUp, true); }

bool SimHost::Replug() { return Post(Control::Replug, true); }

int SimHost::ClientBaud() const {
  std::lock_guard lock(mutex_);
  if (master_ < 0) return 0;
  termios t{};
  if (::tcgetattr(master_, &t) != 0) return 0;
  return BaudOfSpeed(::cfgetospeed(&t));
}

bool SimHost::Post(Control c, bool wait) {
  std::lock_guard post(postMutex_);
  std::unique_lock lock(mutex_);
  if (!running_) {  // no thread: act here
    lock.unlock();
    if (c == Control::HangUp) {
      DoHangUp();
      return true;
    }
    if (c == Control::Replug) {
      DoHangUp();
      return OpenPty();
    }
    return true;
  }
  control_ = c;
  const uint64_t seq = ++controlSeq_;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t w = ::write(wake_, &one, sizeof one);
  if (!wait) return true;
  done_.wait(lock, [&] { return controlDone_ >= seq; });
  return controlResult_;
}

bool SimHost::OpenPty() {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0) return false;
  char name[128];
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
    ::close(master);
    return false;
  }
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) {
    ::close(master);
    return false;
  }
  // Raw, at the device's rate, until a client applies its own settings: a new pty
  // echoes and edits lines, which would turn requests into replies.
  termios t{};
  ::tcgetattr(slave, &t);
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  const speed_t speed = SpeedOfBaud(device_.Baud()).value_or(*SpeedOfBaud(kDefaultBaud));
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  ::tcsetattr(slave, TCSANOW, &t);

  // Point the stable path at the new pty in one step.
  const std::string next = linkPath_ + ".new";
  ::unlink(next.c_str());
  if (::symlink(name, next.c_str()) != 0 || ::rename(next.c_str(), linkPath_.c_str()) != 0) {
    ::unlink(next.c_str());
    ::close(slave);
    ::close(master);
    return false;
  }
  std::lock_guard lock(mutex_);
  master_ = master;
  slaveKeep_ = slave;
  ptsPath_ = name;
  hungUp_ = false;
  return true;
}

void SimHost::ClosePty() {
  std::lock_guard lock(mutex_);
  // The master first: that hangs up every open slave, the client's included.
  if (master_ >= 0) ::close(master_);
  if (slaveKeep_ >= 0) ::close(slaveKeep_);
  master_ = -1;
  slaveKeep_ = -1;
  ptsPath_.clear();
}

void SimHost::DoHangUp() {
  {
    // Marked first: a client may notice the hang-up before this returns.
    std::lock_guard lock(mutex_);
    hungUp_ = true;
    hungUpAt_ = Clock::now();
  }
  // The path goes before the line drops, so that a client that saw the hang-up
  // never finds the old link again: gone, like an unplugged adapter's node.
  if (!linkPath_.empty()) ::unlink(linkPath_.c_str());
  ClosePty();
}

void SimHost::Run() {
  std::vector<uint8_t> pending;
  TimePoint lastInput{};
  bool stop = false;
  while (!stop) {
    int replugAfter;
    bool hungUp;
    TimePoint hungUpAt;
    {
      std::lock_guard lock(mutex_);
      replugAfter = replugAfterMs_;
      hungUp = hungUp_;
      hungUpAt = hungUpAt_;
    }
    const TimePoint now = Clock::now();
    if (hungUp && replugAfter >= 0 && now >= hungUpAt + std::chrono::milliseconds(replugAfter)) {
      OpenPty();
      continue;
    }
    if (!pending.empty() && now >= lastInput + kPartialFrameTimeout) pending.clear();

    int timeout = -1;
    if (!pending.empty()) timeout = PollMs(lastInput + kPartialFrameTimeout - now);
    if (hungUp && replugAfter >= 0) {
      const int replugIn = PollMs(hungUpAt + std::chrono::milliseconds(replugAfter) - now);
      timeout = timeout < 0 ? replugIn : std::min(timeout, replugIn);
    }
    pollfd fds[2] = {{wake_, POLLIN, 0}, {hungUp ? -1 : master_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, timeout);
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents & POLLIN) {
      interrupted_ = false;
      uint64_t count;
      [[maybe_unused]] ssize_t r = ::read(wake_, &count, sizeof count);
      Control c;
      uint64_t seq;
      {
        std::lock_guard lock(mutex_);
        c = control_;
        control_ = Control::None;
        seq = controlSeq_;
      }
      bool result = true;
      switch (c) {
        case Control::Stop:
          stop = true;
          break;
        case Control::HangUp:
          DoHangUp();
          pending.clear();
          break;
        case Control::Replug:
          DoHangUp();
          pending.clear();
          result = OpenPty();
          break;
        case Control::None:
          break;
      }
      {
        std::lock_guard lock(mutex_);
        controlDone_ = seq;
        controlResult_ = result;
      }
      done_.notify_all();
      continue;
    }
    if (fds[1].revents & POLLIN) {
      uint8_t chunk[1024];
      for (;;) {
        const ssize_t got = ::read(master_, chunk, sizeof chunk);
        if (got > 0) {
          pending.insert(pending.end(), chunk, chunk + got);
          continue;
        }
        if (got < 0 && errno == EINTR) continue;
        break;
      }
      lastInput = Clock::now();
      Serve(pending);
    } else if (fds[1].revents & (POLLHUP | POLLERR)) {
      // Only when no slave is open at all, which the kept slave prevents; do not spin.
      SleepUntil(Clock::now() + std::chrono::milliseconds(50));
    }
  }
}

void SimHost::Serve(std::vector<uint8_t>& pending) {
  for (;;) {
    // Resynchronise on the frame start 14 2E.
    size_t start = 0;
    while (start < pending.size() &&
           !(pending[start] == 0x14 && (start + 1 == pending.size() || pending[start + 1] == 0x2E))) {
      ++start;
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(start));
    if (pending.size() < kFrameHeaderSize) return;
    const size_t n = BigEndian16(pending, 5);
    if (n > kMaxRequestData) {
      pending.erase(pending.begin());
      continue;
    }
    const size_t total = kFrameOverhead + n;
    if (pending.size() < total) return;
    if (!ReplyChecksumOk(std::span<const uint8_t>(pending.data(), total))) {
      pending.erase(pending.begin());  // a false start inside garbage
      continue;
    }
    const std::vector<uint8_t> request(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(total));
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(total));
    const ReplyPlan plan = DeviceFor(request).Answer(request, ClientBaud());
    Deliver(plan);
    if (interrupted_) return;  // the control request comes first; the rest waits
    if (HungUp()) {
      pending.clear();
      return;
    }
  }
}

void SimHost::Deliver(const ReplyPlan& plan) {
  const size_t size = plan.bytes.size();
  if (size == 0 && !plan.hangUpAfter) return;
  TimePoint t = Clock::now() + std::chrono::milliseconds(plan.delayMs);
  if (plan.delayMs > 0 && !SleepUntil(t)) return;

  // When each byte is complete on the line: pacing (10 bits a byte), slow bytes and
  // the one gap move it later. A pty moves bytes instantly, so this is where time goes.
  const auto perByte = plan.paceBaud > 0 ? std::chrono::microseconds(10'000'000 / plan.paceBaud)
                                         : std::chrono::microseconds(0);
  std::vector<TimePoint> due(size);
  for (size_t i = 0; i < size; ++i) {
    if (i > 0) t += std::chrono::milliseconds(plan.byteGapMs);
    if (plan.gapMs > 0 && i == plan.gapAt && i > 0) t += std::chrono::milliseconds(plan.gapMs);
    t += perByte;
    due[i] = t;
  }
  const size_t hangUpAt = plan.hangUpAfter ? std::min(*plan.hangUpAfter, size) : SIZE_MAX;
  size_t i = 0;
  while (i < size && i < hangUpAt) {
    const TimePoint now = Clock::now();
    if (due[i] > now) {
      if (!SleepUntil(due[i])) return;  // stop or hang-up requested: abandon the reply
      continue;
    }
    size_t j = i;
    while (j < size && j < hangUpAt && due[j] <= now) ++j;
    if (j == size) lastReplyByteNs_.store(Clock::now().time_since_epoch().count());
    if (!WriteAll(plan.bytes.data() + i, j - i)) return;
    i = j;
  }
  if (i == hangUpAt) DoHangUp();
}

bool SimHost::SleepUntil(TimePoint until) {
  for (;;) {
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero()) return true;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    pollfd fd{wake_, POLLIN, 0};
    const int ready = ::ppoll(&fd, 1, &ts, nullptr);
    if (ready > 0) {  // a control request waits; the main loop takes it
      interrupted_ = true;
      return false;
    }
    if (ready < 0 && errno != EINTR) return true;
  }
}

bool SimHost::WriteAll(const uint8_t* data, size_t n) {
  // The client does not read: wait a little for room, then give the reply up.
  const auto waitForRoom = [this] {
    pollfd fds[2] = {{master_, POLLOUT, 0}, {wake_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, 1000);
    return ready > 0 && !(fds[1].revents & POLLIN);
  };
  return files::WriteAll(master_, data, n, waitForRoom) == n;
}

}  // namespace kx
