#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/dataset_file.h"
#include "platform/file_system.h"
#include "platform/path_text.h"
#include "platform/win32_io.h"

namespace platform {

namespace {

constexpr std::uint8_t kFilterMask = kHidden | kSystem | kVolumeLabel | kDirectory;
// The attributes of the program's byte: read-only, hidden, system, volume
// label, directory, archive.
constexpr DWORD kAttributeByte = 0x3F;

// The platform part of a running search. The searched directory is kept as an
// absolute path, so that entries are looked at there even when the current
// directory changes between FindFirstEntry and FindNextEntry (the directory
// walk does that).
struct MatchList {
  std::string directory;            // absolute, ending in a separator
  std::string entryPath;            // room for directory and any name, reused
  std::uint8_t filter = 0;
  std::string names;                // every match, each followed by a NUL
  std::vector<std::size_t> starts;  // where each match begins in `names`, in byte order
};

std::uint8_t AttributeByte(DWORD attributes) {
  auto byte = static_cast<std::uint8_t>(attributes & kAttributeByte);
  // A junction or a linked directory is never walked: a link back into the
  // tree would never end.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    byte |= kSystem;
  }
  return byte;
}

// The absolute path of `name` in the list's directory.
const char* EntryPath(MatchList& list, std::string_view name) {
  list.entryPath.assign(list.directory);
  list.entryPath.append(name);
  return list.entryPath.c_str();
}

void AddMatch(MatchList& list, std::string_view name) {
  list.starts.push_back(list.names.size());
  list.names.append(name);
  list.names.push_back('\0');
}

std::string_view MatchAt(const MatchList& list, std::size_t index) {
  return list.names.data() + list.starts[index];
}

// Adds every entry of the list's directory that `findPattern` finds and
// `pattern` matches. False when the directory cannot be read to its end.
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

// The matches of `pattern` in the list's directory, sorted. The system's own
// matching is not used for wild cards: it also matches the short 8.3 names
// ("*.htm" would find "page.html"). A plain name is looked up by the system,
// which gives the entry's name as the directory holds it.
bool CollectMatches(MatchList& list, std::string_view pattern) {
  if (!HasWildcard(pattern)) {
    if (!ReadEntries(list, EntryPath(list, pattern), "*")) {
      return false;
    }
  } else if (!ReadEntries(list, EntryPath(list, "*"), pattern)) {
    return false;
  }
  std::sort(list.starts.begin(), list.starts.end(), [&list](std::size_t a, std::size_t b) {
    return std::string_view(list.names.data() + a) < std::string_view(list.names.data() + b);
  });
  return true;
}

// The absolute path of the directory `directoryPart` ("" is the current one),
// ending in a separator. False when it is too long to be used.
bool AbsoluteDirectory(const ShortText& directoryPart, std::string& directory) {
  char full[MAX_PATH + 1];
  const DWORD length = GetFullPathNameA(directoryPart.length == 0 ? "." : directoryPart.chars,
                                        static_cast<DWORD>(sizeof full), full, nullptr);
  if (length == 0 || length >= sizeof full) {
    return false;
  }
  directory.assign(full, length);
  if (!IsSeparator(directory.back())) {
    directory.push_back(kSeparator);
  }
  return true;
}

void ReleaseMatches(SearchRecord& search) {
  delete static_cast<MatchList*>(search.matches);
  search.matches = nullptr;
  search.next = 0;
}

// Reports the next match that still exists and passes the filter. With
// `afterCurrent`, a match equal to the caller's current name is passed over.
bool ReportNextMatch(SearchRecord& search, bool afterCurrent) {
  auto* list = static_cast<MatchList*>(search.matches);
  while (list != nullptr && search.next < list->starts.size()) {
    const std::string_view name = MatchAt(*list, search.next++);
    if (afterCurrent && View(search.name) == name) {
      continue;
    }
    const DWORD attributes = GetFileAttributesA(EntryPath(*list, name));
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (AttributeByte(attributes) & ~list->filter & kFilterMask) != 0) {
      continue;
    }
    Assign(search.name, name);
    search.attributes = AttributeByte(attributes);
    return true;
  }
  ReleaseMatches(search);
  return false;
}

bool IsRoot(std::string_view path) {
  return !path.empty() && IsSeparator(path.back()) && WithoutTrailingSeparators(path) == path;
}

}  // namespace

bool FindFirstEntry(SearchRecord& search, const char* pattern, std::uint8_t filter) {
  ReleaseMatches(search);
  Clear(search.name);
  search.attributes = 0;
  ShortText directoryPart;
  ShortText namePart;
  if (!SplitPathText(pattern, directoryPart, namePart) || namePart.length == 0) {
    return false;
  }
  auto* list = new (std::nothrow) MatchList;
  if (list == nullptr) {
    return false;
  }
  search.matches = list;
  list->filter = filter;
  try {
    if (!AbsoluteDirectory(directoryPart, list->directory)) {
      ReleaseMatches(search);
      return false;
    }
    list->entryPath.reserve(list->directory.size() + kShortTextCapacity + 1);
    if (!CollectMatches(*list, View(namePart))) {
      ReleaseMatches(search);
      return false;
    }
  } catch (const std::bad_alloc&) {
    ReleaseMatches(search);
    return false;
  }
  return ReportNextMatch(search, false);
}

bool FindNextEntry(SearchRecord& search) { return ReportNextMatch(search, true); }

bool EnterFoundDirectory(const SearchRecord& search) {
  auto* list = static_cast<MatchList*>(search.matches);
  if (list == nullptr) {
    return false;
  }
  // Never into a junction or a linked directory, even if the entry became one
  // since it was found.
  const char* path = EntryPath(*list, View(search.name));
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && SetCurrentDirectoryA(path) != 0;
}

bool ReturnToSearchedDirectory(const SearchRecord& search) {
  const auto* list = static_cast<const MatchList*>(search.matches);
  return list != nullptr && SetCurrentDirectoryA(list->directory.c_str()) != 0;
}

void CloseSearch(SearchRecord& search) { ReleaseMatches(search); }

bool DatasetExists(const char* name) {
  DatasetFile file;
  if (!OpenDataset(file, name)) {
    return false;
  }
  (void)CloseDataset(file);  // only opened to look
  return true;
}

bool MatchExists(const char* name) {
  SearchRecord search;
  const bool found = FindFirstEntry(search, name, kPlainDatasets);
  CloseSearch(search);
  return found;
}

bool DirectoryExists(const char* name) {
  const std::string_view path = WithoutTrailingSeparators(name);
  ShortText trimmed;
  // A name with wild cards names no one directory that could be entered.
  if (path.empty() || path.size() > kShortTextCapacity || HasWildcard(path)) {
    return false;
  }
  Assign(trimmed, path);
  const DWORD attributes = GetFileAttributesA(trimmed.chars);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  // A root is no entry of any directory; the system marks it hidden and system.
  if (IsRoot(path)) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  return AttributeByte(attributes) == kDirectory;
}

bool ChangeDirectory(const char* path) { return path[0] != '\0' && SetCurrentDirectoryA(path) != 0; }

bool CurrentDirectory(ShortText& directory) {
  char buffer[kShortTextCapacity + 1];
  const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(sizeof buffer), buffer);
  if (length == 0 || length >= sizeof buffer) {
    Clear(directory);
    return false;
  }
  Assign(directory, std::string_view(buffer, length));
  return true;
}

bool SplitPathExactly(const char* path, ShortText& directory, ShortText& namePart) {
  Clear(directory);
  ShortText directoryPart;
  if (!SplitPathText(path, directoryPart, namePart)) {
    return false;
  }
  if (directoryPart.length == 0) {
    return CurrentDirectory(directory);
  }
  // Win32 has no handle to return by: the way back is the absolute path.
  ShortText start;
  if (!CurrentDirectory(start)) {
    return false;
  }
  if (!ChangeDirectory(directoryPart.chars)) {
    directory = start;
    return false;
  }
  const bool known = CurrentDirectory(directory);
  if (!ChangeDirectory(start.chars)) {
    Clear(directory);
    return false;
  }
  return known;
}

void SplitPath(const char* path, ShortText& directory, ShortText& namePart) {
  (void)SplitPathExactly(path, directory, namePart);
}

bool FullPath(const char* path, ShortText& fullPath) {
  ShortText directory;
  ShortText namePart;
  SplitPath(path, directory, namePart);
  if (directory.length == 0 || !JoinPath(View(directory), View(namePart), fullPath)) {
    Clear(fullPath);
    return false;
  }
  return true;
}

void ProgramPath(const char* argument0, ShortText& path) {
  wchar_t wide[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(nullptr, wide, MAX_PATH + 1);
  char text[kShortTextCapacity + 1];
  const int size = length == 0 || length > MAX_PATH
                       ? 0
                       : WideCharToMultiByte(FileNameCodePage(), 0, wide, static_cast<int>(length),
                                             text, static_cast<int>(sizeof text - 1), nullptr, nullptr);
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
