#include "platform/file.h"
#include "platform/path_win32.h"
#include "platform/win32_io.h"

namespace platform {

bool CreateOutputFile(OutputFile& file, const char* name) {
  // Only a file on a disk is truncated: a device (NUL, CON, a serial port) is
  // never opened (ResolvePath refuses it), a pipe never written.
  WidePath path;
  if (!ResolvePath(name, path)) {
    return false;
  }
  // A read-only file stays as it is, whoever runs the program.
  DWORD attributes = 0;
  DWORD tag = 0;
  if (ReadEntryAttributes(path.chars, attributes, tag) &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  const HANDLE handle = CreateFileW(path.chars, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  // The name may have become something else since it was looked at; opened
  // without truncating, it is emptied only once it is known to be a file.
  if (!IsDiskFile(handle) || !SetEndOfFile(handle)) {
    CloseHandle(handle);
    return false;
  }
  file.handle = FromHandle(handle);
  return true;
}

bool WriteOutputFile(OutputFile& file, const char* data, std::size_t size) {
  return file.handle >= 0 && WriteAll(AsHandle(file.handle), data, size);
}

bool CloseOutputFile(OutputFile& file) {
  if (file.handle < 0) {
    return true;
  }
  const bool closed = CloseHandle(AsHandle(file.handle)) != 0;
  file.handle = -1;
  return closed;
}

}  // namespace platform
