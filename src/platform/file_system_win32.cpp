#include <algorithm>
#include <new>
#include <string>

#include "platform/file_system.h"
#include "platform/file_system_native.h"
#include "platform/path_text.h"
#include "platform/path_win32.h"
#include "platform/win32_io.h"

namespace platform {

namespace {

// The attributes of the program's byte: read-only, hidden, system, volume
// label, directory, archive.
constexpr DWORD kAttributeByte = 0x3F;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The attribute byte of an entry. A link (symbolic link, junction, mount
// point) to a directory is never walked (a link back into the tree would never
// end); a link to a file is a dataset only when it was named exactly, so that
// a link in a searched tree cannot lead the program to a file elsewhere.
std::uint8_t AttributeByte(DWORD attributes, DWORD reparseTag, bool exactName) {
  auto byte = static_cast<std::uint8_t>(attributes & kAttributeByte);
  if (IsLink(attributes, reparseTag) && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !exactName)) {
    byte |= kSystem;
  }
  return byte;
}

// The absolute path of the entry `name` of the list's directory, taken as it
// is: never parsed again.
const wchar_t* EntryPath(MatchList& list, std::string_view name) {
  WidePath path;
  if (!AppendWide(path, list.directoryPath) || !AppendUtf8(path, name)) {
    return nullptr;
  }
  list.entryPath.assign(path.chars, path.length);
  return list.entryPath.c_str();
}

// Adds every entry that `findPattern` finds and `pattern` matches, with its
// attributes. False when the directory cannot be read to its end.
bool ReadEntries(MatchList& list, const wchar_t* findPattern, std::string_view pattern) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileExW(findPattern, FindExInfoBasic, &entry, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  bool complete = false;
  try {
    do {
      ShortText name;
      AssignWide(name, entry.cFileName);
      // A name longer than a ShortText holds (a name of 255 units may take up
      // to 765 bytes) cannot be carried: it is left out.
      if (!name.cut && MatchesPattern(pattern, View(name))) {
        const DWORD tag = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? entry.dwReserved0 : 0;
        list.found.push_back({list.names.size(), entry.dwFileAttributes, tag});
        AddMatch(list, View(name));
      }
    } while (FindNextFileW(find, &entry));
    complete = GetLastError() == ERROR_NO_MORE_FILES;
  } catch (const std::bad_alloc&) {
    complete = false;
  }
  FindClose(find);
  return complete;
}

// True when `path` (prefixed) is the root of a drive or a share.
bool IsRootPath(std::wstring_view path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) {
    return std::count(path.begin(), path.end(), L'\\') <= 5;
  }
  return path.size() == 7 && path[5] == L':';
}

}  // namespace

bool OpenSearchedDirectory(MatchList& list, const PathText& directoryPart) {
  WidePath directory;
  if (directoryPart.length == 0 ? !CurrentWideDirectory(directory)
                                : !ResolvePath(View(directoryPart), directory)) {
    return false;
  }
  list.directoryPath.assign(directory.chars, directory.length);
  if (list.directoryPath.back() != L'\\') {
    list.directoryPath.push_back(L'\\');
  }
  list.entryPath.reserve(list.directoryPath.size() + kShortTextCapacity + 1);
  return true;
}

void CloseSearchedDirectory(MatchList&) {}

// The system's own matching is not used for wild cards: it also matches the
// short 8.3 names ("*.htm" would find "page.html"). A plain name is looked up
// by the system, which gives the entry's name as the directory holds it.
bool CollectMatches(MatchList& list, std::string_view pattern) {
  const wchar_t* findPattern = EntryPath(list, HasWildcard(pattern) ? "*" : pattern);
  return findPattern != nullptr && ReadEntries(list, findPattern, HasWildcard(pattern) ? pattern : "*");
}

// As the search found the entry: it is not looked up again by name. Whether
// it is still there, and still what it was, is checked when it is opened.
bool ReadAttributes(MatchList& list, std::string_view name, std::uint8_t& attributes, bool& link) {
  const std::size_t start = static_cast<std::size_t>(name.data() - list.names.data());
  const auto found = std::lower_bound(
      list.found.begin(), list.found.end(), start,
      [](const MatchList::FoundEntry& entry, std::size_t at) { return entry.start < at; });
  if (found == list.found.end() || found->start != start) {
    return false;
  }
  attributes = AttributeByte(found->attributes, found->reparseTag, list.exactName);
  link = IsLink(found->attributes, found->reparseTag);
  return true;
}

bool DirectoryNamedExists(const PathText& path, std::string_view) {
  WidePath full;
  DWORD attributes = 0;
  DWORD tag = 0;
  if (!ResolvePath(View(path), full) || !ReadEntryAttributes(full.chars, attributes, tag)) {
    return false;
  }
  // A root is no entry of any directory; the system marks it hidden and system.
  if (IsRootPath(View(full))) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  // Read-only and archive mark folders (customised ones, copied ones); they
  // do not keep a directory from being taken.
  constexpr std::uint8_t kKinds = kHidden | kSystem | kVolumeLabel | kDirectory;
  return (AttributeByte(attributes, tag, true) & kKinds) == kDirectory;
}

// Win32 has no handle to return by: the way back is the absolute path, kept
// verbatim ("\\?\"), so that a name ending in a dot or a blank is not
// stripped on the way back into a look-alike without it.
bool MarkCurrentDirectory(DirectoryMark& mark) {
  WidePath current;
  Clear(mark.path);
  if (!CurrentWideDirectory(current)) {
    return false;
  }
  AssignWide(mark.path, View(current));
  return !mark.path.cut;
}

bool ReturnToMark(DirectoryMark& mark) { return ChangeDirectory(mark.path.chars); }

void ForgetMark(DirectoryMark&) {}

bool EnterFoundDirectory(const SearchRecord& search) {
  auto* list = static_cast<MatchList*>(search.matches);
  const wchar_t* entry = list == nullptr ? nullptr : EntryPath(*list, View(search.name));
  if (entry == nullptr) {
    return false;
  }
  // Never into a link, even if the entry became one since it was found.
  DWORD attributes = 0;
  DWORD tag = 0;
  if (!ReadEntryAttributes(entry, attributes, tag) || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      IsLink(attributes, tag)) {
    return false;
  }
  WidePath path;
  if (!AppendWide(path, list->entryPath)) {
    return false;
  }
  // Only where its entries can be read.
  WidePath everything = path;
  WIN32_FIND_DATAW found;
  const HANDLE find = AppendWide(everything, L"\\*")
                          ? FindFirstFileExW(everything.chars, FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0)
                          : INVALID_HANDLE_VALUE;
  if (find == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
  }
  return SetCurrentWideDirectory(path);
}

bool ReturnToSearchedDirectory(const SearchRecord& search) {
  const auto* list = static_cast<const MatchList*>(search.matches);
  WidePath path;
  if (list == nullptr || !AppendWide(path, list->directoryPath)) {
    return false;
  }
  // Without the separator that ends the searched path, except at a root.
  if (!IsRootPath(View(path))) {
    path.chars[--path.length] = L'\0';
  }
  return SetCurrentWideDirectory(path);
}

bool ChangeDirectory(const char* path) {
  WidePath full;
  return ResolvePath(path, full) && SetCurrentWideDirectory(full);
}

bool CurrentDirectory(PathText& directory) {
  WidePath current;
  WidePath userForm;
  if (!CurrentWideDirectory(current) || !ToUserForm(current, userForm)) {
    Clear(directory);
    return false;
  }
  AssignWide(directory, View(userForm));
  if (directory.cut) {
    Clear(directory);
    return false;
  }
  return true;
}

void ProgramPath(const char* argument0, PathText& path) {
  WidePath module;
  const DWORD length = GetModuleFileNameW(nullptr, module.chars, static_cast<DWORD>(kWidePathCapacity + 1));
  if (length > 0 && length <= kWidePathCapacity) {
    module.length = length;
    WidePath userForm;
    if (ToUserForm(module, userForm)) {
      AssignWide(path, View(userForm));
      if (!path.cut) {
        return;
      }
    }
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
  WidePath path;
  if (!ResolvePath(name, path)) {
    return;
  }
  // Opened only to be looked at: no access, and in the way of nobody.
  const HANDLE handle = CreateFileW(path.chars, 0, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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
