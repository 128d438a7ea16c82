#include "link/Port.h"

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

}  // namespace kx
