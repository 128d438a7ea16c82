#pragma once
// Writing a whole buffer to a descriptor: the one loop the files, the serial port
// and the simulated unit's pseudo-terminal share.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kx::files {

// Writes the n bytes, again after a signal or a partial write. A non-blocking
// descriptor that is full asks waitForRoom (none: give up), which waits for room
// and says whether to try again. Returns the count written; when it is short,
// errno says why (0 for a write that took nothing). A socket is written with
// send(MSG_NOSIGNAL), so that a peer gone says EPIPE rather than raising SIGPIPE.
size_t WriteAll(int fd, const uint8_t* data, size_t n, const std::function<bool()>& waitForRoom = {},
                bool socket = false);

}  // namespace kx::files
