#include "monitor/UnitOption.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <map>
#include <set>

#include "link/CommandTable.h"
#include "link/NetLine.h"

namespace kx::monitor {

namespace {

std::optional<int> Whole(const std::string& text, int low, int high) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return std::nullopt;
  return v;
}

// Text after a ':' that was meant as a number ("-1", "+5", "0x1", "256"), as
// opposed to a part of a device name ("1.0-port0" in a by-path name).
bool NumberLike(const std::string& text) {
  std::string_view t = text;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) t.remove_prefix(1);
  if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) return true;
  return !t.empty() && std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::string Basename(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::string_view kExtraWait = "?extra-wait=";

// scheme://HOST:PORT[?extra-wait=MS][:ADDRESS], the baud rate and name already taken off.
std::optional<UnitOption> NetUnit(const std::string& text, std::string rest, UnitOption unit, std::string& error) {
  const size_t host = rest.find("://") + 3;
  const size_t hostEnd = rest.compare(host, 1, "[") == 0 ? rest.find(']', host) : host;
  const size_t portColon = hostEnd == std::string::npos ? std::string::npos : rest.find(':', hostEnd);
  if (const size_t colon = portColon == std::string::npos ? portColon : rest.find(':', portColon + 1);
      colon != std::string::npos) {
    const auto address = Whole(rest.substr(colon + 1), 0, 255);
    if (!address) {
      error = "the address in '" + text + "' must be 0..255";
      return std::nullopt;
    }
    unit.address = *address;
    rest.resize(colon);
  }
  const std::optional<NetAddress> net = ParseNetPortName(rest, error);
  if (!net) return std::nullopt;
  unit.port = rest;
  if (unit.name.empty())
    unit.name = CleanName("kx4200_" + net->host + "_" + std::to_string(net->port) + "_" + std::to_string(unit.address));
  return unit;
}

}  // namespace

std::string CleanName(const std::string& text) {
  std::string out;
  for (unsigned char c : text) out += std::isalnum(c) && c < 0x80 ? static_cast<char>(std::tolower(c)) : '_';
  return out;
}

std::optional<UnitOption> ParseUnitOption(const std::string& text, std::string& error) {
  UnitOption unit;
  std::string rest = text;
  // The name last: it may hold ':' or '@' before it is cleaned. A network port's
  // own setting (?extra-wait=MS) holds a '=' too.
  const size_t query = IsNetPortName(rest) ? rest.find(kExtraWait) : std::string::npos;
  const size_t nameFrom = query == std::string::npos ? 0 : query + kExtraWait.size();
  if (const size_t eq = rest.find('=', nameFrom); eq != std::string::npos) {
    unit.name = CleanName(rest.substr(eq + 1));
    if (unit.name.empty()) {
      error = "the name after '=' is empty in '" + text + "'";
      return std::nullopt;
    }
    rest.resize(eq);
  }
  if (const size_t at = rest.rfind('@'); at != std::string::npos) {
    const auto baud = Whole(rest.substr(at + 1), 1, 1000000);
    if (!baud || !IsBaudRate(*baud)) {
      error = "the baud rate in '" + text + "' must be " + JoinBaudRates(", ", " or ");
      return std::nullopt;
    }
    unit.baud = *baud;
    rest.resize(at);
    if (rest.find('@') != std::string::npos) {
      error = "the baud rate is given twice in '" + text + "'";
      return std::nullopt;
    }
  }
  if (IsNetPortName(rest)) return NetUnit(text, rest, unit, error);
  // A path may hold ':' itself (by-id names do); the address is digits after the last one.
  if (const size_t colon = rest.rfind(':'); colon != std::string::npos) {
    const std::string tail = rest.substr(colon + 1);
    if (const auto address = Whole(tail, 0, 255)) {
      unit.address = *address;
      rest.resize(colon);
      if (const size_t before = rest.rfind(':'); before != std::string::npos && NumberLike(rest.substr(before + 1))) {
        error = "more than one address in '" + text + "'";
        return std::nullopt;
      }
    } else if (rest.find('/') == std::string::npos || tail.empty() || NumberLike(tail)) {
      error = "the address in '" + text + "' must be 0..255";
      return std::nullopt;
    }
  }
  if (rest.empty()) {
    error = "'" + text + "' names no port (PATH or port number)";
    return std::nullopt;
  }
  if (rest.find('/') == std::string::npos && !Whole(rest, 1, 9999)) {
    error = "'" + rest + "' is neither a device path nor a port number from 1";
    return std::nullopt;
  }
  unit.port = rest;
  if (unit.name.empty()) unit.name = CleanName("kx4200_" + Basename(rest) + "_" + std::to_string(unit.address));
  return unit;
}

std::string CheckUnits(const std::vector<UnitOption>& units) {
  std::map<std::string, int> baudOfPort;
  std::set<std::pair<std::string, int>> addresses;
  std::set<std::string> names;
  for (const UnitOption& u : units) {
    const auto [it, fresh] = baudOfPort.emplace(u.port, u.baud);
    if (!fresh && it->second != u.baud)
      return "the units on " + u.port + " must share one baud rate (one line, one rate)";
    if (!addresses.emplace(u.port, u.address).second)
      return "address " + std::to_string(u.address) + " on " + u.port + " is given twice";
    if (!names.insert(u.name).second) return "the name " + u.name + " is given twice";
  }
  return {};
}

}  // namespace kx::monitor
