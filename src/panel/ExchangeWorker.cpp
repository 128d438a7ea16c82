#include "panel/ExchangeWorker.h"

#include <utility>

namespace kx::panel {

ExchangeWorker::ExchangeWorker() : thread_([this] { Loop(); }) {}

ExchangeWorker::~ExchangeWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool ExchangeWorker::Start(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    if (busy_ || stop_) return false;
    job_ = std::move(job);
    busy_ = true;
  }
  changed_.notify_all();
  return true;
}

bool ExchangeWorker::Busy() const {
  std::lock_guard lock(mutex_);
  return busy_;
}

void ExchangeWorker::WaitIdle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
}

void ExchangeWorker::Loop() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || job_; });
    // A job handed over before the stop still runs: its caller waits for it.
    if (!job_) return;
    auto job = std::move(job_);
    job_ = nullptr;
    lock.unlock();
    job();
    job = nullptr;  // whatever the job captured goes before it counts as finished
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace kx::panel
