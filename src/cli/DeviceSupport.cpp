#include "cli/DeviceSupport.h"

namespace kx::cli {

std::unique_ptr<Port> OpenDevicePort(Env& env, const char* panelText, int& status) {
  if (!env.ports) {
    env.Fail("no port to open");
    status = kExitPort;
    return nullptr;
  }
  LinkError error = LinkError::None;
  auto port = env.ports->Open(env.global.baud, error);
  if (!port) {
    env.Fail(env.ports->Explain(error), panelText ? panelText : "");
    status = kExitPort;
  }
  return port;
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

}  // namespace kx::cli
