#include "cli/MonitorCommand.h"

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "cli/Cli.h"
#include "link/PortNaming.h"
#include "monitor/Monitor.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx::cli {

const char* const kMonitorUsage =
    "monitor --unit UNIT [--unit UNIT ...] [--period MS] [--alarms-every N] [--count N] [--csv DIR]\n"
    "        [--mqtt HOST[:PORT] [--mqtt-user U] [--mqtt-password-file F] [--mqtt-tls [--mqtt-cafile F]]\n"
    "        [--mqtt-prefix P] [--mqtt-discovery-prefix P | --no-discovery]]";

const char* const kMonitorHelp =
    "Reads many units unattended, one live reading of every unit a period, until Ctrl-C or\n"
    "SIGTERM (or --count cycles), then a summary per unit. UNIT is PATH|N[:ADDRESS][@BAUD][=NAME]:\n"
    "a device path or port number, the unit's address (default 0), the line's baud rate (default\n"
    "9600) and a name (default kx4200_<port basename>_<address>, reduced to [a-z0-9_]). Units\n"
    "on one port share the open port and are read in turn; ports are read in parallel. A cycle\n"
    "that overruns the period starts the next at once and counts an overrun.\n"
    "Outputs: --csv DIR (one CSV per unit and local day, NAME-YYYY-MM-DD.csv), --mqtt (state\n"
    "JSON on PREFIX/NAME/state, availability, Home Assistant discovery; see the README); plain\n"
    "lines on stdout when neither is given. The password is read from --mqtt-password-file.\n"
    "Exit status 0 after a stop; 3 when the broker refuses the credentials.";

std::vector<CliOption> MonitorOptionList() {
  return {{{"unit"}, "A unit: PATH|N[:ADDRESS][@BAUD][=NAME] (repeatable).", "UNIT"},
          {{"period"}, "Milliseconds from one cycle to the next.", "MS", "5000"},
          {{"alarms-every"}, "Read the alarm word every N cycles (0: never).", "N", "12"},
          {{"count"}, "Number of cycles (0: until stopped).", "N", "0"},
          {{"current-range"}, "Current full scale in amperes.", "I", "1000"},
          {{"csv"}, "Write one live CSV per unit and day into DIR.", "DIR"},
          {{"mqtt"}, "Publish to the MQTT broker at HOST[:PORT] (default port 1883, 8883 with TLS).", "HOST[:PORT]"},
          {{"mqtt-user"}, "MQTT user name.", "USER"},
          {{"mqtt-password-file"}, "File whose first line is the MQTT password.", "FILE"},
          {{"mqtt-tls"}, "Connect to the broker over TLS."},
          {{"mqtt-cafile"}, "CA certificate for TLS (default: the system's).", "FILE"},
          {{"mqtt-prefix"}, "Topic prefix.", "PREFIX", "kx4200"},
          {{"mqtt-discovery-prefix"}, "Home Assistant discovery prefix.", "PREFIX", "homeassistant"},
          {{"no-discovery"}, "Publish no Home Assistant discovery."}};
}

namespace {

int Number(const CommandLine& line, const char* option, long long low, long long high, const char* what) {
  const auto n = ParseInteger(line.Value(option), low, high);
  if (!n) Bad(QStringLiteral("--%1 must be %2, not '%3'").arg(option, what, line.Value(option)));
  return static_cast<int>(*n);
}

bool ValidTopicLevel(const QString& s) {
  return !s.isEmpty() && !s.contains('#') && !s.contains('+') && !s.startsWith('/') && !s.endsWith('/');
}

std::string ReadPassword(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read the MQTT password file " + path;
    return {};
  }
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
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

  const bool mqttOption = line.IsSet("mqtt-user") || line.IsSet("mqtt-password-file") || line.IsSet("mqtt-tls") ||
                          line.IsSet("mqtt-cafile") || line.IsSet("mqtt-prefix") ||
                          line.IsSet("mqtt-discovery-prefix") || line.IsSet("no-discovery");
  std::string passwordFile;
  if (line.IsSet("mqtt")) {
    monitor::MqttSettings m;
    const QString where = line.Value("mqtt");
    const int colon = where.lastIndexOf(':');
    m.host = (colon < 0 ? where : where.left(colon)).toStdString();
    m.tls = line.IsSet("mqtt-tls");
    m.port = m.tls ? 8883 : 1883;
    if (colon >= 0) {
      const auto port = ParseInteger(where.mid(colon + 1), 1, 65535);
      if (!port) Bad("--mqtt: the port in '" + where + "' must be 1..65535");
      m.port = static_cast<int>(*port);
    }
    if (m.host.empty()) Bad("--mqtt needs a host name");
    m.user = line.Value("mqtt-user").toStdString();
    passwordFile = line.File("mqtt-password-file");
    if (!passwordFile.empty() && m.user.empty()) Bad("--mqtt-password-file needs --mqtt-user");
    if (line.IsSet("mqtt-cafile") && !m.tls) Bad("--mqtt-cafile needs --mqtt-tls");
    m.cafile = line.File("mqtt-cafile");
    m.prefix = line.Value("mqtt-prefix").toStdString();
    if (!ValidTopicLevel(line.Value("mqtt-prefix"))) Bad("--mqtt-prefix must be a topic without wildcards");
    o.discovery = !line.IsSet("no-discovery");
    if (!ValidTopicLevel(line.Value("mqtt-discovery-prefix")))
      Bad("--mqtt-discovery-prefix must be a topic without wildcards");
    o.discoveryPrefix = line.Value("mqtt-discovery-prefix").toStdString();
    o.mqtt = m;
  } else if (mqttOption) {
    Bad("the --mqtt-... options need --mqtt HOST");
  }
  const std::string sysClassTty = line.hooks().sysClassTty, devRoot = line.hooks().devRoot;

  return [o, passwordFile, sysClassTty, devRoot](Env& env) mutable {
    monitor::MonitorIo io{[&env](std::string_view s) { env.out.OutLine(s); },
                          [&env](std::string_view s) { env.out.ErrLine(s); }, [&env] { return env.Stopped(); }};
    if (!passwordFile.empty()) {
      std::string error;
      o.mqtt->password = ReadPassword(passwordFile, error);
      if (!error.empty()) {
        io.errLine("kx4200-cli: " + error);
        return static_cast<int>(kExitUsage);
      }
    }
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
