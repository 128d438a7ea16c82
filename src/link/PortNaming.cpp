#include "link/PortNaming.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

namespace kx {

namespace fs = std::filesystem;

namespace {

// Sort key: USB adapters first, then CDC-ACM, then the rest by name; within a
// family by number, so ttyUSB10 follows ttyUSB9.
struct SortKey {
  int family;
  std::string prefix;
  long number;
  std::string name;
  bool operator<(const SortKey& o) const {
    return std::tie(family, prefix, number, name) < std::tie(o.family, o.prefix, o.number, o.name);
  }
};

SortKey KeyOf(const std::string& name) {
  size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  const std::string prefix = name.substr(0, digits);
  long number = -1;
  if (digits < name.size()) {
    const std::string tail = name.substr(digits, 9);  // keeps stoul within range
    number = std::stol(tail);
  }
  const int family = prefix == "ttyUSB" ? 0 : prefix == "ttyACM" ? 1 : 2;
  return {family, prefix, number, name};
}

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

// True when link (a symlink in dir) leads to target, compared lexically and, where
// both exist, as the same file.
bool LeadsTo(const fs::path& dir, const fs::path& link, const fs::path& target) {
  std::error_code ec;
  const fs::path to = fs::read_symlink(link, ec);
  if (ec) return false;
  const fs::path resolved = (to.is_absolute() ? to : dir / to).lexically_normal();
  if (resolved == target.lexically_normal()) return true;
  return fs::exists(link, ec) && fs::exists(target, ec) && fs::equivalent(link, target, ec);
}

// The driver of the hardware behind a tty. Newer kernels put the serial core's own
// port and controller devices (subsystem serial-base, drivers "port" and "ctrl")
// between the tty and the hardware; those say nothing to a user, so look past them.
std::string DriverOf(const fs::path& deviceLink) {
  std::error_code ec;
  fs::path device = fs::canonical(deviceLink, ec);
  if (ec) return {};
  for (int hop = 0; hop < 4; ++hop) {
    const fs::path subsystem = fs::read_symlink(device / "subsystem", ec);
    if (ec || subsystem.filename() != "serial-base") break;
    device = device.parent_path();
  }
  const fs::path driver = fs::read_symlink(device / "driver", ec);
  return ec ? std::string() : driver.filename().string();
}

}  // namespace

PortNaming::PortNaming(std::string sysClassTty, std::string devRoot)
    : sysRoot_(std::move(sysClassTty)), devRoot_(std::move(devRoot)) {}

void PortNaming::Map(int n, const std::string& path) { mappings_[n] = path; }

bool PortNaming::MapFromText(const std::string& text) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 >= text.size() || eq > 9) return false;
  int n = 0;
  for (size_t i = 0; i < eq; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    n = n * 10 + (text[i] - '0');
  }
  if (n < 1) return false;
  Map(n, text.substr(eq + 1));
  return true;
}

std::vector<SerialDeviceInfo> PortNaming::List() const {
  std::vector<std::pair<SortKey, SerialDeviceInfo>> found;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(sysRoot_, ec)) {
    const std::string name = entry.path().filename().string();
    const fs::path dir = entry.path();
    // Only ttys with hardware behind them have a device link (no consoles, no ptys).
    std::error_code linkEc;
    if (!fs::exists(fs::symlink_status(dir / "device", linkEc)) || linkEc) continue;
    // The 8250 driver registers ports that have no UART; their type reads 0.
    if (name.rfind("ttyS", 0) == 0 && FirstLine(dir / "type") == "0") continue;

    SerialDeviceInfo info;
    info.name = name;
    info.path = (fs::path(devRoot_) / name).string();
    info.driver = DriverOf(dir / "device");
    found.emplace_back(KeyOf(name), std::move(info));
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });

  const fs::path byIdDir = fs::path(devRoot_) / "serial" / "by-id";
  std::vector<fs::path> byIdLinks;
  for (const fs::directory_entry& entry : fs::directory_iterator(byIdDir, ec)) {
    byIdLinks.push_back(entry.path());
  }
  std::sort(byIdLinks.begin(), byIdLinks.end());

  std::vector<SerialDeviceInfo> devices;
  devices.reserve(found.size());
  for (auto& [key, info] : found) {
    for (const fs::path& link : byIdLinks) {
      if (LeadsTo(byIdDir, link, info.path)) {
        info.byId = link.string();
        break;
      }
    }
    devices.push_back(std::move(info));
  }
  return devices;
}

std::string PortNaming::Resolve(int n) const {
  if (const auto it = mappings_.find(n); it != mappings_.end()) return it->second;
  if (n < 1) return {};
  const std::vector<SerialDeviceInfo> devices = List();
  if (static_cast<size_t>(n) > devices.size()) return {};
  return devices[static_cast<size_t>(n) - 1].path;
}

}  // namespace kx
