#include "monitor/Monitor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

#include "link/Exchange.h"
#include "monitor/Discovery.h"
#include "monitor/Outputs.h"
#include "monitor/Poller.h"
#include "monitor/Reading.h"
#include "monitor/StopSignal.h"
#include "monitor/UnitTrace.h"

namespace kx::monitor {

namespace {

// What the main thread sleeps on besides the stop: rung by a poller that ends and
// by the MQTT client when it has something for the log.
class Bell {
 public:
  Bell() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~Bell() {
    if (fd_ >= 0) ::close(fd_);
  }
  Bell(const Bell&) = delete;
  Bell& operator=(const Bell&) = delete;
  void Ring() const {
    const uint64_t one = 1;
    (void)!::write(fd_, &one, sizeof one);
  }
  void Clear() const {
    uint64_t count = 0;
    (void)!::read(fd_, &count, sizeof count);
  }
  int Fd() const { return fd_; }

 private:
  int fd_;
};

// The summary per unit, as lines or one JSON object; the MQTT messages still queued.
long long Summarise(const MonitorOptions& o, const MonitorIo& io, const Outputs& outputs,
                    const std::vector<std::unique_ptr<Poller>>& pollers, MqttPublisher* mqtt, bool stopped) {
  long long undelivered = 0;
  std::string json = "{\"units\":[";
  for (const auto& p : pollers) {
    for (size_t i : p->Units()) {
      const UnitState& u = outputs.Unit(i);
      const std::string& name = o.units[i].name;
      const std::string overruns = std::to_string(p->overruns.load());
      std::string line = name + ": readings good " + std::to_string(u.good) + ", failed " + std::to_string(u.failed) +
                         "; overruns " + overruns;
      json += (json.back() == '[' ? "{\"unit\":" : ",{\"unit\":") + JsonString(name) +
              ",\"good\":" + std::to_string(u.good) + ",\"failed\":" + std::to_string(u.failed) +
              ",\"overruns\":" + overruns;
      if (mqtt) {
        const MqttCounts c = mqtt->Counts(static_cast<int>(i));
        undelivered += c.queued;
        line += "; mqtt published " + std::to_string(c.published) + ", queued " + std::to_string(c.queued) +
                ", dropped " + std::to_string(c.dropped) + ", refused " + std::to_string(c.refused);
        json += ",\"mqtt\":{\"published\":" + std::to_string(c.published) + ",\"queued\":" +
                std::to_string(c.queued) + ",\"dropped\":" + std::to_string(c.dropped) +
                ",\"refused\":" + std::to_string(c.refused) + "}";
      }
      if (u.csv && !u.csv->Error().empty()) {
        line += "; logging stopped: " + u.csv->Error();
        json += ",\"log_error\":" + JsonString(u.csv->Error());
      }
      json += "}";
      if (!o.json) io.outLine(line);
    }
  }
  if (o.json) io.outLine(json + "],\"stopped\":" + (stopped ? "true" : "false") + "}");
  return undelivered;
}

}  // namespace

int RunMonitor(const MonitorOptions& o, const MonitorIo& io) {
  if (!o.csvDir.empty()) {
    struct stat st {};
    if (::stat(o.csvDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      io.errLine("--csv " + o.csvDir + " is not a folder");
      return kExitUsage;
    }
  }
  const Bell bell;  // outlives the publisher, which rings it
  std::unique_ptr<MqttPublisher> mqtt;
  if (o.mqtt) {
    mqtt = std::make_unique<MqttPublisher>(*o.mqtt, o.queueLimit);
    mqtt->SetEventWake([&bell] { bell.Ring(); });
    std::string error;
    switch (mqtt->Start(o.connectWaitMs, error)) {
      case MqttPublisher::StartResult::Refused:
      case MqttPublisher::StartResult::Failed:
        io.errLine(error);
        return kExitPort;
      case MqttPublisher::StartResult::Pending:
        io.errLine("the MQTT broker " + o.mqtt->host + ":" + std::to_string(o.mqtt->port) +
                   " has not answered yet; readings are queued meanwhile");
        break;
      case MqttPublisher::StartResult::Connected:
        break;
    }
  }

  std::unique_ptr<MetricsServer> metrics;
  if (o.metricsPort >= 0) {
    std::vector<UnitMetrics> units;
    for (const UnitOption& u : o.units) units.emplace_back().name = u.name;
    metrics = std::make_unique<MetricsServer>(std::move(units));
    if (std::string error; !metrics->Start(o.metricsHost, o.metricsPort, error)) {
      io.errLine(error);
      return kExitPort;
    }
    io.errLine("metrics on http://" + o.metricsHost + ":" + std::to_string(metrics->Port()) + "/metrics");
  }

  Outputs outputs(o, io, mqtt.get(), metrics.get());
  StopSignal stop;
  UnitTrace unitTrace(o.units, o.paths);
  // Frames are traced one at a time (the tracer is called under the link's lock).
  if (o.trace) SetFrameTracer([&unitTrace, &io](const FrameEvent& frame) {
      (io.traceLine ? io.traceLine : io.errLine)(unitTrace.Line(frame));
    });
  std::map<std::string, std::vector<size_t>> byPort;
  std::vector<std::string> order;
  for (size_t i = 0; i < o.units.size(); ++i) {
    if (!byPort.count(o.paths[i])) order.push_back(o.paths[i]);
    byPort[o.paths[i]].push_back(i);
  }
  std::vector<std::unique_ptr<Poller>> pollers;
  for (const std::string& path : order)
    pollers.push_back(std::make_unique<Poller>(o, path, byPort[path], outputs, stop));
  std::atomic<size_t> running{pollers.size()};
  std::vector<std::thread> threads;
  for (auto& p : pollers)
    threads.emplace_back([&p, &running, &bell] {
      p->Run();
      --running;
      bell.Ring();
    });

  auto logEvents = [&] {
    if (mqtt)
      for (const std::string& e : mqtt->TakeEvents()) io.errLine(e);
  };
  bool stopSeen = false;  // on the descriptor
  auto stopRequested = [&] { return stopSeen || (io.stopRequested && io.stopRequested()); };
  // Asleep until a stop, the pollers' end or text for the log. A stop that can only
  // be asked for (no descriptor), or no bell, leaves a bounded sleep.
  int sleepMs = (io.stopRequested && io.stopFd < 0) || bell.Fd() < 0 ? 50 : -1;
  pollfd wake[2] = {{bell.Fd(), POLLIN, 0}, {io.stopFd, POLLIN, 0}};
  for (;;) {
    logEvents();
    if (running == 0 || stopRequested()) break;
    if (::poll(wake, 2, sleepMs) <= 0) continue;
    if (wake[0].revents != 0) bell.Clear();
    stopSeen = stopSeen || (wake[1].revents & POLLIN) != 0;
    if (wake[1].revents & POLLNVAL) {  // not a descriptor: asked for instead
      wake[1].fd = -1;
      sleepMs = 50;
    }
  }
  stop.Stop();
  for (auto& p : pollers) p->Interrupt();
  for (std::thread& t : threads) t.join();
  if (o.trace) SetFrameTracer(nullptr);  // before unitTrace goes
  if (metrics) metrics->Stop();
  const bool connectedAtEnd = mqtt && mqtt->Connected();
  if (mqtt) mqtt->Stop(o.flushMs);
  logEvents();

  const bool stopped = stopRequested();
  const long long undelivered = Summarise(o, io, outputs, pollers, mqtt.get(), stopped);
  // Readings that never reached the broker are lost with the process: never a quiet success.
  if (undelivered > 0)
    io.errLine(std::to_string(undelivered) +
               " MQTT messages were still queued at the end and are lost (" +
               (connectedAtEnd ? "not acknowledged in time by the broker " : "no connection to the broker ") +
               o.mqtt->host + ":" + std::to_string(o.mqtt->port) + ")");
  if (outputs.AnyCsvFailed()) return kExitUsage;
  const bool counted = o.count > 0 && !stopped;
  return counted && (outputs.AnyFailed() || undelivered > 0) ? kExitDevice : kExitOk;
}

std::string CheckMqttTopics(const MonitorOptions& o) {
  if (!o.mqtt) return {};
  const MqttSettings& m = *o.mqtt;
  // Control characters and the like are told against the option that holds them.
  const std::pair<const char*, std::string> given[] = {
      {"--mqtt-prefix", m.prefix}, {"--mqtt-discovery-prefix", o.discoveryPrefix}, {"--instance", m.instance}};
  for (const auto& [option, text] : given)
    if (const std::string fault = TopicFault(text); !fault.empty()) return std::string(option) + " " + fault;
  if (const std::string fault = TopicFault(StatusTopic(m)); !fault.empty()) return "the MQTT status topic " + fault;
  for (size_t i = 0; i < o.units.size(); ++i) {
    const std::string& name = o.units[i].name;
    std::vector<std::string> topics{UnitTopic(m.prefix, name, "state"), UnitTopic(m.prefix, name, "availability"),
                                    UnitTopic(m.prefix, name, "event")};
    if (o.discovery)
      for (const MqttMessage& d : DiscoveryMessages(o.discoveryPrefix, m.prefix, StatusTopic(m), {name, {}, {}}, 0))
        topics.push_back(d.topic);
    for (const std::string& topic : topics)
      if (const std::string fault = TopicFault(topic); !fault.empty())
        return "an MQTT topic of the unit " + (name.size() > 40 ? name.substr(0, 40) + "..." : name) + " " + fault;
  }
  return {};
}

}  // namespace kx::monitor
