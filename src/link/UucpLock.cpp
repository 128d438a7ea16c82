#include "link/UucpLock.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kx {

namespace {

bool IsWritableFolder(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK) == 0;
}

// The PID a lock file names (ASCII, possibly padded), 0 when unreadable.
pid_t LockOwner(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return 0;
  char text[32] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n <= 0) return 0;
  return static_cast<pid_t>(std::strtol(text, nullptr, 10));
}

bool Alive(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

}  // namespace

std::string UucpLock::Folder() {
  if (const char* folder = std::getenv("KX4200_LOCK_DIR"); folder != nullptr && *folder != '\0') return folder;
  for (const char* folder : {"/run/lock", "/var/lock"})
    if (IsWritableFolder(folder)) return folder;
  return {};
}

LinkError UucpLock::Acquire(const std::string& devicePath) {
  Release();
  const std::string folder = Folder();
  if (folder.empty() || !IsWritableFolder(folder)) return LinkError::None;
  char real[PATH_MAX];
  const std::string device = ::realpath(devicePath.c_str(), real) != nullptr ? real : devicePath;
  const std::string name = device.substr(device.rfind('/') + 1);
  const std::string file = folder + "/LCK.." + name;

  for (int attempt = 0; attempt < 2; ++attempt) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd >= 0) {
      char text[16];
      const int n = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
      const bool written = ::write(fd, text, static_cast<size_t>(n)) == n;
      ::close(fd);
      if (!written) {
        ::unlink(file.c_str());
        return LinkError::None;  // a full lock folder must not keep the port from opening
      }
      file_ = file;
      return LinkError::None;
    }
    if (errno != EEXIST) return LinkError::None;
    const pid_t owner = LockOwner(file);
    if (owner == ::getpid() || Alive(owner)) return LinkError::InUse;
    ::unlink(file.c_str());  // stale: its owner is gone
  }
  return LinkError::InUse;
}

void UucpLock::Release() {
  if (file_.empty()) return;
  if (LockOwner(file_) == ::getpid()) ::unlink(file_.c_str());
  file_.clear();
}

}  // namespace kx
