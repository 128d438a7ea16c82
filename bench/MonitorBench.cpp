// The unattended monitor against simulated units on one pseudo-terminal line and a
// real mosquitto broker that this program starts on a free loopback port (and
// stops by its process id):
//   cycle    32 units paced at 38400 baud, period 0: the monitor itself in this
//            process; each reading stamped as it leaves the poller; a cycle's time
//            beside the wire time of its 32 exchanges.
//   publish  one paced unit every 100 ms, published to the broker; from the unit's
//            write of the reply's last byte to a subscriber in this process
//            receiving that reading's state message (through the broker and back).
//   cpu      `kx4200-cli monitor` as a process, 32 paced units, period 5000 ms,
//            MQTT with discovery and alarms; its CPU clock over --cpu-cycles whole
//            periods after the start, and over the whole run from wait4.
//   soak     the same process with unpaced units polled every 20 ms for --soak-s
//            seconds; resident memory (VmRSS) sampled each second.
//   metrics  /metrics of 32 units with every series, served by the monitor's
//            MetricsServer on a loopback port and fetched by a client in this
//            process: the time per scrape, and the process's CPU per scrape and per
//            reading's update, as a share of a core at a 5 s period.
//   versus   `kx4200-cli monitor` and a minimal Python poller (bench/poller.py:
//            pyserial and paho-mqtt), one after the other on the same 32 paced
//            units and broker, period 5000 ms, live readings and state messages
//            only; each one's CPU clock per reading over --cpu-cycles periods.
// Writes the figures as benchmark JSON so that the report reads them like the others.
//
//   kx4200-bench-monitor [--out FILE] [--cpu-cycles N] [--soak-s S] [--cli PATH] [--only versus|metrics]

#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/CommandTable.h"
#include "link/Frame.h"
#include "monitor/Metrics.h"
#include "monitor/Monitor.h"
#include "MqttBroker.h"  // the tests' broker and process helpers
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kUnits = 32;
constexpr int kBaud = 38400;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0.0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// units simulated units at addresses 1..units on one line.
struct Line {
  Line(int units, bool pace) {
    for (int i = 0; i < units; ++i) {
      auto d = std::make_unique<kx::VirtualDevice>(4200 + static_cast<uint32_t>(i));
      d->SetAddress(i + 1);
      d->SetBaud(kBaud);
      d->SetPacing(pace);
      devices.push_back(std::move(d));
    }
    std::vector<kx::VirtualDevice*> raw;
    for (auto& d : devices) raw.push_back(d.get());
    host = std::make_unique<kx::SimHost>(raw);
    ok = host->Start();
  }
  std::vector<std::unique_ptr<kx::VirtualDevice>> devices;
  std::unique_ptr<kx::SimHost> host;
  bool ok = false;
};

kx::monitor::MonitorOptions Options(const Line& line, int units) {
  kx::monitor::MonitorOptions o;
  for (int i = 0; i < units; ++i) {
    o.units.push_back({line.host->Path(), i + 1, kBaud, "u" + std::to_string(i + 1)});
    o.paths.push_back(line.host->Path());
  }
  o.alarmsEvery = 0;  // live readings only, so that the last reply is the reading's
  return o;
}

struct CycleFigures {
  double medianMs = 0, wireMs = 0, replyWireMs = 0, maxMs = 0;
  int cycles = 0, failed = 0;
};

// Every reading is a plain line here (no CSV, no MQTT): the 32nd line of a cycle
// ends it. The first cycle opens the port and is left out.
bool Cycle(int cycles, CycleFigures& f) {
  Line line(kUnits, true);
  if (!line.ok) return false;
  kx::monitor::MonitorOptions o = Options(line, kUnits);
  o.periodMs = 0;
  o.count = cycles + 1;
  std::vector<Clock::time_point> ends;
  int lines = 0;
  kx::monitor::MonitorIo io;
  io.outLine = [&](std::string_view text) {
    if (text.find("readings good") != std::string_view::npos) return;  // the summary
    if (text.find(" failed: ") != std::string_view::npos) ++f.failed;
    if (++lines % kUnits == 0) ends.push_back(Clock::now());
  };
  io.errLine = [](std::string_view text) { std::fprintf(stderr, "%.*s\n", int(text.size()), text.data()); };
  kx::monitor::RunMonitor(o, io);
  std::vector<double> times;
  for (size_t i = 1; i < ends.size(); ++i) times.push_back(Ms(ends[i] - ends[i - 1]));
  if (times.empty()) return false;
  // Each exchange: the request to one address and the 109-byte reply, 10 bits a byte.
  const kx::CommandInfo& live = kx::Info(kx::Command::Acquire);
  double bytes = 0;
  for (int i = 0; i < kUnits; ++i)
    bytes += static_cast<double>(kx::RequestFrame(static_cast<uint8_t>(i + 1),
                                                  static_cast<uint8_t>(kx::Command::Acquire)).size() +
                                 static_cast<size_t>(live.replyLength));
  f.wireMs = bytes * 10.0 * 1000.0 / kBaud;
  // A pseudo-terminal delivers the requests at once: the replies alone are the stricter measure.
  f.replyWireMs = kUnits * static_cast<double>(live.replyLength) * 10.0 * 1000.0 / kBaud;
  f.medianMs = Median(times);
  f.maxMs = *std::max_element(times.begin(), times.end());
  f.cycles = static_cast<int>(times.size());
  return true;
}

struct PublishFigures {
  double medianMs = 0, p90Ms = 0;
  int samples = 0;
};

bool Publish(int port, int readings, PublishFigures& f) {
  Line line(1, true);
  if (!line.ok) return false;
  kx::monitor::MonitorOptions o = Options(line, 1);
  o.periodMs = 100;
  o.count = readings + 1;  // the first also sends discovery and is left out
  kx::monitor::MqttSettings m;
  m.host = "127.0.0.1";
  m.port = port;
  m.clientId = "kx4200-bench-monitor";
  o.mqtt = m;

  struct Sink {
    kx::SimHost* host;
    std::mutex mutex;
    std::vector<double> delays;
  } sink{line.host.get(), {}, {}};
  mosquitto_lib_init();
  mosquitto* sub = mosquitto_new("kx4200-bench-subscriber", true, &sink);
  mosquitto_connect_callback_set(sub, [](mosquitto* s, void*, int rc) {
    if (rc == 0) mosquitto_subscribe(s, nullptr, "kx4200/u1/state", 1);
  });
  mosquitto_message_callback_set(sub, [](mosquitto*, void* self, const mosquitto_message*) {
    auto* s = static_cast<Sink*>(self);
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(s->mutex);
    s->delays.push_back(Ms(now - s->host->LastReplyByteAt()));
  });
  mosquitto_connect(sub, "127.0.0.1", port, 30);
  mosquitto_loop_start(sub);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // subscribed before the first reading

  kx::monitor::MonitorIo io;
  io.outLine = [](std::string_view) {};
  io.errLine = [](std::string_view text) { std::fprintf(stderr, "%.*s\n", int(text.size()), text.data()); };
  kx::monitor::RunMonitor(o, io);
  mosquitto_disconnect(sub);
  mosquitto_loop_stop(sub, true);
  mosquitto_destroy(sub);

  std::vector<double> d;
  {
    std::lock_guard lock(sink.mutex);
    d = sink.delays;
  }
  if (d.size() < 2) return false;
  d.erase(d.begin());
  f.samples = static_cast<int>(d.size());
  f.medianMs = Median(d);
  std::sort(d.begin(), d.end());
  f.p90Ms = d[static_cast<size_t>(0.9 * static_cast<double>(d.size() - 1))];
  return true;
}

std::vector<std::string> CliArgs(const std::string& cli, const Line& line, int port, int periodMs) {
  std::vector<std::string> args{cli, "monitor", "--period", std::to_string(periodMs), "--mqtt",
                                "127.0.0.1:" + std::to_string(port)};
  for (int i = 0; i < kUnits; ++i) {
    args.push_back("--unit");
    args.push_back(line.host->Path() + ":" + std::to_string(i + 1) + "@" + std::to_string(kBaud) + "=u" +
                   std::to_string(i + 1));
  }
  return args;
}

long long Field(const std::string& text, const std::string& key) {
  const size_t at = text.find(key);
  return at == std::string::npos ? -1 : std::atoll(text.c_str() + at + key.size());
}

struct CpuFigures {
  double percent = 0, cpuMs = 0, windowMs = 0, wholePercent = 0;
};

double ProcessCpuMs(clockid_t clock) {
  timespec t{};
  ::clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The process's CPU clock over `periods` whole periods once the start (connection,
// discovery, version reads, first cycle) is over; and over the whole run from wait4.
bool Cpu(const std::string& cli, int port, int periods, const std::string& dir, CpuFigures& f) {
  Line line(kUnits, true);
  if (!line.ok) return false;
  const Clock::time_point t0 = Clock::now();
  const int pid = kx::testing::SpawnTool(CliArgs(cli, line, port, 5000), dir + "/cpu.out", dir + "/cpu.err");
  if (pid <= 0) return false;
  clockid_t clock{};
  bool ok = ::clock_getcpuclockid(pid, &clock) == 0;
  std::this_thread::sleep_until(t0 + std::chrono::milliseconds(2500));
  const Clock::time_point w0 = Clock::now();
  const double c0 = ok ? ProcessCpuMs(clock) : 0;
  std::this_thread::sleep_until(w0 + std::chrono::milliseconds(5000 * periods));
  const double c1 = ok ? ProcessCpuMs(clock) : 0;
  f.windowMs = Ms(Clock::now() - w0);
  f.cpuMs = c1 - c0;
  f.percent = 100.0 * f.cpuMs / f.windowMs;
  ::kill(pid, SIGTERM);
  int status = 0;
  rusage usage{};
  if (::wait4(pid, &status, 0, &usage) != pid) return false;
  auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000.0 + t.tv_usec / 1000.0; };
  f.wholePercent = 100.0 * (ms(usage.ru_utime) + ms(usage.ru_stime)) / Ms(Clock::now() - t0);
  if (!ok || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "monitor exited with %d: %s\n", status, kx::testing::ReadFile(dir + "/cpu.err").c_str());
    return false;
  }
  return true;
}

struct SoakFigures {
  double earlyMb = 0, lateMb = 0, peakMb = 0;
  int seconds = 0;
  long long published = -1, readings = -1;
};

double RssMb(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (in >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      in >> kb;
      return kb / 1024.0;
    }
  }
  return 0;
}

bool Soak(const std::string& cli, int port, int seconds, const std::string& dir, SoakFigures& f) {
  Line line(kUnits, false);
  if (!line.ok) return false;
  const int pid = kx::testing::SpawnTool(CliArgs(cli, line, port, 20), dir + "/soak.out", dir + "/soak.err");
  if (pid <= 0) return false;
  // Early: once the start (discovery, first cycles) is over; late: the last sample.
  const int early = std::max(1, seconds / 6);
  for (int s = 1; s <= seconds; ++s) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double rss = RssMb(pid);
    if (s == early) f.earlyMb = rss;
    f.lateMb = rss;
    f.peakMb = std::max(f.peakMb, rss);
  }
  ::kill(pid, SIGTERM);
  const int code = kx::testing::WaitExit(pid, 20000);
  f.seconds = seconds;
  const std::string out = kx::testing::ReadFile(dir + "/soak.out");
  f.readings = Field(out, "u1: readings good ");
  f.published = Field(out, "mqtt published ");
  if (code != 0) {
    std::fprintf(stderr, "monitor exited with %d: %s\n", code, kx::testing::ReadFile(dir + "/soak.err").c_str());
    return false;
  }
  return true;
}

// The state messages a subscriber has received so far.
size_t StateMessages(kx::testing::Subscriber& subscriber) {
  size_t n = 0;
  for (const kx::testing::Received& m : subscriber.Messages())
    if (m.topic.size() > 6 && m.topic.compare(m.topic.size() - 6, 6, "/state") == 0) ++n;
  return n;
}

struct PerReading {
  double cpuMs = 0;
  size_t readings = 0;
  double Ms() const { return readings ? cpuMs / static_cast<double>(readings) : 0; }
};

// A poller of the 32 paced units as its own process (args made from the line's
// path): its CPU clock over `periods` whole periods from 2.5 s after its first
// state message (start-up over, readings half a period away), and the state
// messages a subscriber receives in that window.
bool CpuPerReading(const std::function<std::vector<std::string>(const std::string&)>& args, const char* tag, int port,
                   int periods, const std::string& dir, PerReading& f) {
  Line line(kUnits, true);
  if (!line.ok) return false;
  kx::testing::Subscriber subscriber(port, std::string("kx4200-bench-") + tag);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // subscribed before the first reading
  const std::string out = dir + "/" + tag + ".out", err = dir + "/" + tag + ".err";
  const int pid = kx::testing::SpawnTool(args(line.host->Path()), out, err);
  if (pid <= 0) return false;
  clockid_t clock{};
  bool ok = ::clock_getcpuclockid(pid, &clock) == 0 &&
            subscriber.WaitFor([](const std::vector<kx::testing::Received>& all) {
              for (const auto& m : all)
                if (m.topic.find("/state") != std::string::npos) return true;
              return false;
            });
  if (ok) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const size_t n0 = StateMessages(subscriber);
    const double c0 = ProcessCpuMs(clock);
    std::this_thread::sleep_for(std::chrono::milliseconds(5000 * periods));
    f.cpuMs = ProcessCpuMs(clock) - c0;
    f.readings = StateMessages(subscriber) - n0;
  }
  ::kill(pid, SIGTERM);
  const int code = kx::testing::WaitExit(pid, 20000);
  if (!ok || code != 0 || f.readings == 0) {
    std::fprintf(stderr, "%s exited with %d: %s\n", tag, code, kx::testing::ReadFile(err).c_str());
    return false;
  }
  return true;
}

struct VersusFigures {
  PerReading monitor, python;
};

bool Versus(const std::string& cli, int port, int periods, const std::string& dir, VersusFigures& f) {
  auto monitor = [&](const std::string& path) {
    std::vector<std::string> a{cli, "monitor", "--period", "5000", "--alarms-every", "0", "--no-discovery",
                               "--mqtt", "127.0.0.1:" + std::to_string(port)};
    for (int i = 0; i < kUnits; ++i) {
      a.push_back("--unit");
      a.push_back(path + ":" + std::to_string(i + 1) + "@" + std::to_string(kBaud) + "=u" + std::to_string(i + 1));
    }
    return a;
  };
  auto python = [&](const std::string& path) {
    return std::vector<std::string>{"/usr/bin/python3", KX_POLLER_SCRIPT, "--line", path, "--baud",
                                    std::to_string(kBaud), "--units", std::to_string(kUnits), "--period-ms", "5000",
                                    "--mqtt", "127.0.0.1:" + std::to_string(port)};
  };
  const bool monitorOk = CpuPerReading(monitor, "versus-monitor", port, periods, dir, f.monitor);
  const bool pythonOk = CpuPerReading(python, "versus-python", port, periods, dir, f.python);
  return monitorOk && pythonOk;
}

struct MetricsFigures {
  double medianMs = 0, p90Ms = 0, cpuPerScrapeMs = 0, updateMs = 0, percent = 0;
  size_t bytes = 0;
  int scrapes = 0;
};

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// One HTTP/1.0 GET on a loopback port; the whole reply, headers included.
std::string HttpGet(int port, const char* path) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    const std::string request = std::string("GET ") + path + " HTTP/1.0\r\n\r\n";
    if (::write(s, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
      char buffer[16384];
      for (ssize_t n; (n = ::read(s, buffer, sizeof buffer)) > 0;) reply.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(s);
  return reply;
}

// 32 units, every cell connected, alarms read, each series present. The CPU is the
// whole process's (server thread and client): an upper bound of the server's.
bool Metrics(int scrapes, MetricsFigures& f) {
  kx::LiveReading r;
  for (size_t i = 0; i < kx::kLiveValueCount; ++i) r.shown[i] = 3.3 + 0.001 * static_cast<double>(i);
  std::vector<kx::monitor::UnitMetrics> units(kUnits);
  for (int i = 0; i < kUnits; ++i) {
    auto& u = units[static_cast<size_t>(i)];
    u.name = "u" + std::to_string(i + 1);
    u.read = u.up = true;
    u.ok = 100000;
    u.failed = 12;
    u.live = r;
    u.connected.fill(true);
    u.lastGood = 1796686953.555;
    u.alarmWord = 0x80;
  }
  kx::monitor::MetricsServer server(std::move(units));
  std::string error;
  if (!server.Start("127.0.0.1", 0, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  HttpGet(server.Port(), "/metrics");  // warm
  std::vector<double> times;
  const double cpu0 = ProcessCpuMs();
  for (int i = 0; i < scrapes; ++i) {
    const auto t0 = Clock::now();
    const std::string reply = HttpGet(server.Port(), "/metrics");
    times.push_back(Ms(Clock::now() - t0));
    if (reply.rfind("HTTP/1.0 200", 0) != 0 && reply.rfind("HTTP/1.1 200", 0) != 0) return false;
    f.bytes = reply.size();
  }
  f.cpuPerScrapeMs = (ProcessCpuMs() - cpu0) / scrapes;
  // What each reading adds: its values copied into the server's table under its lock.
  constexpr int kUpdates = 32000;
  const double cpu1 = ProcessCpuMs();
  for (int i = 0; i < kUpdates; ++i)
    server.Update(static_cast<size_t>(i % kUnits), [&](kx::monitor::UnitMetrics& u) {
      u.live = r;
      ++u.ok;
    });
  f.updateMs = (ProcessCpuMs() - cpu1) / kUpdates;
  server.Stop();
  std::sort(times.begin(), times.end());
  f.medianMs = Median(times);
  f.p90Ms = times[times.size() * 9 / 10];
  f.scrapes = scrapes;
  // One scrape and 32 readings a period of 5 s.
  f.percent = (f.cpuPerScrapeMs + kUnits * f.updateMs) / 5000.0 * 100.0;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, cli = KX_CLI_PROGRAM;
  int cpuCycles = 4, soakSeconds = 60;
  bool versusOnly = false, metricsOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
      out = argv[++i];
    } else if (!std::strcmp(argv[i], "--cpu-cycles") && i + 1 < argc) {
      cpuCycles = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--soak-s") && i + 1 < argc) {
      soakSeconds = std::max(6, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--cli") && i + 1 < argc) {
      cli = argv[++i];
    } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc && !std::strcmp(argv[i + 1], "versus")) {
      versusOnly = true;
      ++i;
    } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc && !std::strcmp(argv[i + 1], "metrics")) {
      metricsOnly = true;
      ++i;
    } else {
      std::fprintf(stderr,
                   "usage: %s [--out FILE] [--cpu-cycles N] [--soak-s S] [--cli PATH] [--only versus|metrics]\n",
                   argv[0]);
      return 2;
    }
  }
  ::signal(SIGPIPE, SIG_IGN);
  MetricsFigures metrics;
  bool metricsOk = true;
  if (!versusOnly) {
    std::fprintf(stderr, "/metrics of 32 units ...\n");
    metricsOk = Metrics(500, metrics);
  }
  char metricsEntry[512];
  std::snprintf(metricsEntry, sizeof metricsEntry,
                "{\"name\": \"MonitorMetrics\", \"median_ms\": %.4f, \"p90_ms\": %.4f, \"cpu_per_scrape_ms\": %.4f, "
                "\"update_ms\": %.6f, \"percent\": %.4f, \"bytes\": %zu, \"scrapes\": %d%s}",
                metrics.medianMs, metrics.p90Ms, metrics.cpuPerScrapeMs, metrics.updateMs, metrics.percent,
                metrics.bytes, metrics.scrapes, metricsOk ? "" : ", \"error_occurred\": true");
  if (metricsOnly) {
    std::printf("{\n  \"benchmarks\": [\n    %s\n  ]\n}\n", metricsEntry);
    return metricsOk ? 0 : 1;
  }

  kx::testing::MqttBroker broker;
  if (!broker.Start()) {
    std::fprintf(stderr, "cannot start mosquitto\n");
    return 1;
  }
  CycleFigures cycle;
  PublishFigures publish;
  CpuFigures cpu;
  SoakFigures soak;
  VersusFigures versus;
  bool cycleOk = true, publishOk = true, cpuOk = true, soakOk = true;
  if (!versusOnly) {
    std::fprintf(stderr, "cycle of 32 paced units ...\n");
    cycleOk = Cycle(5, cycle);
    std::fprintf(stderr, "publish delay ...\n");
    publishOk = Publish(broker.Port(), 100, publish);
    std::fprintf(stderr, "CPU over %d periods of 5 s ...\n", cpuCycles);
    cpuOk = Cpu(cli, broker.Port(), cpuCycles, broker.Dir(), cpu);
    std::fprintf(stderr, "soak of %d s ...\n", soakSeconds);
    soakOk = Soak(cli, broker.Port(), soakSeconds, broker.Dir(), soak);
  }
  std::fprintf(stderr, "monitor against a Python poller, %d periods of 5 s each ...\n", cpuCycles);
  const bool versusOk = Versus(cli, broker.Port(), cpuCycles, broker.Dir(), versus);
  broker.Stop();

  auto failed = [](bool ok) { return ok ? "" : ", \"error_occurred\": true"; };
  std::vector<std::string> entries;
  char entry[512];
  if (!versusOnly) {
    std::snprintf(entry, sizeof entry,
                  "{\"name\": \"MonitorCycle\", \"median_ms\": %.3f, \"max_ms\": %.3f, \"wire_ms\": %.3f, "
                  "\"reply_wire_ms\": %.3f, \"cycles\": %d, \"failed\": %d%s}",
                  cycle.medianMs, cycle.maxMs, cycle.wireMs, cycle.replyWireMs, cycle.cycles, cycle.failed,
                  failed(cycleOk));
    entries.push_back(entry);
    std::snprintf(entry, sizeof entry,
                  "{\"name\": \"MonitorPublish\", \"median_ms\": %.3f, \"p90_ms\": %.3f, \"samples\": %d%s}",
                  publish.medianMs, publish.p90Ms, publish.samples, failed(publishOk));
    entries.push_back(entry);
    std::snprintf(entry, sizeof entry,
                  "{\"name\": \"MonitorCpu\", \"percent\": %.4f, \"cpu_ms\": %.3f, \"window_ms\": %.1f, "
                  "\"periods\": %d, \"whole_run_percent\": %.4f%s}",
                  cpu.percent, cpu.cpuMs, cpu.windowMs, cpuCycles, cpu.wholePercent, failed(cpuOk));
    entries.push_back(entry);
    std::snprintf(entry, sizeof entry,
                  "{\"name\": \"MonitorSoak\", \"early_mb\": %.3f, \"late_mb\": %.3f, \"peak_mb\": %.3f, "
                  "\"seconds\": %d, \"readings_per_unit\": %lld, \"published_per_unit\": %lld%s}",
                  soak.earlyMb, soak.lateMb, soak.peakMb, soak.seconds, soak.readings, soak.published, failed(soakOk));
    entries.push_back(entry);
    entries.push_back(metricsEntry);
  }
  std::snprintf(entry, sizeof entry,
                "{\"name\": \"MonitorVersusPython\", \"monitor_cpu_per_reading_ms\": %.4f, \"monitor_cpu_ms\": %.3f, "
                "\"monitor_readings\": %zu, \"python_cpu_per_reading_ms\": %.4f, \"python_cpu_ms\": %.3f, "
                "\"python_readings\": %zu, \"ratio\": %.3f, \"periods\": %d%s}",
                versus.monitor.Ms(), versus.monitor.cpuMs, versus.monitor.readings, versus.python.Ms(),
                versus.python.cpuMs, versus.python.readings,
                versus.monitor.Ms() > 0 ? versus.python.Ms() / versus.monitor.Ms() : 0.0, cpuCycles, failed(versusOk));
  entries.push_back(entry);
  std::string json = "{\n  \"benchmarks\": [\n";
  for (size_t i = 0; i < entries.size(); ++i) json += "    " + entries[i] + (i + 1 < entries.size() ? ",\n" : "\n");
  json += "  ]\n}\n";
  std::FILE* f = out.empty() ? stdout : std::fopen(out.c_str(), "w");
  if (!f) return 1;
  std::fputs(json.c_str(), f);
  if (f != stdout) std::fclose(f);
  return cycleOk && publishOk && cpuOk && soakOk && versusOk && metricsOk ? 0 : 1;
}
