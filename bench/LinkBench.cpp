// The serial link against the simulated unit: how soon a reply is noticed, what
// an unanswered wait costs in CPU, and how long a curve group download takes.
// Each figure of ours runs beside the original's method (poll the queued count
// every 2 ms) in the same process, so that the ratio holds on a noisy machine.

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <numeric>
#include <random>
#include <thread>

#include "BenchSupport.h"
#include "link/CommandTable.h"
#include "link/CurveTransfer.h"
#include "link/Exchange.h"
#include "link/Frame.h"
#include "link/FrameTrace.h"
#include "link/MemoryPort.h"
#include "link/SerialPort.h"
#include "SerialServer.h"
#include "sim/SimHost.h"
#include "sim/TcpRelay.h"
#include "sim/VirtualDevice.h"

using namespace kxbench;

// The calls of the measuring thread, counted where they enter the C library: these
// definitions take the place of the library's for the whole program and pass each
// call on. Other threads (the simulated unit's) count into their own copies.
namespace {
thread_local long t_pollReturns = 0;
thread_local long t_reads = 0;

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" int poll(pollfd* fds, nfds_t n, int timeoutMs) {
  static const auto next = Next<int (*)(pollfd*, nfds_t, int)>("poll");
  const int ready = next(fds, n, timeoutMs);
  ++t_pollReturns;
  return ready;
}

extern "C" int ppoll(pollfd* fds, nfds_t n, const timespec* timeout, const sigset_t* mask) {
  static const auto next = Next<int (*)(pollfd*, nfds_t, const timespec*, const sigset_t*)>("ppoll");
  const int ready = next(fds, n, timeout, mask);
  ++t_pollReturns;
  return ready;
}

extern "C" ssize_t read(int fd, void* data, size_t n) {
  static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
  ++t_reads;
  return next(fd, data, n);
}

namespace {

// A simulated unit on a pseudo-terminal and our port opened on it at baud.
struct Rig {
  explicit Rig(int baud, bool pace = false) {
    device.SetBaud(baud);
    device.SetPacing(pace);
    ok = host.Start() && port.Open(host.Path(), baud) == kx::LinkError::None;
  }
  kx::VirtualDevice device;
  kx::SimHost host{device};
  kx::SerialPort port;
  bool ok = false;
};

// The original's wait: look at the queued count, sleep 2 ms, look again, until
// the count is there or the time is up. Checking before the sleep is the kinder
// order for it: a reply already there is taken without sleeping.
size_t ReferenceWait(kx::SerialPort& port, size_t count, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const size_t queued = port.Queued();
    if (queued >= count || Clock::now() > deadline) return queued;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

size_t Wait(kx::SerialPort& port, bool reference, size_t count, int timeoutMs) {
  return reference ? ReferenceWait(port, count, timeoutMs) : port.WaitForBytes(count, timeoutMs);
}

const std::vector<uint8_t> kLiveRequest = kx::RequestFrame(0, static_cast<uint8_t>(kx::Command::Acquire));
const kx::CommandInfo& kLive = kx::Info(kx::Command::Acquire);
const size_t kLiveReplyLength = static_cast<size_t>(kLive.replyLength);

// From the unit's write of the last byte of a 109-byte live reply to the wait
// returning. The unit answers 5 ms late, so the reply always lands inside the
// wait; a random start offset of 0..2 ms spreads the reply over the 2 ms poll's
// whole cycle, as a real unit's answer would fall.
void BM_ReplyNoticed(benchmark::State& state, bool reference) {
  Rig rig(9600);
  if (!rig.ok) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  rig.device.SetFault(kx::Fault::Delay, kx::VirtualDevice::kAlways, 5, -1,
                      static_cast<uint8_t>(kx::Command::Acquire));
  std::mt19937 rng(4200);
  std::uniform_int_distribution<int> offsetUs(0, 1999);
  std::vector<double> latencies;
  uint8_t reply[256];
  for (auto _ : state) {
    rig.port.Purge();
    const Clock::time_point sent = Clock::now();
    rig.port.Write(kLiveRequest.data(), kLiveRequest.size());
    std::this_thread::sleep_for(std::chrono::microseconds(offsetUs(rng)));
    const size_t queued = Wait(rig.port, reference, kLiveReplyLength, kLive.waitMs);
    const Clock::time_point noticed = Clock::now();
    const Clock::time_point lastByte = rig.host.LastReplyByteAt();
    if (queued < kLiveReplyLength || lastByte < sent) {
      state.SkipWithError("the unit did not answer");
      return;
    }
    latencies.push_back(Ms(noticed - lastByte));
    rig.port.Read(reply, std::min(queued, sizeof reply));
  }
  SetFigure(state, "median_ms", Median(latencies));
  SetFigure(state, "p90_ms", Percentile(latencies, 0.9));
  SetFigure(state, "samples", static_cast<double>(latencies.size()));
}
BENCHMARK_CAPTURE(BM_ReplyNoticed, ours, false)->Iterations(400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReplyNoticed, reference2ms, true)->Iterations(400)->Unit(benchmark::kMillisecond)->UseRealTime();

// A silent unit: the whole 1000 ms time-out is waited out. What it costs is the
// CPU time of the waiting thread and how often that thread woke.
void BM_IdleWait(benchmark::State& state, bool reference) {
  Rig rig(9600);
  if (!rig.ok) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  rig.device.SetFault(kx::Fault::Silence);
  std::vector<double> cpu, wakes, wall;
  for (auto _ : state) {
    rig.port.Purge();
    rig.port.Write(kLiveRequest.data(), kLiveRequest.size());
    const double cpu0 = ThreadCpuMs();
    const long sleeps0 = ThreadSleeps();
    const Clock::time_point t0 = Clock::now();
    const size_t queued = Wait(rig.port, reference, kLiveReplyLength, kLive.waitMs);
    wall.push_back(Ms(Clock::now() - t0));
    cpu.push_back(ThreadCpuMs() - cpu0);
    wakes.push_back(static_cast<double>(ThreadSleeps() - sleeps0));
    if (queued != 0) {
      state.SkipWithError("a silent unit answered");
      return;
    }
  }
  SetFigure(state, "cpu_ms", Median(cpu));
  SetFigure(state, "wakeups", Median(wakes));
  SetFigure(state, "wall_ms", Median(wall));
}
BENCHMARK_CAPTURE(BM_IdleWait, ours, false)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_IdleWait, reference2ms, true)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// Downloads group 1 once per iteration, timing each; false (the run marked as
// failed) when a download fails or comes back short.
bool TimeDownloads(benchmark::State& state, kx::Port& port, size_t expected, std::vector<double>& times) {
  std::vector<uint8_t> image;
  for (auto _ : state) {
    image.clear();
    const Clock::time_point t0 = Clock::now();
    const kx::GroupImageOutcome outcome = kx::ReadGroupImage(port, 0, 1, image);
    times.push_back(Ms(Clock::now() - t0));
    if (outcome != kx::GroupImageOutcome::Ok || image.size() != expected) {
      state.SkipWithError("the download failed");
      return false;
    }
  }
  return true;
}

// What a download of an image of this size puts on the wire: every packet but the
// last is full; a last one of 0..899 bytes ends the group.
struct DownloadBytes {
  explicit DownloadBytes(size_t image)
      : packets(image / kx::kGroupPacketFull + 1),
        request(packets * kx::GroupImageFrame(0, 1).size()),
        reply(image + packets * kx::kFrameOverhead) {}
  size_t packets, request, reply;
};

// A full group of 250 points (24 packets of 900 bytes and one of 651) with the
// link operation the panel uses. baud 0: unpaced, the pseudo-terminal's speed;
// otherwise the unit paces its replies at 10 bits a byte.
void BM_GroupDownload(benchmark::State& state) {
  const int baud = static_cast<int>(state.range(0));
  Rig rig(baud == 0 ? 9600 : baud, baud != 0);
  if (!rig.ok) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  const size_t expected = rig.device.Groups().at(0).image.size();
  constexpr int kAnswerDelayMs = 0;  // the unit's configured answer delay (none)
  std::vector<double> times;
  if (!TimeDownloads(state, rig.port, expected, times)) return;
  const DownloadBytes bytes(expected);
  const size_t packets = bytes.packets, requestBytes = bytes.request, replyBytes = bytes.reply;
  SetFigure(state, "median_ms", Median(times));
  SetFigure(state, "packets", static_cast<double>(packets));
  if (baud != 0) {
    const double wireMs = static_cast<double>(requestBytes + replyBytes) * 10.0 * 1000.0 / baud +
                          static_cast<double>(packets) * kAnswerDelayMs;
    const double replyWireMs = static_cast<double>(replyBytes) * 10.0 * 1000.0 / baud;
    SetFigure(state, "wire_ms", wireMs);
    SetFigure(state, "reply_wire_ms", replyWireMs);
    SetFigure(state, "answer_delay_ms", kAnswerDelayMs);
  }
}
BENCHMARK(BM_GroupDownload)->ArgName("baud")->Arg(0)->Iterations(20)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GroupDownload)->ArgName("baud")->Arg(38400)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GroupDownload)->ArgName("baud")->Arg(9600)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Live readings back to back on a line paced at baud, as a monitor or the panel
// makes them (purge, request, wait, read): per reading the exchanging thread's CPU
// time, its poll returns (wake-ups), read calls and voluntary context switches; the
// time from the unit's write of the reply's last byte to the exchange's end; and a
// reading's time against its wire time (request and reply, 10 bits a byte).
void BM_LivePaced(benchmark::State& state) {
  const int baud = static_cast<int>(state.range(0));
  const int readings = static_cast<int>(state.range(1));
  Rig rig(baud, true);
  if (!rig.ok) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  std::vector<double> cpu, polls, reads, sleeps, noticed, took;
  for (auto _ : state) {
    for (int i = 0; i < readings; ++i) {
      const double cpu0 = ThreadCpuMs();
      const long polls0 = t_pollReturns, reads0 = t_reads, sleeps0 = ThreadSleeps();
      const Clock::time_point t0 = Clock::now();
      const kx::ExchangeResult x = kx::Transact(rig.port, 0, kx::Command::Acquire, {});
      const Clock::time_point t1 = Clock::now();
      cpu.push_back(ThreadCpuMs() - cpu0);
      polls.push_back(static_cast<double>(t_pollReturns - polls0));
      reads.push_back(static_cast<double>(t_reads - reads0));
      sleeps.push_back(static_cast<double>(ThreadSleeps() - sleeps0));
      if (x.outcome != kx::ExchangeOutcome::Ok) {
        state.SkipWithError("a reading failed");
        return;
      }
      noticed.push_back(Ms(t1 - rig.host.LastReplyByteAt()));
      took.push_back(Ms(t1 - t0));
    }
  }
  const double wireMs = static_cast<double>(kLiveRequest.size() + kLiveReplyLength) * 10.0 * 1000.0 / baud;
  SetFigure(state, "cpu_ms", Median(cpu));
  SetFigure(state, "cpu_mean_ms", std::accumulate(cpu.begin(), cpu.end(), 0.0) / static_cast<double>(cpu.size()));
  SetFigure(state, "poll_returns", Median(polls));
  SetFigure(state, "poll_returns_max", *std::max_element(polls.begin(), polls.end()));
  SetFigure(state, "reads", Median(reads));
  SetFigure(state, "sleeps", Median(sleeps));
  SetFigure(state, "noticed_ms", Median(noticed));
  SetFigure(state, "noticed_p90_ms", Percentile(noticed, 0.9));
  SetFigure(state, "reading_ms", Median(took));
  SetFigure(state, "wire_ms", wireMs);
  SetFigure(state, "samples", static_cast<double>(cpu.size()));
}
BENCHMARK(BM_LivePaced)->ArgNames({"baud", "readings"})->Args({38400, 200})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LivePaced)->ArgNames({"baud", "readings"})->Args({9600, 50})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the protocol view costs the exchanges: live readings back to back with
// no tracer, and with the protocol view's collector installed and drained every 150 ms
// from another thread (as its window's timer does). Blocks of each alternate, so
// that a noisy machine hits both alike; the figures are medians over the blocks.
// memory: a MemoryPort with the simulated unit behind it, where an exchange is
// pure CPU and the tracer's own cost shows undiluted; otherwise the unit on a
// pseudo-terminal, the fastest real line.
void BM_TraceCost(benchmark::State& state, bool memory) {
  Rig rig(9600);
  kx::MemoryPort memoryPort;
  kx::VirtualDevice memoryUnit;
  memoryPort.SetResponder([&memoryUnit](std::span<const uint8_t> written) { return memoryUnit.Respond(written); });
  if (!memory && !rig.ok) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  kx::Port& port = memory ? static_cast<kx::Port&>(memoryPort) : rig.port;
  const int perBlock = memory ? 20000 : 400;
  // Wall and exchanging-thread CPU time per exchange, in microseconds.
  struct Cost {
    double wall = -1, cpu = -1;
  };
  auto block = [&]() {
    const Clock::time_point t0 = Clock::now();
    const double cpu0 = ThreadCpuMs();
    for (int i = 0; i < perBlock; ++i) {
      if (kx::Transact(port, 0, kx::Command::Acquire, {}).outcome != kx::ExchangeOutcome::Ok) return Cost{};
    }
    return Cost{Ms(Clock::now() - t0) * 1000.0 / perBlock, (ThreadCpuMs() - cpu0) * 1000.0 / perBlock};
  };
  std::vector<double> without, with, added, addedCpu;
  size_t collected = 0;
  auto tracedBlock = [&]() {
    kx::FrameCollector collector;
    std::atomic<bool> draining{true};
    std::thread drain([&] {
      while (draining.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        collected += collector.Take().size();
      }
    });
    collector.Install();
    const Cost cost = block();
    collector.Uninstall();
    draining.store(false);
    drain.join();
    collected += collector.Take().size();
    return cost;
  };
  bool tracedFirst = false;
  for (auto _ : state) {
    // Which runs first alternates: the second of a pair tends to find the line warm.
    Cost plain, traced;
    if (tracedFirst) {
      traced = tracedBlock();
      plain = block();
    } else {
      plain = block();
      traced = tracedBlock();
    }
    tracedFirst = !tracedFirst;
    if (plain.wall < 0 || traced.wall < 0) {
      state.SkipWithError("an exchange failed");
      return;
    }
    without.push_back(plain.wall);
    with.push_back(traced.wall);
    added.push_back(traced.wall - plain.wall);
    addedCpu.push_back(traced.cpu - plain.cpu);
  }
  const double base = Median(without);
  SetFigure(state, "us_without", base);
  SetFigure(state, "us_with", Median(with));
  SetFigure(state, "added_us", Median(added));
  // The exchanging thread's own extra CPU: what the tracer costs it, whatever else
  // the machine is doing.
  SetFigure(state, "added_cpu_us", Median(addedCpu));
  SetFigure(state, "per_s_without", 1e6 / base);
  SetFigure(state, "per_s_with", 1e6 / Median(with));
  // 2 on the pseudo-terminal; in memory the exchanges outrun the 150 ms drain, so the
  // collector drops its oldest frames as a paused protocol view does (and that is measured too).
  SetFigure(state, "frames_per_exchange", static_cast<double>(collected) / (state.iterations() * perBlock));
}
BENCHMARK_CAPTURE(BM_TraceCost, memory, true)->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_TraceCost, pty, false)->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// The 250-point group over RFC 2217 through a real ser2net in front of the unit's
// pseudo-terminal, the unit paced at 9600 baud: the network and the Telnet layer
// against the time the bytes need on the line (counted as in BM_GroupDownload).
void BM_NetGroupDownload(benchmark::State& state) {
  constexpr int kBaud = 9600;
  kx::VirtualDevice device;
  device.SetBaud(kBaud);
  device.SetPacing(true);
  kx::SimHost host{device};
  if (!host.Start()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  kx::testing::SerialServer server(host.Path());
  kx::SerialPort port;
  if (!server.Running() || port.Open(server.Telnet(), kBaud) != kx::LinkError::None) {
    state.SkipWithError("ser2net did not serve the line");
    return;
  }
  const size_t expected = device.Groups().at(0).image.size();
  std::vector<double> times;
  if (!TimeDownloads(state, port, expected, times)) return;
  const DownloadBytes bytes(expected);
  SetFigure(state, "median_ms", Median(times));
  SetFigure(state, "wire_ms", static_cast<double>(bytes.request + bytes.reply) * 10.0 * 1000.0 / kBaud);
  SetFigure(state, "reply_wire_ms", static_cast<double>(bytes.reply) * 10.0 * 1000.0 / kBaud);
}
BENCHMARK(BM_NetGroupDownload)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// An unpaced live reading over raw TCP (the simulated unit's own listener in front
// of its pseudo-terminal) against one on the pseudo-terminal directly: blocks of
// readings, the two alternating so that both meet the same machine.
void BM_NetLiveOverhead(benchmark::State& state) {
  kx::VirtualDevice device;
  kx::SimHost host{device};
  if (!host.Start()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  kx::TcpRelay relay(host.Path(), device.Baud());
  std::string error;
  if (!relay.Start("127.0.0.1", 0, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  constexpr int kPerBlock = 100;
  // Each block opens its own port: the relay holds the line only while connected.
  auto block = [&](const std::string& name) -> double {
    kx::SerialPort port;
    if (port.Open(name, device.Baud()) != kx::LinkError::None) return -1;
    if (kx::Transact(port, 0, kx::Command::Acquire, {}).outcome != kx::ExchangeOutcome::Ok) return -1;
    const Clock::time_point t0 = Clock::now();
    for (int i = 0; i < kPerBlock; ++i)
      if (kx::Transact(port, 0, kx::Command::Acquire, {}).outcome != kx::ExchangeOutcome::Ok) return -1;
    return Ms(Clock::now() - t0) / kPerBlock;
  };
  const std::string tcp = "tcp://127.0.0.1:" + std::to_string(relay.Port());
  std::vector<double> pty, net, added;
  bool netFirst = false;
  for (auto _ : state) {
    double a, b;
    if (netFirst) {
      b = block(tcp);
      a = block(host.Path());
    } else {
      a = block(host.Path());
      b = block(tcp);
    }
    netFirst = !netFirst;
    if (a < 0 || b < 0) {
      state.SkipWithError("a reading failed");
      return;
    }
    pty.push_back(a);
    net.push_back(b);
    added.push_back(b - a);
  }
  SetFigure(state, "pty_ms", Median(pty));
  SetFigure(state, "tcp_ms", Median(net));
  SetFigure(state, "added_ms", Median(added));
  SetFigure(state, "ratio", Median(net) / Median(pty));
}
BENCHMARK(BM_NetLiveOverhead)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
