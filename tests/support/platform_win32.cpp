#include "support/platform.h"

#include <cstddef>
#include <cstring>
#include <filesystem>

#include "platform/interrupt.h"
#include "platform/win32_io.h"
#include "support/scratch_dir.h"

#include <winioctl.h>  // after <windows.h>, which it builds on

#include <gtest/gtest.h>

namespace testsupport {

const bool kOpenFilesOpenAgain = false;

namespace {

bool IsReparsePoint(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The layout of a junction's reparse data (REPARSE_DATA_BUFFER's mount point
// branch, which the user-mode headers do not declare).
struct MountPoint {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteOffset;
  WORD substituteLength;
  WORD printOffset;
  WORD printLength;
  wchar_t names[MAX_PATH * 2];
};

bool MakeJunction(const std::string& target, const std::string& link) {
  const std::wstring substitute = L"\\??\\" + std::filesystem::absolute(target).wstring();
  if (!CreateDirectoryA(link.c_str(), nullptr) || substitute.size() >= MAX_PATH) {
    return false;
  }
  MountPoint point{};
  point.tag = IO_REPARSE_TAG_MOUNT_POINT;
  point.substituteLength = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
  point.printOffset = static_cast<WORD>(point.substituteLength + sizeof(wchar_t));
  std::memcpy(point.names, substitute.c_str(), point.substituteLength);
  // The four offsets and lengths, both names and their two terminating NULs.
  point.dataLength = static_cast<WORD>(4 * sizeof(WORD) + point.printOffset + sizeof(wchar_t));
  const HANDLE directory =
      CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  DWORD returned = 0;
  const bool made = directory != INVALID_HANDLE_VALUE &&
                    DeviceIoControl(directory, FSCTL_SET_REPARSE_POINT, &point,
                                    offsetof(MountPoint, substituteOffset) + point.dataLength,
                                    nullptr, 0, &returned, nullptr);
  CloseHandle(directory);
  if (!made) {
    RemoveDirectoryA(link.c_str());
  }
  return made;
}

}  // namespace

std::FILE* TemporaryFile() {
  char directory[MAX_PATH + 1];
  char name[MAX_PATH + 1];
  if (GetTempPathA(sizeof directory, directory) == 0 ||
      GetTempFileNameA(directory, "t5", 0, name) == 0) {
    return nullptr;
  }
  // "D": the C run-time deletes the file when it is closed.
  return std::fopen(name, "w+bD");
}

bool LimitFileSize(unsigned long long) { return false; }

bool HaveConsole() {
  // The console's host process starts in our current directory, often a
  // test's scratch directory in the middle of a run, and holds it open for a
  // moment, so that the test could not remove it; so it starts in the root.
  static const bool console = [] {
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::path current = fs::current_path(ignored);
    fs::current_path(current.root_path(), ignored);
    FreeConsole();
    const bool allocated = AllocConsole() != 0;
    fs::current_path(current, ignored);
    return allocated;
  }();
  return console;
}

void SendInterrupt() {
  ASSERT_TRUE(HaveConsole());
  // The first interrupt asks for the end of the run, the second for a stop.
  const auto noted = platform::InterruptRequested() ? platform::StopRequested : platform::InterruptRequested;
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  for (int waited = 0; waited < 5000 && !noted(); waited += 10) {
    Sleep(10);
  }
  EXPECT_TRUE(noted());
}

namespace {

// Removes `path` (a "\\?\" path: any length, trailing dots and blanks kept)
// and everything below it; links are removed, not followed.
void RemoveWideTree(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  // Windows deletes no read-only entry.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    DeleteFileW(path.c_str());
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") {
          RemoveWideTree(path + L"\\" + name);
        }
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

void RemoveTree(const std::string& path) {
  RemoveWideTree(L"\\\\?\\" + std::filesystem::absolute(path).wstring());
}

void MakeSystemEntry(const std::string& path) {
  testsupport::WriteFile(path, "");
  EXPECT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_SYSTEM));
}

bool MakeFileLink(const std::string& target, const std::string& link) {
  CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  return IsReparsePoint(link);
}

bool MakeDirectoryLink(const std::string& target, const std::string& link) {
  CreateSymbolicLinkA(link.c_str(), target.c_str(),
                      SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  return IsReparsePoint(link) || MakeJunction(target, link);
}

bool MakeSparseFile(const std::string& path, unsigned long long length) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD returned = 0;
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(length);
  // Sparse on NTFS; wine's files on Linux are sparse anyway.
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  const bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return made;
}

}  // namespace testsupport
