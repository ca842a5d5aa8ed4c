#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/input_file.h"

namespace platform {

namespace {

int PeekInput(InputFile& file) {
  while (file.begin == file.end) {
    if (file.atEnd) {
      return -1;
    }
    const ssize_t n = read(static_cast<int>(file.handle), file.buffer, sizeof file.buffer);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      file.atEnd = true;
      return -1;
    }
    file.begin = 0;
    file.end = static_cast<std::size_t>(n);
  }
  return file.buffer[file.begin];
}

}  // namespace

bool OpenInputFile(InputFile& file, const char* name) {
  file = InputFile{};
  struct stat info {};
  // Never open a FIFO or a device: only regular files are datasets.
  if (name[0] == '\0' || stat(name, &info) != 0 || !S_ISREG(info.st_mode)) {
    file.atEnd = true;
    return false;
  }
  const int fd = open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    file.atEnd = true;
    return false;
  }
  file.handle = fd;
  return true;
}

bool InputAtEnd(InputFile& file) { return PeekInput(file) < 0; }

bool ReadInputLine(InputFile& file, ShortText& line) {
  Clear(line);
  int byte = PeekInput(file);
  if (byte < 0) {
    return false;
  }
  while (byte >= 0 && byte != '\r' && byte != '\n') {
    if (line.length < kShortTextCapacity) {
      line.chars[line.length++] = static_cast<char>(byte);
    }
    ++file.begin;
    byte = PeekInput(file);
  }
  line.chars[line.length] = '\0';
  if (byte == '\r') {
    ++file.begin;
    byte = PeekInput(file);
  }
  if (byte == '\n') {
    ++file.begin;
  }
  return true;
}

void CloseInputFile(InputFile& file) {
  if (file.handle >= 0) {
    close(static_cast<int>(file.handle));
  }
  file.handle = -1;
  file.atEnd = true;
}

}  // namespace platform
