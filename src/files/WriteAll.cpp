#include "files/WriteAll.h"

#include <unistd.h>

#include <cerrno>

namespace kx::files {

size_t WriteAll(int fd, const uint8_t* data, size_t n, const std::function<bool()>& waitForRoom) {
  size_t done = 0;
  while (done < n) {
    const ssize_t put = ::write(fd, data + done, n - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
      continue;
    }
    if (put == 0) {
      errno = 0;
      break;
    }
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitForRoom && waitForRoom()) continue;
    break;
  }
  return done;
}

}  // namespace kx::files
