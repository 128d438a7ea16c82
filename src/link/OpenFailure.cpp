#include "link/OpenFailure.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <optional>

#include "link/NetLine.h"

namespace kx {

namespace {

// Who may open the device: its group when the group bits give reading and
// writing (joining it helps), otherwise only its owner.
struct Access {
  bool group = false;  // name is a group to join; otherwise the owning user
  std::string name;
};

std::optional<Access> DeviceAccess(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
    const group* g = ::getgrgid(st.st_gid);
    return Access{true, g ? std::string(g->gr_name) : std::to_string(st.st_gid)};
  }
  const passwd* u = ::getpwuid(st.st_uid);
  return Access{false, u ? std::string(u->pw_name) : std::to_string(st.st_uid)};
}

}  // namespace

std::string ExplainOpenFailure(const std::string& path, LinkError error) {
  std::string text = "cannot open " + path + ": ";
  switch (error) {
    case LinkError::NotFound:
      text += IsNetPortName(path) ? "not a network port name (tcp://HOST:PORT or rfc2217://HOST:PORT)"
                                  : "no such device (list the serial ports with 'kx4200-cli ports')";
      break;
    case LinkError::NoPermission:
      text += "no permission";
      if (const auto access = DeviceAccess(path)) {
        if (access->group)
          text += "; the device belongs to group '" + access->name + "': join it with 'sudo usermod -aG " +
                  access->name + " $USER' and log in again";
        else
          text += "; no group may use the device, only its owner '" + access->name +
                  "' (its mode gives the group no read and write access)";
      }
      break;
    case LinkError::InUse:
      text += "in use by another program (close it; 'fuser " + path + "' names it)";
      break;
    case LinkError::HungUp:
      text += IsNetPortName(path) ? "the server closed the connection (its serial line is busy or cannot be opened)"
                                  : "the device hung up (unplugged?)";
      break;
    case LinkError::Timeout:
      text += IsNetPortName(path) ? "no answer from the host within the connect time-out" : Describe(error);
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
      const auto access = DeviceAccess(path);
      if (!access) return "没有权限";
      return access->group ? "没有权限 (需要加入 " + access->name + " 组)"
                           : "没有权限 (只有 " + access->name + " 可以使用)";
    }
    case LinkError::InUse: return "端口被其他程序占用";
    case LinkError::BadSettings: return "串口不支持此设置";
    case LinkError::HungUp: return "设备已断开";
    case LinkError::Timeout: return "通讯超时";
    case LinkError::NotOpen: return "串口未打开";
    case LinkError::Io: return "串口读写错误";
    case LinkError::Cancelled: return "已取消";
    case LinkError::UnknownHost: return "主机名未找到";
    case LinkError::Refused: return "连接被拒绝";
    case LinkError::NoRoute: return "网络不可达";
  }
  return {};
}

}  // namespace kx
