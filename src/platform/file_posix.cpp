#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/posix_io.h"

namespace platform {

bool CreateOutputFile(OutputFile& file, const char* name) {
  if (name[0] == '\0') {
    return false;
  }
  int fd;
  do {
    fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return false;
  }
  file.handle = fd;
  return true;
}

bool WriteOutputFile(OutputFile& file, const char* data, std::size_t size) {
  return file.handle >= 0 && WriteAll(static_cast<int>(file.handle), data, size);
}

bool CloseOutputFile(OutputFile& file) {
  if (file.handle < 0) {
    return true;
  }
  // After a failed close the descriptor is gone on Linux; never retry it.
  const int result = close(static_cast<int>(file.handle));
  file.handle = -1;
  return result == 0;
}

}  // namespace platform
