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

std::string DescribeOutcome(ExchangeOutcome outcome, LinkError cause) {
  // A hang-up or a system error says more than the outcome it caused.
  if (cause == LinkError::HungUp || cause == LinkError::Io) return Describe(cause);
  switch (outcome) {
    case ExchangeOutcome::Ok: return "ok";
    case ExchangeOutcome::WrongCount: return "the unit did not answer with a reply of the expected length in time";
    case ExchangeOutcome::ShortRead: return "the unit's reply was cut short";
    case ExchangeOutcome::BadChecksum: return "the unit's reply has a wrong checksum";
    case ExchangeOutcome::WriteFailed: return std::string("the request could not be sent: ") + Describe(cause);
  }
  return "the exchange failed";
}

}  // namespace kx::cli
