#pragma once
// What the platform's Win32 files share: <windows.h> without its min/max
// macros, handles kept in the layer's std::intptr_t fields, whole writes, and
// the check that keeps devices from being taken for files. For the platform's
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

// True when the open `handle` is a file on a disk, not a character device
// (the console, NUL, a serial port) or a pipe.
inline bool IsDiskFile(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

}  // namespace platform
