#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/dataset_file.h"
#include "platform/posix_io.h"

namespace platform {

namespace {

int Descriptor(const DatasetFile& file) { return static_cast<int>(file.handle); }

// A regular file with a write permission bit: a file without any is
// read-only, even for root.
bool IsWritableRegularFile(const struct stat& info) {
  return S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

}  // namespace

bool OpenDataset(DatasetFile& file, const char* name, bool followLink) {
  file.handle = -1;
  struct stat info {};
  // Only regular files: opening a FIFO or a device could block or have effects.
  if (name[0] == '\0' || (followLink ? stat(name, &info) : lstat(name, &info)) != 0 ||
      !IsWritableRegularFile(info)) {
    return false;
  }
  int fd;
  do {
    fd = open(name, O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW));
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    return false;
  }
  // The name may have changed into something else between stat and open.
  if (fstat(fd, &info) != 0 || !IsWritableRegularFile(info)) {
    close(fd);
    return false;
  }
  file.handle = fd;
  return true;
}

bool DatasetLength(const DatasetFile& file, std::uint64_t& length) {
  struct stat info {};
  if (fstat(Descriptor(file), &info) != 0) {
    return false;
  }
  length = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool ReadDatasetAt(DatasetFile& file, std::uint64_t offset, std::uint8_t* data, std::size_t size) {
  if (InjectReadFault()) {
    return false;
  }
  // A read that finds the end early (the dataset shrank) moves nothing: failure.
  return TransferAll(size, [&](std::size_t done) {
    return pread(Descriptor(file), data + done, size - done, static_cast<off_t>(offset + done));
  });
}

std::size_t WriteDatasetAt(DatasetFile& file, std::uint64_t offset, const std::uint8_t* data,
                           std::size_t size) {
  if (InjectWriteFault()) {
    return 0;
  }
  return TransferCount(size, [&](std::size_t done) {
    return pwrite(Descriptor(file), data + done, size - done, static_cast<off_t>(offset + done));
  });
}

bool CloseDataset(DatasetFile& file) {
  if (file.handle < 0) {
    return true;
  }
  const int result = close(Descriptor(file));
  file.handle = -1;
  return result == 0 && !InjectCloseFault();
}

}  // namespace platform
