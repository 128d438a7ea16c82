// ReadCurveFile on arbitrary file contents, through both of its forms; an
// accepted image is then loaded as the panel would load it.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "curves/CurveFile.h"
#include "curves/CurveGroup.h"
#include "link/CommandTable.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/kx_fuzz_curve_" + std::to_string(getpid()) + ".bin";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = ScratchPath();
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) std::abort();
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) std::abort();
    done += static_cast<size_t>(n);
  }
  close(fd);

  const kx::CurveFileRead whole = kx::ReadCurveFile(path);
  if (whole.result.ok()) {
    if (whole.image.size() > kx::kGroupImageCapacity) std::abort();
    CCurveGroup group;
    group.LoadGroupImage(whole.image);
  } else if (!whole.image.empty()) {
    std::abort();  // a refused file must yield no image
  }

  // The buffer form must never write past its buffer nor touch it on failure.
  std::vector<uint8_t> buffer(kx::kGroupImageCapacity, 0xA5);
  size_t length = 12345;
  const kx::CurveFileResult r = kx::ReadCurveFile(path, buffer, length);
  if (r.ok() != whole.result.ok()) std::abort();
  if (!r.ok() && length != 12345) std::abort();
  if (r.ok() && (length != whole.image.size() ||
                 !std::equal(whole.image.begin(), whole.image.end(), buffer.begin()))) {
    std::abort();
  }
  (void)kx::CurveFileMessage(r.status);
  unlink(path.c_str());
  return 0;
}
