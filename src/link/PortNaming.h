#pragma once
// Port numbers as the panel shows them, and the device paths they mean.
//
// Rule: an explicit mapping (--com N=PATH) wins. Otherwise port N is the N-th
// serial device found under /sys/class/tty, in this order: USB adapters
// (ttyUSB*, by number), USB modems and CDC adapters (ttyACM*, by number), then
// the other serial ports that have a real device behind them (ttyS*, ttyAMA*, ...,
// by name and number). So with one USB adapter plugged in, port 1 is that adapter.

#include <map>
#include <string>
#include <vector>

namespace kx {

struct SerialDeviceInfo {
  std::string name;    // e.g. "ttyUSB0"
  std::string path;    // e.g. "/dev/ttyUSB0"
  std::string driver;  // e.g. "ftdi_sio", "cp210x", "serial8250"; empty when unknown
  std::string byId;    // stable name under /dev/serial/by-id, empty when none
};

class PortNaming {
 public:
  // sysRoot and devRoot can point at a fake tree in tests.
  explicit PortNaming(std::string sysClassTty = "/sys/class/tty", std::string devRoot = "/dev");

  // Adds or replaces an explicit mapping of port number n to a path.
  void Map(int n, const std::string& path);
  // Parses "N=PATH"; false when the text is not of that form (N a positive integer).
  bool MapFromText(const std::string& text);
  const std::map<int, std::string>& Mappings() const { return mappings_; }

  // The serial devices found, in port-number order (port 1 first).
  std::vector<SerialDeviceInfo> List() const;
  // The device path port n means, or an empty string when there is none.
  std::string Resolve(int n) const;

 private:
  std::string sysRoot_;
  std::string devRoot_;
  std::map<int, std::string> mappings_;
};

}  // namespace kx
