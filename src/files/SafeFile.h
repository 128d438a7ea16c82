#pragma once
// Every file the tool writes goes through here: outputs are checked before the unit
// is asked anything, replaced atomically, written through symbolic links, created
// under the umask, and never left half-written or as stray temporaries.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kx::files {

enum class FileError {
  None,
  EmptyName,     // "" given as a file name
  IsDirectory,   // the name is a folder
  NotRegular,    // a device, FIFO or socket
  SameFile,      // the same file as another input or output of the command
  NoFolder,      // the folder does not exist
  OpenFailed,    // an input cannot be opened
  CreateFailed,  // neither a temporary beside the target nor the target itself can be written
  WriteFailed,   // write, flush or sync failed (disk full, quota, I/O)
  RenameFailed,  // the temporary could not replace the target
  Interrupted,   // stopped before the replacement (test seam)
};

struct FileResult {
  FileError error = FileError::None;
  int sysError = 0;  // errno of the failing call
  std::string path;  // the file concerned
  bool ok() const { return error == FileError::None; }
};

// "cannot write out.csv: No space left on device" and the like (English).
std::string Describe(const FileResult& result);

// The file a path finally names after following symbolic links (a dangling link
// names its missing target). Relative targets are taken from the link's folder.
std::string FinalTarget(const std::string& path);

// Something already stands at path (a dangling link counts): the overwrite question applies.
bool TargetExists(const std::string& path);

// An output the command may write: not empty, not a folder, not an existing
// non-regular file, not a link loop, in a folder that exists and takes a new
// file (tried with a temporary that is removed again) or holding a file that
// may be rewritten in place.
FileResult CheckOutput(const std::string& path);

// Every output checked, and no two of inputs and outputs the same file (device
// and inode after links; names that do not exist yet compare by their final path).
FileResult CheckOutputs(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);

// Opens an input without blocking (a FIFO named like a curve file must not hang
// the tool) and refuses anything but a regular file. Returns the descriptor,
// blocking again, or -1 with the result filled in.
int OpenInput(const std::string& path, FileResult& result);

struct WriteOptions {
  // After the temporary is complete and synced, before it replaces the target;
  // returning false stops there as if the process had died (tests).
  std::function<bool(const std::string& temporaryPath)> beforeReplace;
};

// Writes bytes to path as one atomic replacement: a temporary in the target's
// folder, written, synced, given the old file's mode (and owner where allowed),
// renamed over the target, the folder synced. When the folder cannot take a
// temporary but the existing target is writable, the target is rewritten in
// place. On any failure no target is changed and no temporary remains.
FileResult WriteFile(const std::string& path, std::span<const uint8_t> bytes, const WriteOptions& options = {});
inline FileResult WriteFile(const std::string& path, std::string_view text, const WriteOptions& options = {}) {
  return WriteFile(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), options);
}

// A file written row by row (live logs): the existing file is left alone until
// the first block has been written to its replacement; then every Append goes to
// the file at once (no user-space buffering), so a killed process loses nothing
// already appended.
class StreamFile {
 public:
  explicit StreamFile(std::string path);
  ~StreamFile();
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;

  // The first call replaces the target with text; later calls append it.
  FileResult Append(std::string_view text);
  // Ends writing (the file stays as it is). Closing after a failure is harmless.
  FileResult Close();
  bool IsOpen() const { return m_fd >= 0; }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
  int m_fd = -1;
  bool m_failed = false;
};

// Temporaries are registered while they exist so that SIGINT/SIGTERM can remove
// them. RemoveTemporaries is async-signal-safe: a command's own signal handler
// calls it; InstallSignalCleanup installs a handler that does only that and then
// lets the signal end the process as usual.
void RemoveTemporaries();
void InstallSignalCleanup();

// Tests: a fault injected into every write of file contents (return an errno
// such as ENOSPC to fail, 0 to go on); nullptr for none.
void SetWriteFault(std::function<int(size_t bytesSoFar)> fault);

}  // namespace kx::files
