#include <new>
#include <string>

#include "platform/file_system.h"
#include "platform/file_system_native.h"
#include "platform/path_text.h"
#include "platform/win32_io.h"

namespace platform {

static_assert(kPathTextCapacity + 1 >= MAX_PATH, "a path text holds every path the file functions take");

namespace {

// The attributes of the program's byte: read-only, hidden, system, volume
// label, directory, archive.
constexpr DWORD kAttributeByte = 0x3F;

bool IsLinkedDirectory(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The attribute byte of an entry. A junction or a linked directory is never
// walked (a link back into the tree would never end); a linked file is a
// dataset only when it was named exactly, so that a link in a searched tree
// cannot lead the program to a file elsewhere.
std::uint8_t AttributeByte(DWORD attributes, bool exactName) {
  auto byte = static_cast<std::uint8_t>(attributes & kAttributeByte);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && (IsLinkedDirectory(attributes) || !exactName)) {
    byte |= kSystem;
  }
  return byte;
}

// The absolute path of `name` in the list's directory.
const char* EntryPath(MatchList& list, std::string_view name) {
  list.entryPath.assign(list.directoryPath);
  list.entryPath.append(name);
  return list.entryPath.c_str();
}

// Adds every entry that `findPattern` finds and `pattern` matches. False when
// the directory cannot be read to its end.
bool ReadEntries(MatchList& list, const char* findPattern, std::string_view pattern) {
  WIN32_FIND_DATAA entry;
  const HANDLE find = FindFirstFileExA(findPattern, FindExInfoBasic, &entry, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  bool complete = false;
  try {
    do {
      const std::string_view name = entry.cFileName;
      if (name.size() <= kShortTextCapacity && MatchesPattern(pattern, name)) {
        AddMatch(list, name);
      }
    } while (FindNextFileA(find, &entry));
    complete = GetLastError() == ERROR_NO_MORE_FILES;
  } catch (const std::bad_alloc&) {
    complete = false;
  }
  FindClose(find);
  return complete;
}

bool IsRoot(std::string_view path) {
  return !path.empty() && IsSeparator(path.back()) && WithoutTrailingSeparators(path) == path;
}

}  // namespace

bool OpenSearchedDirectory(MatchList& list, const PathText& directoryPart) {
  char full[kPathTextCapacity + 1];
  const DWORD length = GetFullPathNameA(directoryPart.length == 0 ? "." : directoryPart.chars,
                                        static_cast<DWORD>(sizeof full), full, nullptr);
  if (length == 0 || length >= sizeof full) {
    return false;
  }
  list.directoryPath.assign(full, length);
  if (!IsSeparator(list.directoryPath.back())) {
    list.directoryPath.push_back(kSeparator);
  }
  list.entryPath.reserve(list.directoryPath.size() + kShortTextCapacity + 1);
  return true;
}

void CloseSearchedDirectory(MatchList&) {}

// The system's own matching is not used for wild cards: it also matches the
// short 8.3 names ("*.htm" would find "page.html"). A plain name is looked up
// by the system, which gives the entry's name as the directory holds it.
bool CollectMatches(MatchList& list, std::string_view pattern) {
  if (HasWildcard(pattern)) {
    return ReadEntries(list, EntryPath(list, "*"), pattern);
  }
  return ReadEntries(list, EntryPath(list, pattern), "*");
}

bool ReadAttributes(MatchList& list, std::string_view name, std::uint8_t& attributes) {
  const DWORD found = GetFileAttributesA(EntryPath(list, name));
  if (found == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  attributes = AttributeByte(found, list.exactName);
  return true;
}

bool DirectoryNamedExists(const PathText& path, std::string_view) {
  const DWORD attributes = GetFileAttributesA(path.chars);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  // A root is no entry of any directory; the system marks it hidden and system.
  if (IsRoot(View(path))) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  return AttributeByte(attributes, true) == kDirectory;
}

// Win32 has no handle to return by: the way back is the absolute path.
bool MarkCurrentDirectory(DirectoryMark& mark) { return CurrentDirectory(mark.path); }

bool ReturnToMark(DirectoryMark& mark) { return ChangeDirectory(mark.path.chars); }

void ForgetMark(DirectoryMark&) {}

bool EnterFoundDirectory(const SearchRecord& search) {
  auto* list = static_cast<MatchList*>(search.matches);
  if (list == nullptr) {
    return false;
  }
  // Never into a junction or a linked directory, even if the entry became one
  // since it was found; and only where its entries can be read.
  const char* path = EntryPath(*list, View(search.name));
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      IsLinkedDirectory(attributes) || !SetCurrentDirectoryA(path)) {
    return false;
  }
  WIN32_FIND_DATAA entry;
  const HANDLE find = FindFirstFileExA("*", FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) {
    (void)ReturnToSearchedDirectory(search);
    return false;
  }
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
  }
  return true;
}

bool ReturnToSearchedDirectory(const SearchRecord& search) {
  const auto* list = static_cast<const MatchList*>(search.matches);
  return list != nullptr && SetCurrentDirectoryA(list->directoryPath.c_str()) != 0;
}

bool ChangeDirectory(const char* path) { return path[0] != '\0' && SetCurrentDirectoryA(path) != 0; }

bool CurrentDirectory(PathText& directory) {
  char buffer[kPathTextCapacity + 1];
  const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(sizeof buffer), buffer);
  if (length == 0 || length >= sizeof buffer) {
    Clear(directory);
    return false;
  }
  Assign(directory, std::string_view(buffer, length));
  return true;
}

void ProgramPath(const char* argument0, PathText& path) {
  wchar_t wide[kPathTextCapacity + 1];
  const DWORD length = GetModuleFileNameW(nullptr, wide, static_cast<DWORD>(kPathTextCapacity + 1));
  char text[kPathTextCapacity + 1];
  const int size = length == 0 || length > kPathTextCapacity
                       ? 0
                       : WideCharToMultiByte(FileNameCodePage(), 0, wide, static_cast<int>(length),
                                             text, static_cast<int>(kPathTextCapacity), nullptr, nullptr);
  if (size > 0) {
    Assign(path, std::string_view(text, static_cast<std::size_t>(size)));
    return;
  }
  (void)FullPath(argument0, path);
}

namespace {

void TakeIdentity(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileInformationByHandle(handle, &information)) {
    identity.device = information.dwVolumeSerialNumber;
    identity.inode = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    identity.known = true;
  }
}

}  // namespace

void IdentifyFile(const char* name, FileIdentity& identity) {
  identity = FileIdentity{};
  if (name[0] == '\0' || NamesDevice(name)) {
    return;
  }
  // Opened only to be looked at: no access, and in the way of nobody.
  const HANDLE handle =
      CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    TakeIdentity(handle, identity);
    CloseHandle(handle);
  }
}

void IdentifyOpenFile(std::intptr_t handle, FileIdentity& identity) {
  identity = FileIdentity{};
  if (handle >= 0) {
    TakeIdentity(AsHandle(handle), identity);
  }
}

}  // namespace platform
