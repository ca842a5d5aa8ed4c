#pragma once
// What the platform's Win32 files share: <windows.h> without its min/max
// macros, handles kept in the layer's std::intptr_t fields, whole writes, and
// the checks that keep devices from being opened as files. For the platform's
// Win32 files only.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform {

inline HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
inline std::intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

// The longest transfer asked of ReadFile or WriteFile at once.
inline constexpr std::size_t kMaxTransfer = 1u << 30;

inline DWORD TransferSize(std::size_t size) {
  return static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
}

// Writes all `size` bytes of `data` to `handle`; false on a failure or when
// nothing moved.
inline bool WriteAll(HANDLE handle, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(handle, data, TransferSize(size), &written, nullptr) || written == 0) {
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

// True when the system maps `name` to a device (NUL, CON, COM1, also
// "nul.txt" on older systems, and "\\.\" paths), wherever it seems to lie:
// such a name is never opened as a dataset, since opening a device may act on
// it.
inline bool NamesDevice(const char* name) {
  char full[MAX_PATH + 1];
  const DWORD length = GetFullPathNameA(name, static_cast<DWORD>(sizeof full), full, nullptr);
  return length > 0 && length < sizeof full && std::strncmp(full, "\\\\.\\", 4) == 0;
}

// True when the open `handle` is a file on a disk, not a character device
// (the console, NUL, a serial port) or a pipe.
inline bool IsDiskFile(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

// The code page of the text that the file functions ("A") take and give:
// OEM once the process is prepared (SetFileApisToOEM), else ANSI.
inline UINT FileNameCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

}  // namespace platform
