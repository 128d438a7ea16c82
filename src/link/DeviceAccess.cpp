#include "link/DeviceAccess.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace kx {

std::optional<DeviceAccess> DeviceAccessOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
    const group* g = ::getgrgid(st.st_gid);
    return DeviceAccess{true, g ? std::string(g->gr_name) : std::to_string(st.st_gid)};
  }
  const passwd* u = ::getpwuid(st.st_uid);
  return DeviceAccess{false, u ? std::string(u->pw_name) : std::to_string(st.st_uid)};
}

}  // namespace kx
