#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/posix_io.h"

namespace platform {

const bool kUtf8TextFilesHaveBom = false;

bool CreateOutputFile(OutputFile& file, const char* name) {
  struct stat info {};
  // Only a regular file is truncated: a FIFO would block the run, a device
  // would be written to.
  if (name[0] == '\0' || (stat(name, &info) == 0 && !S_ISREG(info.st_mode))) {
    return false;
  }
  int fd;
  do {
    fd = open(name, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return false;
  }
  // The name may have become something else since the stat.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ftruncate(fd, 0) != 0 ||
      fcntl(fd, F_SETFL, 0) != 0) {
    close(fd);
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
