#include "texts/EnglishTexts.h"

#include "link/DeviceAccess.h"
#include "link/NetLine.h"

namespace kx {

const char* Describe(LinkError error) {
  switch (error) {
    case LinkError::None: return "no error";
    case LinkError::NotFound: return "no such serial device";
    case LinkError::NoPermission: return "no permission to open the serial device";
    case LinkError::InUse: return "the serial device is in use by another program";
    case LinkError::BadSettings: return "the serial device refused the line settings";
    case LinkError::HungUp: return "the serial device hung up (unplugged?)";
    case LinkError::Timeout: return "the transfer timed out";
    case LinkError::NotOpen: return "no serial port is open";
    case LinkError::Io: return "serial input/output error";
    case LinkError::Cancelled: return "stopped on request";
    case LinkError::UnknownHost: return "host name not found";
    case LinkError::Refused: return "connection refused";
    case LinkError::NoRoute: return "no route to the host";
  }
  return "unknown serial error";
}

std::string DescribeOutcome(ExchangeOutcome outcome, LinkError cause, ReplyCount count) {
  // A hang-up, a stop or a system error says more than the outcome it caused.
  if (cause == LinkError::HungUp || cause == LinkError::Io || cause == LinkError::Cancelled) return Describe(cause);
  const bool known = count.expected != 0;
  const std::string expected = std::to_string(count.expected);
  const std::string received = std::to_string(count.received);
  switch (outcome) {
    case ExchangeOutcome::Ok: return "ok";
    case ExchangeOutcome::WrongCount:
    case ExchangeOutcome::ShortRead:
      if (!known) return "the unit's reply was missing or had the wrong length";
      if (count.received == 0) return "the unit did not reply";
      if (count.received < count.expected)
        return "the unit's reply was cut short: " + received + " of " + expected + " bytes";
      return "the unit's reply had the wrong length: " + expected + " bytes expected, " + received + " received";
    case ExchangeOutcome::BadChecksum: return "the unit's reply has a wrong checksum";
    case ExchangeOutcome::WriteFailed: return std::string("the request could not be sent: ") + Describe(cause);
  }
  return "the exchange failed";
}

std::string ExplainOpenFailure(const std::string& path, LinkError error) {
  if (IsNetPortName(path)) {
    // The host is in the name; the device texts would mislead.
    const char* cause = error == LinkError::NotFound ? "not a network port name (tcp://HOST:PORT or rfc2217://HOST:PORT)"
                        : error == LinkError::HungUp ? "the server closed the connection (its serial line is busy or cannot be opened)"
                        : error == LinkError::Timeout ? "no answer from the host within the connect time-out"
                                                      : Describe(error);
    return "cannot open " + path + ": " + cause;
  }
  std::string text = "cannot open " + path + ": " + Describe(error);
  switch (error) {
    case LinkError::NoPermission:
      if (const auto access = DeviceAccessOf(path)) {
        if (access->group)
          text += "; the device belongs to group '" + access->name + "': join it with 'sudo usermod -aG " +
                  access->name + " $USER' and log in again";
        else
          text += "; no group may use the device, only its owner '" + access->name +
                  "' (its mode gives the group no read and write access)";
      }
      break;
    case LinkError::InUse: text += " (close it; 'fuser " + path + "' names it)"; break;
    default: break;
  }
  return text;
}

}  // namespace kx
