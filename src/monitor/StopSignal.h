#pragma once
// The stop shared by the monitor's pollers: a flag and a wake-up for their waits.

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kx::monitor {

class StopSignal {
 public:
  using Clock = std::chrono::steady_clock;

  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    cv_.notify_all();
  }
  bool Stopped() {
    std::lock_guard lock(mutex_);
    return stop_;
  }
  // False when stopped before the time.
  bool WaitUntil(Clock::time_point t) {
    std::unique_lock lock(mutex_);
    return !cv_.wait_until(lock, t, [this] { return stop_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool stop_ = false;
};

}  // namespace kx::monitor
