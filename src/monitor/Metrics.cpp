#include "monitor/Metrics.h"

#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>

#include <charconv>
#include <cstring>

#include "link/CellSummary.h"
#include "monitor/WiringChecks.h"

namespace kx::monitor {

namespace {

constexpr const char* kAlarmKeys[] = {"temperature1_high", "temperature1_low", "temperature2_high",
                                      "temperature2_low",  "temperature3_high", "temperature3_low",
                                      "current_overcurrent", "total_overvoltage", "total_undervoltage"};

// A label value as the exposition format escapes it.
std::string Label(const std::string& text) {
  std::string s;
  for (char c : text) {
    if (c == '\\' || c == '"') s += '\\';
    s += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return s;
}

// The shortest text that reads back as v: 3.317, not 3.3170000000000002.
std::string Value(double v) {
  char text[40];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}
  void Family(const char* name, const char* type, const char* help) {
    name_ = name;
    out_ += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
  }
  void Sample(const std::string& unit, const std::string& labels, const std::string& value) {
    out_ += name_ + "{unit=\"" + Label(unit) + "\"" + labels + "} " + value + "\n";
  }

 private:
  std::string& out_;
  std::string name_;
};

// The shown value, which is what the panel and the other outputs say.
std::string Shown(const LiveReading& r, size_t field) { return Value(r.shown[field]); }

MHD_Result Answer(void* self, MHD_Connection* connection, const char* url, const char* method, const char*,
                  const char*, size_t*, void**) {
  const auto* server = static_cast<const MetricsServer*>(self);
  const bool get = std::strcmp(method, "GET") == 0 || std::strcmp(method, "HEAD") == 0;
  const bool metrics = std::strcmp(url, "/metrics") == 0;
  const std::string body = !get ? "only GET\n" : metrics ? server->Text() : "see /metrics\n";
  MHD_Response* response =
      MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
  MHD_add_response_header(response, "Content-Type",
                          get && metrics ? "text/plain; version=0.0.4; charset=utf-8" : "text/plain");
  const MHD_Result result =
      MHD_queue_response(connection, !get ? MHD_HTTP_METHOD_NOT_ALLOWED : metrics ? MHD_HTTP_OK : MHD_HTTP_NOT_FOUND,
                         response);
  MHD_destroy_response(response);
  return result;
}

}  // namespace

const char* AlarmKey(int bit) { return bit >= 0 && bit < 9 ? kAlarmKeys[bit] : ""; }

std::string MetricsText(const std::vector<UnitMetrics>& units) {
  std::string out;
  out.reserve(4096 * units.size());
  Writer w(out);
  auto live = [&](const char* name, const char* help, auto sample) {
    w.Family(name, "gauge", help);
    for (const UnitMetrics& u : units)
      if (u.live) sample(u, *u.live);
  };
  live("kx4200_cell_voltage_volts", "Voltage of each connected cell, as the unit shows it.",
       [&](const UnitMetrics& u, const LiveReading& r) {
         for (size_t i = 0; i < kLiveCells; ++i)
           if (u.connected[i]) w.Sample(u.name, ",cell=\"" + std::to_string(i + 1) + "\"", Shown(r, i));
       });
  live("kx4200_string_voltage_volts", "Total voltage of the string.",
       [&](const UnitMetrics& u, const LiveReading& r) { w.Sample(u.name, "", Shown(r, kLiveTotal)); });
  live("kx4200_current_amperes", "String current; negative on discharge.",
       [&](const UnitMetrics& u, const LiveReading& r) { w.Sample(u.name, "", Shown(r, kLiveCurrent)); });
  live("kx4200_temperature_celsius", "Temperature of each sensor.", [&](const UnitMetrics& u, const LiveReading& r) {
    for (size_t i = 0; i < kLiveTempCount; ++i)
      w.Sample(u.name, ",sensor=\"" + std::to_string(i + 1) + "\"", Shown(r, kLiveTemps + i));
  });
  live("kx4200_analog_input_volts", "Voltage of each analogue input.", [&](const UnitMetrics& u, const LiveReading& r) {
    for (size_t i = 0; i < kLiveAnalogCount; ++i)
      w.Sample(u.name, ",input=\"" + std::to_string(i + 1) + "\"", Shown(r, kLiveAnalogs + i));
  });
  live("kx4200_cell_spread_volts", "Highest minus lowest connected cell.",
       [&](const UnitMetrics& u, const LiveReading& r) {
         if (const auto& e = SummariseCells(r.Cells()).extremes) w.Sample(u.name, "", Value(e->spreadMv / 1000.0));
       });
  w.Family("kx4200_up", "gauge", "1 when the last reading of the unit succeeded, 0 when it failed.");
  for (const UnitMetrics& u : units)
    if (u.read) w.Sample(u.name, "", u.up ? "1" : "0");
  w.Family("kx4200_readings_total", "counter", "Readings made since the monitor started, by result.");
  for (const UnitMetrics& u : units) {
    w.Sample(u.name, ",result=\"ok\"", std::to_string(u.ok));
    w.Sample(u.name, ",result=\"failed\"", std::to_string(u.failed));
  }
  w.Family("kx4200_alarm_active", "gauge", "1 while the alarm is set in the last alarm word read.");
  for (const UnitMetrics& u : units)
    if (u.alarmWord)
      for (int bit = 8; bit >= 0; --bit)
        w.Sample(u.name, ",alarm=\"" + std::string(kAlarmKeys[bit]) + "\"", (*u.alarmWord >> bit & 1) ? "1" : "0");
  w.Family("kx4200_measurement_fault", "gauge", "1 while the wiring check of this kind finds a fault.");
  for (const UnitMetrics& u : units)
    if (u.read)
      for (FaultKind kind : kFaultKinds) {
        bool on = false;
        for (const std::string& f : u.faults) on = on || f == FaultKindKey(kind);
        w.Sample(u.name, ",kind=\"" + std::string(FaultKindKey(kind)) + "\"", on ? "1" : "0");
      }
  w.Family("kx4200_last_reading_timestamp_seconds", "gauge", "Unix time of the last good reading.");
  for (const UnitMetrics& u : units)
    if (u.lastGood > 0) w.Sample(u.name, "", Value(u.lastGood));
  return out;
}

MetricsServer::~MetricsServer() { Stop(); }

std::string MetricsServer::Text() const {
  std::lock_guard lock(mutex_);
  return MetricsText(units_);
}

bool MetricsServer::Start(const std::string& host, int port, std::string& error) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found); rc != 0) {
    error = "--metrics: " + host + ": " + ::gai_strerror(rc);
    return false;
  }
  const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD |
                         (found->ai_family == AF_INET6 ? MHD_USE_IPv6 : 0);
  daemon_ = MHD_start_daemon(flags, static_cast<uint16_t>(port), nullptr, nullptr, &Answer, this,
                             MHD_OPTION_SOCK_ADDR, found->ai_addr, MHD_OPTION_CONNECTION_TIMEOUT, 10u,
                             MHD_OPTION_END);
  ::freeaddrinfo(found);
  if (!daemon_) {
    error = "--metrics: cannot listen on " + host + ":" + service + ": " + std::strerror(errno);
    return false;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon_, MHD_DAEMON_INFO_BIND_PORT);
  port_ = info ? info->port : port;
  return true;
}

void MetricsServer::Stop() {
  if (daemon_) MHD_stop_daemon(daemon_);
  daemon_ = nullptr;
}

}  // namespace kx::monitor
