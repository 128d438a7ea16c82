#pragma once
// The one thread on which the panel's exchanges with the unit run, so that the
// window keeps painting while the unit takes its time. It runs one job at a time;
// the panel never hands it a second one before the first has finished.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kx::panel {

class ExchangeWorker {
 public:
  ExchangeWorker();
  // Joins the thread once the job in progress (if any) has finished.
  ~ExchangeWorker();
  ExchangeWorker(const ExchangeWorker&) = delete;
  ExchangeWorker& operator=(const ExchangeWorker&) = delete;

  // Hands job to the thread; false (and job is not run) while another one is in progress.
  bool Start(std::function<void()> job);
  // A job has been started and has not finished yet.
  bool Busy() const;
  // Blocks the caller until no job is in progress.
  void WaitIdle();

 private:
  void Loop();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;  // last: starts once the members it uses exist
};

}  // namespace kx::panel
