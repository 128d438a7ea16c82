// kx4200-sim: a simulated battery monitoring unit on a pseudo-terminal.
// Prints the path to open (a stable symlink) and serves until SIGINT or SIGTERM.

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "link/CommandTable.h"
#include "sim/SimHost.h"
#include "sim/SimUsage.h"
#include "sim/TcpRelay.h"
#include "sim/VirtualDevice.h"
#include "version/Version.h"

namespace {

void Usage(FILE* out) { std::fputs(kx::SimUsageText().c_str(), out); }

bool ParseInt(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

bool ParseFault(const std::string& name, kx::Fault& fault) {
  static const struct {
    const char* name;
    kx::Fault fault;
  } kFaults[] = {{"silence", kx::Fault::Silence}, {"short", kx::Fault::Short},
                 {"long", kx::Fault::Long},       {"checksum", kx::Fault::Checksum},
                 {"oversize", kx::Fault::Oversize}, {"slow", kx::Fault::Slow},
                 {"hangup", kx::Fault::HangUp}};
  for (const auto& f : kFaults) {
    if (name == f.name) {
      fault = f.fault;
      return true;
    }
  }
  return false;
}

bool ParseAddresses(const std::string& text, std::vector<int>& addresses) {
  std::vector<int> parsed;
  size_t at = 0;
  for (;;) {
    const size_t comma = text.find(',', at);
    long a = 0;
    if (!ParseInt(text.substr(at, comma - at).c_str(), 0, 255, a)) return false;
    for (int seen : parsed)
      if (seen == a) return false;
    parsed.push_back(static_cast<int>(a));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  addresses = parsed;
  return true;
}

// "N@R" or "N@R-S": a value and the readings [R, S) it applies to (S 0: for good).
bool ParseSpan(const std::string& text, long low, long high, long& value, long& from, long& until) {
  const size_t at = text.find('@');
  if (at == std::string::npos || !ParseInt(text.substr(0, at).c_str(), low, high, value)) return false;
  const std::string span = text.substr(at + 1);
  const size_t dash = span.find('-');
  until = 0;
  if (!ParseInt(span.substr(0, dash).c_str(), 1, 0x7FFFFFFF, from)) return false;
  return dash == std::string::npos || (ParseInt(span.substr(dash + 1).c_str(), from + 1, 0x7FFFFFFF, until));
}

int Fail(const char* what, const char* arg) {
  std::fprintf(stderr, "kx4200-sim: %s%s%s\nTry 'kx4200-sim --help'.\n", what, arg ? ": " : "", arg ? arg : "");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> addresses{0};
  long baud = kx::kDefaultBaud, groups = kx::VirtualDevice::kDefaultGroupCount, seed = 4200;
  bool pace = false;
  std::string listenHost;
  int listenPort = -1;
  bool hasFault = false;
  kx::Fault fault = kx::Fault::Silence;
  long lostCell = 0, lostFrom = 0, lostUntil = 0, stuckCell = 0, alarmWord = 0, alarmFrom = 0, alarmUntil = 0;
  double totalOffset = 0;

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("kx4200-sim %s\n", kx::VersionText());
      return 0;
    } else if (arg == "--pace") {
      pace = true;
    } else if (arg == "--address") {
      const char* v = value();
      if (!v || !ParseAddresses(v, addresses)) return Fail("--address needs numbers from 0 to 255, comma-separated, each once", v);
    } else if (arg == "--baud") {
      const char* v = value();
      if (!v || !ParseInt(v, 1, 1000000, baud) || !kx::IsBaudRate(baud)) {
        return Fail(("--baud needs one of " + kx::JoinBaudRates(", ", ", ")).c_str(), v);
      }
    } else if (arg == "--groups") {
      const char* v = value();
      if (!v || !ParseInt(v, 0, 255, groups)) return Fail("--groups needs a number from 0 to 255", v);
    } else if (arg == "--seed") {
      const char* v = value();
      if (!v || !ParseInt(v, 0, 0x7FFFFFFF, seed)) return Fail("--seed needs a non-negative number", v);
    } else if (arg == "--fault") {
      const char* v = value();
      if (!v || !ParseFault(v, fault)) return Fail("unknown --fault", v);
      hasFault = true;
    } else if (arg == "--lose-cell") {
      const char* v = value();
      if (!v || !ParseSpan(v, 1, 40, lostCell, lostFrom, lostUntil))
        return Fail("--lose-cell needs CELL@READING or CELL@FROM-UNTIL, cells 1..40", v);
    } else if (arg == "--stuck-cell") {
      const char* v = value();
      if (!v || !ParseInt(v, 1, 40, stuckCell)) return Fail("--stuck-cell needs a cell from 1 to 40", v);
    } else if (arg == "--total-offset") {
      const char* v = value();
      char* end = nullptr;
      totalOffset = v ? std::strtod(v, &end) : 0;
      if (!v || end == v || *end != '\0' || totalOffset < -100 || totalOffset > 100)
        return Fail("--total-offset needs a percentage from -100 to 100", v);
    } else if (arg == "--raise-alarm") {
      const char* v = value();
      if (!v || !ParseSpan(v, 1, 511, alarmWord, alarmFrom, alarmUntil))
        return Fail("--raise-alarm needs WORD@READING or WORD@FROM-UNTIL, words 1..511", v);
    } else if (arg == "--listen") {
      const char* v = value();
      const std::string text = v ? v : "";
      const size_t colon = text.rfind(':');
      long port = 0;
      if (colon == std::string::npos || colon == 0 || !ParseInt(text.substr(colon + 1).c_str(), 0, 65535, port))
        return Fail("--listen needs HOST:PORT", v);
      listenHost = text.substr(0, colon);
      if (listenHost.size() > 2 && listenHost.front() == '[' && listenHost.back() == ']')
        listenHost = listenHost.substr(1, listenHost.size() - 2);
      listenPort = static_cast<int>(port);
    } else {
      return Fail("unknown option", argv[i]);
    }
  }

  // The host thread must not take the signals; this thread waits for them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  // Each unit its own seed, so that each has its own cells and noise.
  std::vector<std::unique_ptr<kx::VirtualDevice>> devices;
  std::vector<kx::VirtualDevice*> line;
  for (size_t i = 0; i < addresses.size(); ++i) {
    auto& device = *devices.emplace_back(std::make_unique<kx::VirtualDevice>(static_cast<uint32_t>(seed + i)));
    device.SetAddress(addresses[i]);
    device.SetBaud(static_cast<int>(baud));
    device.SetPacing(pace);
    device.SetGroups(kx::VirtualDevice::DefaultGroups(std::time(nullptr), static_cast<int>(groups)));
    if (hasFault) device.SetFault(fault);
    if (lostCell > 0) device.LoseCell(static_cast<int>(lostCell - 1), static_cast<int>(lostFrom), static_cast<int>(lostUntil));
    if (stuckCell > 0) device.SetStuckCell(static_cast<int>(stuckCell - 1));
    device.SetTotalOffset(totalOffset);
    if (alarmWord > 0)
      device.RaiseAlarm(static_cast<uint16_t>(alarmWord), static_cast<int>(alarmFrom), static_cast<int>(alarmUntil));
    line.push_back(&device);
  }

  kx::SimHost host(line);
  if (fault == kx::Fault::HangUp) host.SetReplugAfterMs(1000);
  if (!host.Start()) {
    std::fprintf(stderr, "kx4200-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
    return 1;
  }
  std::printf("%s\n", host.Path().c_str());
  kx::TcpRelay relay(host.Path(), static_cast<int>(baud));
  if (listenPort >= 0) {
    std::string error;
    if (!relay.Start(listenHost, listenPort, error)) {
      host.Stop();
      return Fail(("cannot listen on " + listenHost + ":" + std::to_string(listenPort) + ": " + error).c_str(), nullptr);
    }
    const bool v6 = listenHost.find(':') != std::string::npos;
    std::printf("tcp://%s%s%s:%d\n", v6 ? "[" : "", listenHost.c_str(), v6 ? "]" : "", relay.Port());
  }
  std::fflush(stdout);

  int signal = 0;
  sigwait(&stopSignals, &signal);
  relay.Stop();
  host.Stop();
  return 0;
}
