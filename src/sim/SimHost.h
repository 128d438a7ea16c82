#pragma once
// Serves a VirtualDevice on a pseudo-terminal from its own thread, so that the real
// SerialPort is exercised end to end.
//
// Clients open Path(), a symlink in a private temporary folder that points at the
// current /dev/pts/N. HangUp() closes the master (the client sees POLLHUP / EIO and
// the symlink disappears, as an unplugged adapter's device node does); Replug()
// makes a new pseudo-terminal and points the symlink at it, so a client that
// reopens the same path finds the device again.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "sim/VirtualDevice.h"

namespace kx {

class SimHost {
 public:
  explicit SimHost(VirtualDevice& device);  // the device is not owned
  // Several units on one line, each answering its own address; the line's settings
  // before a client applies its own follow the first. Not owned; none may be null.
  explicit SimHost(std::vector<VirtualDevice*> devices);
  ~SimHost();
  SimHost(const SimHost&) = delete;
  SimHost& operator=(const SimHost&) = delete;

  // Creates the pseudo-terminal and the stable path and starts serving. Idempotent;
  // false when the pseudo-terminal could not be made.
  bool Start();
  // Stops serving, closes the pseudo-terminal and removes the temporary folder. Idempotent.
  void Stop();
  bool Running() const;

  // The stable path clients open (valid from Start to Stop).
  const std::string& Path() const { return linkPath_; }
  // The pseudo-terminal the path points at now (empty while hung up).
  std::string PtsPath() const;

  // Hangs up: closes the master; returns when the client can see it.
  void HangUp();
  // Comes back on a new pseudo-terminal; the stable path points at it again.
  bool Replug();
  bool HungUp() const;
  // The rate the client's port is set to now (0 while hung up or unknown); a pty
  // master reads back the slave's settings.
  int ClientBaud() const;
  // After a hang-up (HangUp() or the device's hang-up fault), come back by itself
  // after this many milliseconds; negative: stay down until Replug() (the default).
  void SetReplugAfterMs(int ms);
  // The instant (steady_clock, i.e. CLOCK_MONOTONIC) just before the last byte of
  // the latest reply went to the pseudo-terminal; the clock's epoch before any.
  // Lets a benchmark see how soon a client notices a complete reply.
  std::chrono::steady_clock::time_point LastReplyByteAt() const;

 private:
  enum class Control { None, HangUp, Replug, Stop };

  using TimePoint = std::chrono::steady_clock::time_point;

  // These run on the host thread (or before it starts / after it ended).
  bool OpenPty();
  void ClosePty();
  void Run();
  void Serve(std::vector<uint8_t>& pending);
  void Deliver(const ReplyPlan& plan);
  // Sleeps until the time unless a control request arrives; false then.
  bool SleepUntil(TimePoint until);
  bool WriteAll(const uint8_t* data, size_t n);
  bool Post(Control c, bool wait);
  void DoHangUp();

  // The device a request is for: the one with its address, else the first (which
  // ignores it, as a foreign frame deserves, and records it).
  VirtualDevice& DeviceFor(std::span<const uint8_t> request) const;

  std::vector<VirtualDevice*> devices_;
  VirtualDevice& device_;
  std::string dir_;
  std::string linkPath_;

  mutable std::mutex mutex_;
  std::condition_variable done_;
  std::thread thread_;
  bool running_ = false;
  Control control_ = Control::None;
  uint64_t controlSeq_ = 0, controlDone_ = 0;
  bool controlResult_ = false;

  int master_ = -1;
  int slaveKeep_ = -1;  // keeps the slave open so that the master never reads EIO while idle
  int wake_ = -1;       // eventfd: control requests
  std::string ptsPath_;
  bool hungUp_ = false;
  TimePoint hungUpAt_{};
  int replugAfterMs_ = -1;
  std::mutex postMutex_;  // one control request at a time
  bool interrupted_ = false;  // host thread: a control request cut a reply short
  std::atomic<int64_t> lastReplyByteNs_{0};
};

}  // namespace kx
