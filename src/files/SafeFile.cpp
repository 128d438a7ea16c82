#include "files/SafeFile.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <random>
#include <utility>

#include "files/WriteAll.h"

namespace kx::files {

namespace {

FileResult Fail(FileError error, const std::string& path, int sysError = errno) { return {error, sysError, path}; }

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---- temporaries that a signal must not leave behind ----

constexpr size_t kSlots = 32;
struct Slot {
  std::atomic<bool> taken{false};
  std::atomic<bool> ready{false};
  char path[PATH_MAX];
};
std::array<Slot, kSlots> g_slots;

int Register(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (size_t i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (g_slots[i].taken.compare_exchange_strong(expected, true)) {
      std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
      g_slots[i].ready.store(true);
      return static_cast<int>(i);
    }
  }
  return -1;  // more temporaries at once than slots: still written, just not cleaned by a signal
}

void Unregister(int slot) {
  if (slot < 0) return;
  g_slots[static_cast<size_t>(slot)].ready.store(false);
  g_slots[static_cast<size_t>(slot)].taken.store(false);
}

std::mutex g_faultMutex;
std::function<int(size_t)> g_fault;

int InjectedFault(size_t soFar) {
  std::lock_guard lock(g_faultMutex);
  return g_fault ? g_fault(soFar) : 0;
}

bool WriteFully(int fd, const uint8_t* data, size_t size) {
  if (const int fault = InjectedFault(0)) {
    errno = fault;
    return false;
  }
  return WriteAll(fd, data, size) == size;
}

// A temporary beside target, created under the umask (mkstemp would make it 0600).
int CreateTemporary(const std::string& target, std::string& temporary) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  const char* const letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target + ".";
    for (int i = 0; i < 6; ++i) temporary += letters[random() % 62];
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// A folder that takes no temporary (no write permission) still lets an existing
// file that may be written be rewritten in place.
bool MayRewriteInPlace(int createError, bool existed, const std::string& target) {
  return (createError == EACCES || createError == EPERM) && existed && ::access(target.c_str(), W_OK) == 0;
}

// stat() failed for a reason other than a name that does not exist yet (a link
// loop, a folder that may not be searched): no file can be written there.
bool Unreachable(int statError) { return statError != ENOENT && statError != ENOTDIR; }

// A replaced file keeps its permissions, and its owner where the process may keep it.
void KeepOwnership(int fd, const struct stat& old) {
  ::fchmod(fd, old.st_mode & 07777);
  if (::geteuid() == 0 || old.st_uid == ::geteuid()) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not a member of the old group: the file keeps ours, which is no failure of the save.
    }
  }
}

void SyncFolder(const std::string& target) {
  const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

// Opens the file that will receive the content: a temporary (replace = true) or,
// when the folder takes none but the target is writable, the target itself.
struct Destination {
  int fd = -1;
  int slot = -1;
  std::string target;
  std::string temporary;  // empty when writing in place
  bool existed = false;
  struct stat old{};
};

FileResult OpenDestination(const std::string& path, Destination& d) {
  if (path.empty()) return Fail(FileError::EmptyName, path, 0);
  d.target = FinalTarget(path);
  d.existed = ::stat(d.target.c_str(), &d.old) == 0;
  if (!d.existed && Unreachable(errno)) return Fail(FileError::CreateFailed, path);
  if (d.existed && S_ISDIR(d.old.st_mode)) return Fail(FileError::IsDirectory, path, 0);
  if (d.existed && !S_ISREG(d.old.st_mode)) return Fail(FileError::NotRegular, path, 0);
  d.fd = CreateTemporary(d.target, d.temporary);
  if (d.fd >= 0) {
    d.slot = Register(d.temporary);
    if (d.existed) KeepOwnership(d.fd, d.old);
    return {};
  }
  const int error = errno;
  d.temporary.clear();
  if (MayRewriteInPlace(error, d.existed, d.target)) {
    d.fd = ::open(d.target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (d.fd >= 0) return {};
  }
  return Fail(error == ENOENT || error == ENOTDIR ? FileError::NoFolder : FileError::CreateFailed, path, error);
}

void Abandon(Destination& d) {
  if (d.fd >= 0) ::close(d.fd);
  d.fd = -1;
  if (!d.temporary.empty()) ::unlink(d.temporary.c_str());
  Unregister(d.slot);
  d.slot = -1;
}

// Syncs the content and puts it in place; the descriptor stays open when keepOpen.
FileResult Finish(const std::string& path, Destination& d, const WriteOptions& options, bool keepOpen) {
  if (::fsync(d.fd) != 0) {
    const FileResult r = Fail(FileError::WriteFailed, path);
    Abandon(d);
    return r;
  }
  if (!keepOpen) {
    const int fd = std::exchange(d.fd, -1);
    if (::close(fd) != 0) {
      const FileResult r = Fail(FileError::WriteFailed, path);
      Abandon(d);
      return r;
    }
  }
  if (d.temporary.empty()) return {};  // written in place
  if (options.beforeReplace && !options.beforeReplace(d.temporary)) {
    // As if the process had died here: the temporary stays for the test to look at.
    Unregister(d.slot);
    if (d.fd >= 0) ::close(std::exchange(d.fd, -1));
    return Fail(FileError::Interrupted, path, 0);
  }
  if (::rename(d.temporary.c_str(), d.target.c_str()) != 0) {
    const FileResult r = Fail(FileError::RenameFailed, path);
    Abandon(d);
    return r;
  }
  Unregister(d.slot);
  d.slot = -1;
  d.temporary.clear();
  SyncFolder(d.target);
  return {};
}

struct Identity {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  std::string name;  // for files that do not exist yet
};

Identity IdentityOf(const std::string& path) {
  Identity id;
  struct stat st{};
  if (::stat(path.c_str(), &st) == 0) {
    id.exists = true;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    return id;
  }
  const std::string target = FinalTarget(path);
  char folder[PATH_MAX];
  id.name = ::realpath(FolderOf(target).c_str(), folder) != nullptr ? std::string(folder) + "/" + BaseOf(target)
                                                                     : target;
  return id;
}

bool Same(const Identity& a, const Identity& b) {
  if (a.exists != b.exists) return false;
  return a.exists ? a.dev == b.dev && a.ino == b.ino : a.name == b.name;
}

}  // namespace

std::string Describe(const FileResult& r) {
  const std::string cause = r.sysError != 0 ? std::string(": ") + std::strerror(r.sysError) : std::string();
  switch (r.error) {
    case FileError::None: return {};
    case FileError::EmptyName: return "an empty file name";
    case FileError::IsDirectory: return r.path + " is a folder";
    case FileError::NotRegular: return r.path + " is not a regular file";
    case FileError::SameFile: return r.path + " is the same file as another input or output";
    case FileError::NoFolder: return "the folder of " + r.path + " does not exist";
    case FileError::OpenFailed: return "cannot open " + r.path + cause;
    case FileError::CreateFailed: return "cannot create " + r.path + cause;
    case FileError::WriteFailed: return "cannot write " + r.path + cause;
    case FileError::RenameFailed: return "cannot replace " + r.path + cause;
    case FileError::Interrupted: return "writing " + r.path + " was interrupted";
  }
  return "cannot write " + r.path;
}

std::string FinalTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer - 1);
    if (n < 0) return current;
    const std::string link(buffer, static_cast<size_t>(n));
    current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
  }
  return current;  // a loop: the open will report it
}

bool TargetExists(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0;
}

FileResult CheckOutput(const std::string& path) {
  if (path.empty()) return Fail(FileError::EmptyName, path, 0);
  if (path.back() == '/') return Fail(FileError::IsDirectory, path, 0);
  struct stat st{};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  const std::string target = FinalTarget(path);
  if (exists) {
    if (S_ISDIR(st.st_mode)) return Fail(FileError::IsDirectory, path, 0);
    if (!S_ISREG(st.st_mode)) return Fail(FileError::NotRegular, path, 0);
  } else {
    if (Unreachable(errno)) return Fail(FileError::CreateFailed, path);
    struct stat folder{};
    if (::stat(FolderOf(target).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
      return Fail(FileError::NoFolder, path, 0);
  }
  // A folder that takes no new file (read-only, no permission) is found now, not
  // after a whole exchange: a temporary is made beside the target and removed again.
  std::string probe;
  const int fd = CreateTemporary(target, probe);
  if (fd < 0) {
    const int error = errno;
    if (MayRewriteInPlace(error, exists, target)) return {};
    return Fail(FileError::CreateFailed, path, error);
  }
  const int slot = Register(probe);
  ::close(fd);
  ::unlink(probe.c_str());
  Unregister(slot);
  return {};
}

FileResult CheckOutputs(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs) {
  for (const std::string& out : outputs) {
    const FileResult r = CheckOutput(out);
    if (!r.ok()) return r;
  }
  std::vector<Identity> seen;
  for (const std::string& in : inputs) seen.push_back(IdentityOf(in));
  for (const std::string& out : outputs) {
    const Identity id = IdentityOf(out);
    for (const Identity& other : seen)
      if (Same(id, other)) return Fail(FileError::SameFile, out, 0);
    seen.push_back(id);
  }
  return {};
}

int OpenInput(const std::string& path, FileResult& result) {
  if (path.empty()) {
    result = Fail(FileError::EmptyName, path, 0);
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    result = Fail(FileError::OpenFailed, path);
    return -1;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    result = Fail(S_ISDIR(st.st_mode) ? FileError::IsDirectory : FileError::NotRegular, path, 0);
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  result = {};
  return fd;
}

FileResult WriteFile(const std::string& path, std::span<const uint8_t> bytes, const WriteOptions& options) {
  Destination d;
  FileResult r = OpenDestination(path, d);
  if (!r.ok()) return r;
  if (!WriteFully(d.fd, bytes.data(), bytes.size())) {
    r = Fail(FileError::WriteFailed, path);
    Abandon(d);
    return r;
  }
  return Finish(path, d, options, false);
}

StreamFile::StreamFile(std::string path) : m_path(std::move(path)) {}

StreamFile::~StreamFile() { Close(); }

FileResult StreamFile::Append(std::string_view text) {
  if (m_failed) return Fail(FileError::WriteFailed, m_path, 0);
  const auto* data = reinterpret_cast<const uint8_t*>(text.data());
  if (m_fd < 0) {
    Destination d;
    FileResult r = OpenDestination(m_path, d);
    if (r.ok() && !WriteFully(d.fd, data, text.size())) {
      r = Fail(FileError::WriteFailed, m_path);
      Abandon(d);
    }
    if (r.ok()) r = Finish(m_path, d, {}, true);
    if (!r.ok()) {
      m_failed = true;
      return r;
    }
    m_fd = d.fd;
    return {};
  }
  if (!WriteFully(m_fd, data, text.size())) {
    m_failed = true;
    return Fail(FileError::WriteFailed, m_path);
  }
  return {};
}

FileResult StreamFile::Close() {
  if (m_fd < 0) return {};
  const int fd = std::exchange(m_fd, -1);
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  if (::close(fd) != 0 || !synced) return Fail(FileError::WriteFailed, m_path, synced ? errno : error);
  return {};
}

void RemoveTemporaries() {
  for (Slot& slot : g_slots) {
    if (slot.ready.load()) ::unlink(slot.path);
  }
}

namespace {
void CleanupHandler(int signal) {
  RemoveTemporaries();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}
}  // namespace

void InstallSignalCleanup() {
  struct sigaction action{};
  action.sa_handler = CleanupHandler;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

void SetWriteFault(std::function<int(size_t)> fault) {
  std::lock_guard lock(g_faultMutex);
  g_fault = std::move(fault);
}

}  // namespace kx::files
