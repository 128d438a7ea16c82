#include "link/OpenFailure.h"

#include <grp.h>
#include <sys/stat.h>

#include <optional>

namespace kx {

namespace {

// The group that owns the device (the one to join), when the device can be looked at.
std::optional<std::string> DeviceGroup(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  const group* g = ::getgrgid(st.st_gid);
  return g ? std::string(g->gr_name) : std::to_string(st.st_gid);
}

}  // namespace

std::string ExplainOpenFailure(const std::string& path, LinkError error) {
  std::string text = "cannot open " + path + ": ";
  switch (error) {
    case LinkError::NotFound:
      text += "no such device (list the serial ports with 'kx4200-cli ports')";
      break;
    case LinkError::NoPermission:
      text += "no permission";
      if (const auto name = DeviceGroup(path)) {
        text += "; the device belongs to group '" + *name + "': join it with 'sudo usermod -aG " + *name +
                " $USER' and log in again";
      }
      break;
    case LinkError::InUse:
      text += "in use by another program (close it; 'fuser " + path + "' names it)";
      break;
    case LinkError::HungUp:
      text += "the device hung up (unplugged?)";
      break;
    default:
      text += Describe(error);
      break;
  }
  return text;
}

std::string OpenFailureCause(const std::string& path, LinkError error) {
  switch (error) {
    case LinkError::None: return {};
    case LinkError::NotFound: return "设备不存在";
    case LinkError::NoPermission: {
      const auto name = DeviceGroup(path);
      return name ? "没有权限 (需要加入 " + *name + " 组)" : "没有权限";
    }
    case LinkError::InUse: return "端口被其他程序占用";
    case LinkError::BadSettings: return "串口不支持此设置";
    case LinkError::HungUp: return "设备已断开";
    case LinkError::Timeout: return "通讯超时";
    case LinkError::NotOpen: return "串口未打开";
    case LinkError::Io: return "串口读写错误";
    case LinkError::Cancelled: return "已取消";
  }
  return {};
}

}  // namespace kx
