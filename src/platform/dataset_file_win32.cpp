#include "platform/dataset_file.h"
#include "platform/win32_io.h"

namespace platform {

namespace {

constexpr DWORD kNotADataset = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;

HANDLE HandleOf(const DatasetFile& file) { return AsHandle(file.handle); }

// Reads or writes all `size` bytes at `offset`; `transfer` is ReadFile or a
// WriteFile of the same shape. A transfer that moves nothing (the end of the
// dataset) fails.
template <typename Buffer, typename Transfer>
bool TransferAt(HANDLE handle, std::uint64_t offset, Buffer* data, std::size_t size,
                Transfer transfer) {
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD moved = 0;
    if (!transfer(handle, data, TransferSize(size), &moved, &at) || moved == 0) {
      return false;
    }
    data += moved;
    offset += moved;
    size -= moved;
  }
  return true;
}

}  // namespace

bool OpenDataset(DatasetFile& file, const char* name) {
  file.handle = -1;
  // Devices are never opened: that alone may act on them.
  if (name[0] == '\0' || NamesDevice(name)) {
    return false;
  }
  // Read-only is the attribute's to say, whoever runs the program (wine lets
  // root open a read-only file for writing).
  const DWORD attributes = GetFileAttributesA(name);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotADataset) != 0) {
    return false;
  }
  // Others may read the dataset meanwhile, but not change it.
  const HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  // The name may have been given to something else since it was looked at.
  BY_HANDLE_FILE_INFORMATION information;
  if (!IsDiskFile(handle) || !GetFileInformationByHandle(handle, &information) ||
      (information.dwFileAttributes & kNotADataset) != 0) {
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
  return !InjectReadFault() && TransferAt(HandleOf(file), offset, data, size, ReadFile);
}

bool WriteDatasetAt(DatasetFile& file, std::uint64_t offset, const std::uint8_t* data,
                    std::size_t size) {
  return !InjectWriteFault() && TransferAt(HandleOf(file), offset, data, size, WriteFile);
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
