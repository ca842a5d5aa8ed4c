#include "platform/dataset_file.h"
#include "platform/win32_io.h"

namespace platform {

namespace {

constexpr DWORD kNotADataset = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;

HANDLE HandleOf(const DatasetFile& file) { return AsHandle(file.handle); }

// Reads or writes up to `size` bytes at `offset` and returns how many moved:
// `size`, or fewer when a transfer failed or moved nothing (the end of the
// dataset). `transfer` is ReadFile or WriteFile.
template <typename Buffer, typename Transfer>
std::size_t TransferAt(HANDLE handle, std::uint64_t offset, Buffer* data, std::size_t size,
                       Transfer transfer) {
  std::size_t done = 0;
  while (done < size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD moved = 0;
    if (!transfer(handle, data + done, TransferSize(size - done), &moved, &at) || moved == 0) {
      break;
    }
    done += moved;
  }
  return done;
}

}  // namespace

bool OpenDataset(DatasetFile& file, const char* name, bool followLink) {
  file.handle = -1;
  // Devices are never opened: that alone may act on them.
  if (name[0] == '\0' || NamesDevice(name)) {
    return false;
  }
  // Read-only is the attribute's to say, whoever runs the program (wine lets
  // root open a read-only file for writing).
  const DWORD notADataset = followLink ? kNotADataset : kNotADataset | FILE_ATTRIBUTE_REPARSE_POINT;
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & notADataset) != 0) {
    return false;
  }
  // Others may read the dataset meanwhile, but not change it.
  const HANDLE handle =
      CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                  followLink ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  // The name may have been given to something else since it was looked at.
  BY_HANDLE_FILE_INFORMATION information;
  if (!IsDiskFile(handle) || !GetFileInformationByHandle(handle, &information) ||
      (information.dwFileAttributes & notADataset) != 0) {
    CloseHandle(handle);
    return false;
  }
  file.handle = FromHandle(handle);
  return true;
}

bool DatasetLength(const DatasetFile& file, std::uint64_t& length) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(HandleOf(file), &size)) {
    return false;
  }
  length = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

bool ReadDatasetAt(DatasetFile& file, std::uint64_t offset, std::uint8_t* data, std::size_t size) {
  // A read that finds the end early (the dataset shrank) counts as failure.
  return !InjectReadFault() && TransferAt(HandleOf(file), offset, data, size, ReadFile) == size;
}

std::size_t WriteDatasetAt(DatasetFile& file, std::uint64_t offset, const std::uint8_t* data,
                           std::size_t size) {
  return InjectWriteFault() ? 0 : TransferAt(HandleOf(file), offset, data, size, WriteFile);
}

bool CloseDataset(DatasetFile& file) {
  if (file.handle < 0) {
    return true;
  }
  const bool closed = CloseHandle(HandleOf(file)) != 0;
  file.handle = -1;
  return closed && !InjectCloseFault();
}

}  // namespace platform
