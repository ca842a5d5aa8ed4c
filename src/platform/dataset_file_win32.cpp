#include "platform/dataset_file.h"
#include "platform/file_system.h"
#include "platform/path_win32.h"
#include "platform/win32_io.h"

namespace platform {

namespace {

constexpr DWORD kNotADataset = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;

HANDLE HandleOf(const DatasetFile& file) { return AsHandle(file.handle); }

HANDLE OpenForProcessing(const wchar_t* path, DWORD flags) {
  return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, flags, nullptr);
}

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
  // Devices are never opened (ResolvePath refuses them): that alone may act on them.
  WidePath path;
  DWORD attributes = 0;
  DWORD tag = 0;
  if (!ResolvePath(name, path) || !ReadEntryAttributes(path.chars, attributes, tag)) {
    return false;
  }
  // Read-only is the attribute's to say, whoever runs the program (wine lets
  // root open a read-only file for writing).
  if ((attributes & kNotADataset) != 0 || (!followLink && IsLink(attributes, tag))) {
    return false;
  }
  // Others may read the dataset meanwhile, but not change it.
  const HANDLE handle = OpenForProcessing(path.chars, followLink ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_OPEN_REPARSE_POINT);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  // The name may have been given to something else since it was looked at.
  if (!IsDiskFile(handle) || !ReadHandleAttributes(handle, attributes, tag) ||
      (attributes & kNotADataset) != 0 || (!followLink && IsLink(attributes, tag))) {
    CloseHandle(handle);
    return false;
  }
  file.handle = FromHandle(handle);
  // A reparse point that is no link (a cloud placeholder) is the file it
  // stands for: its data comes through the system, opened once more without
  // the flag, and only if that is still the same file.
  if (!followLink && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    const HANDLE data = OpenForProcessing(path.chars, FILE_ATTRIBUTE_NORMAL);
    FileIdentity entry;
    FileIdentity opened;
    IdentifyOpenFile(file.handle, entry);
    if (data != INVALID_HANDLE_VALUE) {
      IdentifyOpenFile(FromHandle(data), opened);
    }
    CloseHandle(handle);
    file.handle = -1;
    if (!SameFile(entry, opened) || !IsDiskFile(data)) {
      if (data != INVALID_HANDLE_VALUE) {
        CloseHandle(data);
      }
      return false;
    }
    file.handle = FromHandle(data);
  }
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
