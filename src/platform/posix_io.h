#pragma once
// Whole transfers over POSIX descriptors: the system calls may move fewer
// bytes than asked or be interrupted by a signal; these loop until all bytes
// moved or a real failure (or the end of a file) stops them. For the
// platform's POSIX files only.

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include <unistd.h>

namespace platform {

// Moves up to `size` bytes with `transfer` (write, or a positioned read or
// write bound to its offset) and returns how many moved: `size`, or fewer
// when a failure (or nothing moving) stopped it.
template <typename Transfer>
std::size_t TransferCount(std::size_t size, Transfer transfer) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = transfer(done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

// Moves all `size` bytes with `transfer`; false when not all of them moved.
template <typename Transfer>
bool TransferAll(std::size_t size, Transfer transfer) {
  return TransferCount(size, transfer) == size;
}

// Writes all `size` bytes of `data` to `fd`.
inline bool WriteAll(int fd, const char* data, std::size_t size) {
  return TransferAll(size, [&](std::size_t done) { return write(fd, data + done, size - done); });
}

}  // namespace platform
