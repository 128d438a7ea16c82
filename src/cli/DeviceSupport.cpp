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

}  // namespace kx::cli
