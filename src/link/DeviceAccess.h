#pragma once
// Who may open a serial device, for the texts that tell a user what to do when
// it would not open.

#include <optional>
#include <string>

namespace kx {

struct DeviceAccess {
  bool group = false;  // name is a group whose members may read and write it
  std::string name;    // otherwise only this owning user may
};

// The device's group when the group bits give reading and writing (joining the
// group helps), otherwise its owner; nullopt when path cannot be looked at.
std::optional<DeviceAccess> DeviceAccessOf(const std::string& path);

}  // namespace kx
