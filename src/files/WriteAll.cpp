#include "files/WriteAll.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kx::files {

size_t WriteAll(int fd, const uint8_t* data, size_t n, const std::function<bool()>& waitForRoom, bool socket) {
  size_t done = 0;
  while (done < n) {
    const ssize_t put = socket ? ::send(fd, data + done, n - done, MSG_NOSIGNAL) : ::write(fd, data + done, n - done);
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
