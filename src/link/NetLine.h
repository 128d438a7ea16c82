#pragma once
// Units behind a serial server on the network: the port names that mean one, the
// connection, and the Telnet COM port control (RFC 2217) spoken with the server.
//
//   tcp://HOST:PORT[?extra-wait=MS]      raw bytes; the line's settings are the server's
//   rfc2217://HOST:PORT[?extra-wait=MS]  Telnet with COM port control: the tool sets the
//                                        baud rate and 8N1, and purges remotely
//
// HOST is an IPv4 address, an IPv6 address in brackets or a host name.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <string>
#include <vector>

#include "link/Port.h"

namespace kx {

enum class NetScheme { Tcp, Rfc2217 };

struct NetAddress {
  NetScheme scheme = NetScheme::Tcp;
  std::string host;  // without brackets
  int port = 0;
  int extraWaitMs = kDefaultNetExtraWaitMs;  // added to every reply wait

  static constexpr int kDefaultNetExtraWaitMs = 100;
};

// True when name is written as a network port (it starts with tcp:// or rfc2217://),
// whether or not the rest is well formed.
bool IsNetPortName(std::string_view name);
// nullopt with error set when the name is not a well-formed network port.
std::optional<NetAddress> ParseNetPortName(std::string_view name, std::string& error);

// Connects to the address by TCP within timeoutMs, watching the given descriptors
// (eventfds) for an interruption. The socket is non-blocking, with TCP_NODELAY.
// Returns -1 with error set: UnknownHost, Refused, NoRoute, Timeout, Cancelled, Io.
int ConnectTcp(const NetAddress& address, int timeoutMs, std::span<const int> wakeFds, LinkError& error);

// Telnet as the COM port control needs it: data bytes escaped and unescaped
// (0xFF doubled), option negotiation answered, the server's COM port answers noted.
class TelnetCodec {
 public:
  static constexpr uint8_t kIac = 255, kSb = 250, kSe = 240, kWill = 251, kWont = 252, kDo = 253, kDont = 254;
  static constexpr uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;
  // COM port control commands (client to server); the server answers each with +100.
  static constexpr uint8_t kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4, kSetControl = 5,
                           kPurgeData = 12;

  // What the client says when the connection opens (the codec starts as if it had
  // been said).
  static std::vector<uint8_t> Greeting();
  // The data with every 0xFF doubled.
  static std::vector<uint8_t> Escape(std::span<const uint8_t> data);
  // IAC SB COM-PORT-OPTION command value... IAC SE, the value escaped.
  static std::vector<uint8_t> ComPortCommand(uint8_t command, std::span<const uint8_t> value);
  // Baud, 8 data bits, no parity, 1 stop bit, no flow control.
  static std::vector<uint8_t> LineSettings(int baud);

  // Takes bytes from the server: data goes to data, answers to negotiation to
  // replies. Sequences may be split across calls.
  void Decode(std::span<const uint8_t> in, std::vector<uint8_t>& data, std::vector<uint8_t>& replies);
  // True once the server has answered the COM port command (with its +100 code).
  bool Answered(uint8_t command) const { return command < 32 && (answered_ & (1u << command)) != 0; }
  void Reset() { *this = TelnetCodec(); }

 private:
  enum class State { Data, Iac, Option, Sub, SubIac };
  void Negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t>& replies);
  void EndSub();

  State state_ = State::Data;
  uint8_t verb_ = 0;
  std::vector<uint8_t> sub_;
  uint32_t answered_ = 0;
  // The options we have said WILL and DO to (each below 64), so that an
  // acknowledgement is not answered again.
  uint64_t will_ = (uint64_t{1} << kBinary) | (uint64_t{1} << kSuppressGoAhead) | (uint64_t{1} << kComPort);
  uint64_t do_ = (uint64_t{1} << kBinary) | (uint64_t{1} << kSuppressGoAhead);
};

}  // namespace kx
