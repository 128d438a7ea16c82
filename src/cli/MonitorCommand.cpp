#include "cli/MonitorCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include "cli/Cli.h"
#include "files/SafeFile.h"
#include "link/PortNaming.h"
#include "monitor/Monitor.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx::cli {

namespace {

int Number(const CommandLine& line, const char* option, long long low, long long high, const char* what) {
  const auto n = ParseInteger(line.Value(option), low, high);
  if (!n) Bad(QStringLiteral("--%1 must be %2, not '%3'").arg(option, what, line.Value(option)));
  return static_cast<int>(*n);
}

bool ValidTopicLevel(const QString& s) {
  return !s.isEmpty() && !s.contains('#') && !s.contains('+') && !s.startsWith('/') && !s.endsWith('/');
}

// HOST, HOST:PORT, [IPV6] or [IPV6]:PORT.
void ParseBroker(const QString& where, monitor::MqttSettings& m) {
  const QString badPort = "--mqtt: the port in '" + where + "' must be 1..65535";
  QString host = where, port;
  bool portGiven = false;
  if (where.startsWith('[')) {
    const qsizetype close = where.indexOf(']');
    if (close < 0 || (close + 1 < where.size() && where[close + 1] != ':'))
      Bad("--mqtt: '" + where + "' must be [ADDRESS] or [ADDRESS]:PORT");
    host = where.mid(1, close - 1);
    portGiven = close + 1 < where.size();
    port = where.mid(close + 2);
  } else if (where.count(':') > 1) {
    Bad("--mqtt: '" + where + "' must be HOST or HOST:PORT (an IPv6 address in brackets: [::1]:1883)");
  } else if (const qsizetype colon = where.indexOf(':'); colon >= 0) {
    host = where.left(colon);
    portGiven = true;
    port = where.mid(colon + 1);
  }
  if (host.isEmpty()) Bad("--mqtt needs a host name");
  m.host = host.toStdString();
  m.port = m.tls ? 8883 : 1883;
  if (portGiven) {
    const auto n = ParseInteger(port, 1, 65535);
    if (!n) Bad(badPort);
    m.port = static_cast<int>(*n);
  }
}

// A file the monitor reads must be a readable regular file: refused before
// anything starts, naming the file.
int OpenGivenFile(const char* option, const std::string& path) {
  files::FileResult result;
  const int fd = files::OpenInput(path, result);
  if (fd < 0) Bad(QString("--%1: %2").arg(option, QString::fromStdString(files::Describe(result))));
  return fd;
}

// The password is the file's first line.
std::string ReadPassword(const std::string& path) {
  const int fd = OpenGivenFile("mqtt-password-file", path);
  std::string text;
  char buffer[4096];
  ssize_t n = 0;
  while (text.find('\n') == std::string::npos && (n = ::read(fd, buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(n));
  const int error = errno;
  ::close(fd);
  if (n < 0) Bad(QString("--mqtt-password-file: cannot read %1: %2").arg(path.c_str(), std::strerror(error)));
  text = text.substr(0, text.find('\n'));
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

}  // namespace

CliRun ParseMonitor(const CommandLine& line) {
  line.Positionals(0, 0);
  monitor::MonitorOptions o;
  const QStringList units = line.Values("unit");
  if (units.isEmpty()) Bad("monitor needs at least one --unit UNIT");
  for (const QString& text : units) {
    std::string error;
    const auto unit = monitor::ParseUnitOption(text.toStdString(), error);
    if (!unit) Bad("--unit: " + QString::fromStdString(error));
    o.units.push_back(*unit);
  }
  if (const std::string error = monitor::CheckUnits(o.units); !error.empty()) Bad("--unit: " + QString::fromStdString(error));
  o.periodMs = Number(line, "period", 0, 86400000, "a whole number of milliseconds");
  o.alarmsEvery = Number(line, "alarms-every", 0, 1000000, "a whole number from 0");
  o.count = Number(line, "count", 0, 100000000, "a whole number from 0");
  o.currentRange = static_cast<uint32_t>(Number(line, "current-range", 1, 1000000, "a whole number of amperes from 1"));
  o.csvDir = line.File("csv");
  bool tolerance = false;
  o.wiring.sumTolerance = line.Value("sum-tolerance").toDouble(&tolerance) / 100.0;
  if (!tolerance || o.wiring.sumTolerance < 0 || o.wiring.sumTolerance > 1)
    Bad("--sum-tolerance must be a percentage from 0 to 100, not '" + line.Value("sum-tolerance") + "'");
  o.wiring.stuckReadings = Number(line, "stuck-readings", 2, 100000000, "a whole number of readings from 2");
  if (line.IsSet("metrics")) {
    const QString where = line.Value("metrics");
    const qsizetype colon = where.lastIndexOf(':');
    const auto port = colon < 0 ? std::nullopt : ParseInteger(where.mid(colon + 1), 0, 65535);
    QString host = colon < 0 ? QString() : where.left(colon);
    if (host.startsWith('[') && host.endsWith(']')) host = host.mid(1, host.size() - 2);
    if (!port || host.isEmpty()) Bad("--metrics must be HOST:PORT (an IPv6 address in brackets), not '" + where + "'");
    o.metricsHost = host.toStdString();
    o.metricsPort = static_cast<int>(*port);
  }

  const bool mqttOption = line.IsSet("mqtt-user") || line.IsSet("mqtt-password-file") || line.IsSet("mqtt-tls") ||
                          line.IsSet("mqtt-cafile") || line.IsSet("mqtt-prefix") || line.IsSet("instance") ||
                          line.IsSet("mqtt-discovery-prefix") || line.IsSet("no-discovery") ||
                          line.IsSet("no-cell-entities");
  if (line.IsSet("mqtt")) {
    monitor::MqttSettings m;
    m.tls = line.IsSet("mqtt-tls");
    ParseBroker(line.Value("mqtt"), m);
    m.user = line.Value("mqtt-user").toStdString();
    const std::string passwordFile = line.File("mqtt-password-file");
    if (!passwordFile.empty() && m.user.empty()) Bad("--mqtt-password-file needs --mqtt-user");
    if (line.IsSet("mqtt-cafile") && !m.tls) Bad("--mqtt-cafile needs --mqtt-tls");
    m.cafile = line.File("mqtt-cafile");
    if (!m.cafile.empty()) ::close(OpenGivenFile("mqtt-cafile", m.cafile));
    if (!passwordFile.empty()) m.password = ReadPassword(passwordFile);
    m.prefix = line.Value("mqtt-prefix").toStdString();
    if (!ValidTopicLevel(line.Value("mqtt-prefix"))) Bad("--mqtt-prefix must be a topic without wildcards");
    const QString instance =
        line.IsSet("instance") ? line.Value("instance") : QString::fromStdString(monitor::DefaultInstance());
    if (instance.contains('/') || !ValidTopicLevel(instance))
      Bad("--instance must be one topic level (no '/', '+' or '#'), not '" + instance + "'");
    m.instance = instance.toStdString();
    o.discovery = !line.IsSet("no-discovery");
    o.cellEntities = !line.IsSet("no-cell-entities");
    if (!ValidTopicLevel(line.Value("mqtt-discovery-prefix")))
      Bad("--mqtt-discovery-prefix must be a topic without wildcards");
    o.discoveryPrefix = line.Value("mqtt-discovery-prefix").toStdString();
    o.mqtt = m;
    if (const std::string fault = monitor::CheckMqttTopics(o); !fault.empty()) Bad(QString::fromStdString(fault));
  } else if (mqttOption) {
    Bad("the --mqtt-... options need --mqtt HOST");
  }
  const std::string sysClassTty = line.hooks().sysClassTty, devRoot = line.hooks().devRoot;

  return [o, sysClassTty, devRoot](Env& env) mutable {
    monitor::MonitorIo io{[&env](std::string_view s) { env.out.OutLine(s); },
                          [&env](std::string_view s) { env.out.ErrLine("kx4200-cli: " + std::string(s)); },
                          [&env] { return env.Stopped(); }, [&env](std::string_view s) { env.out.ErrLine(s); },
                          env.stopFd};
    o.json = env.global.json;
    o.trace = env.global.trace;
    o.waitScale = env.waitScale;
    // The simulated lines: one per port named, serving the addresses named on it.
    std::vector<std::unique_ptr<VirtualDevice>> devices;
    std::map<std::string, std::unique_ptr<SimHost>> hosts;
    if (env.global.simulate) {
      std::map<std::string, std::vector<VirtualDevice*>> lines;
      for (const monitor::UnitOption& u : o.units) {
        auto& d = *devices.emplace_back(std::make_unique<VirtualDevice>(4200 + static_cast<uint32_t>(devices.size())));
        d.SetAddress(u.address);
        d.SetBaud(u.baud);
        lines[u.port].push_back(&d);
      }
      for (auto& [port, line] : lines) {
        auto host = std::make_unique<SimHost>(line);
        if (!host->Start()) {
          env.Fail("could not start the simulated unit (no pseudo-terminal)", "");
          return static_cast<int>(kExitPort);
        }
        hosts[port] = std::move(host);
      }
    }
    PortNaming naming(sysClassTty, devRoot);
    for (const monitor::UnitOption& u : o.units) {
      if (env.global.simulate) {
        o.paths.push_back(hosts[u.port]->Path());
      } else if (u.port.find('/') != std::string::npos) {
        o.paths.push_back(u.port);
      } else {
        const std::string path = naming.Resolve(std::stoi(u.port));
        if (path.empty()) {
          env.Fail("port " + u.port + " means no serial device (see 'kx4200-cli ports', or give a path)", "");
          return static_cast<int>(kExitPort);
        }
        o.paths.push_back(path);
      }
    }
    return monitor::RunMonitor(o, io);
  };
}

}  // namespace kx::cli
