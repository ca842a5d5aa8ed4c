#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_text.h"

namespace platform {

namespace {

// A handle that is only used to return to a directory or to look up names in
// it. O_PATH also opens a directory that may be entered but not read (mode
// 0711); without it, read permission is needed.
#if defined(O_PATH)
constexpr int kDirectoryHandleFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kDirectoryHandleFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

constexpr std::uint8_t kFilterMask = kHidden | kSystem | kVolumeLabel | kDirectory;

// The platform part of a running search: the searched directory stays open so
// that entries are looked at there even when the current directory changes
// between FindFirstEntry and FindNextEntry (the directory walk does that).
struct MatchList {
  int directory = -1;
  std::uint8_t filter = 0;
  std::string names;                // every match, each followed by a NUL
  std::vector<std::size_t> starts;  // where each match begins in `names`, in byte order
};

bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

bool IsHiddenName(std::string_view name) {
  return !name.empty() && name[0] == '.' && !IsDotOrDotDot(name);
}

// Root may write any file, so the permission bits alone decide for it: a file
// that nobody is meant to write is never rewritten.
bool HasWritePermissionBits(const struct stat& status) {
  return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

bool IsWritableRegularFile(const struct stat& status) {
  return S_ISREG(status.st_mode) && HasWritePermissionBits(status);
}

// The attribute byte of `name` in `directory`; false when the entry is gone.
bool ReadAttributes(int directory, const char* name, std::uint8_t& attributes) {
  struct stat status;
  if (fstatat(directory, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
    return false;
  }
  attributes = IsHiddenName(name) ? kHidden : 0;
  const bool link = S_ISLNK(status.st_mode);
  if (link && fstatat(directory, name, &status, 0) != 0) {
    attributes |= kSystem;  // a dangling link or a loop
  } else if (S_ISDIR(status.st_mode)) {
    // A linked directory is never walked: a link back into the tree would never end.
    attributes |= link ? (kDirectory | kSystem) : kDirectory;
  } else if (S_ISREG(status.st_mode)) {
    // faccessat also reports a read-only file system (EROFS).
    if (!HasWritePermissionBits(status) || faccessat(directory, name, W_OK, AT_EACCESS) != 0) {
      attributes |= kReadOnly;
    }
  } else {
    attributes |= kSystem;
  }
  return true;
}

void AddMatch(MatchList& list, std::string_view name) {
  list.starts.push_back(list.names.size());
  list.names.append(name);
  list.names.push_back('\0');
}

std::string_view MatchAt(const MatchList& list, std::size_t index) {
  return list.names.data() + list.starts[index];
}

// Reads the names of the list's directory that match `pattern`, sorted.
// False when the directory cannot be read to its end.
bool ReadDirectory(MatchList& list, std::string_view pattern) {
  const int handle = openat(list.directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) {
    return false;
  }
  DIR* directory = fdopendir(handle);
  if (directory == nullptr) {
    close(handle);
    return false;
  }
  bool complete = false;
  try {
    for (;;) {
      errno = 0;  // readdir tells the end from an error only by errno
      const dirent* entry = readdir(directory);
      if (entry == nullptr) {
        complete = errno == 0;
        break;
      }
      const std::string_view name = entry->d_name;
      if (name.size() <= kShortTextCapacity && MatchesPattern(pattern, name)) {
        AddMatch(list, name);
      }
    }
  } catch (const std::bad_alloc&) {
    complete = false;
  }
  closedir(directory);
  std::sort(list.starts.begin(), list.starts.end(), [&list](std::size_t a, std::size_t b) {
    return std::string_view(list.names.data() + a) < std::string_view(list.names.data() + b);
  });
  return complete;
}

bool CollectMatches(MatchList& list, std::string_view pattern) {
  if (HasWildcard(pattern)) {
    return ReadDirectory(list, pattern);
  }
  // A plain name is looked up directly, which also works in a directory that
  // may be entered but not read; whether it exists is seen when reported.
  try {
    AddMatch(list, pattern);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void ReleaseMatches(SearchRecord& search) {
  auto* list = static_cast<MatchList*>(search.matches);
  if (list != nullptr) {
    if (list->directory >= 0) {
      close(list->directory);
    }
    delete list;
  }
  search.matches = nullptr;
  search.next = 0;
}

// Reports the next match that still exists and passes the filter. With
// `afterCurrent`, a match equal to the caller's current name is passed over.
bool ReportNextMatch(SearchRecord& search, bool afterCurrent) {
  const auto* list = static_cast<const MatchList*>(search.matches);
  while (list != nullptr && search.next < list->starts.size()) {
    const std::string_view name = MatchAt(*list, search.next++);
    if (afterCurrent && View(search.name) == name) {
      continue;
    }
    std::uint8_t attributes = 0;
    if (!ReadAttributes(list->directory, name.data(), attributes) ||
        (attributes & ~list->filter & kFilterMask) != 0) {
      continue;
    }
    Assign(search.name, name);
    search.attributes = attributes;
    return true;
  }
  ReleaseMatches(search);
  return false;
}

bool DirectoryNamedExists(const char* path, std::string_view namePart) {
  struct stat status;
  return !IsHiddenName(namePart) && stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// The current directory, kept as a handle so that the way back does not
// depend on its path (which may be longer than a text or renamed meanwhile).
struct DirectoryMark {
  int handle = -1;
  ShortText path;
};

bool MarkCurrentDirectory(DirectoryMark& mark) {
  mark.handle = open(".", kDirectoryHandleFlags);
  return mark.handle >= 0 || CurrentDirectory(mark.path);
}

bool ReturnToMark(DirectoryMark& mark) {
  if (mark.handle < 0) {
    return chdir(mark.path.chars) == 0;
  }
  const bool back = fchdir(mark.handle) == 0;
  close(mark.handle);
  mark.handle = -1;
  return back;
}

void ForgetMark(DirectoryMark& mark) {
  if (mark.handle >= 0) {
    close(mark.handle);
    mark.handle = -1;
  }
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
  list->directory = open(directoryPart.length == 0 ? "." : directoryPart.chars, kDirectoryHandleFlags);
  if (list->directory < 0 || !CollectMatches(*list, View(namePart))) {
    ReleaseMatches(search);
    return false;
  }
  return ReportNextMatch(search, false);
}

bool FindNextEntry(SearchRecord& search) { return ReportNextMatch(search, true); }

bool EnterFoundDirectory(const SearchRecord& search) {
  const auto* list = static_cast<const MatchList*>(search.matches);
  if (list == nullptr) {
    return false;
  }
  const int fd = openat(list->directory, search.name.chars,
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  const bool entered = fchdir(fd) == 0;
  close(fd);
  return entered;
}

bool ReturnToSearchedDirectory(const SearchRecord& search) {
  const auto* list = static_cast<const MatchList*>(search.matches);
  return list != nullptr && fchdir(list->directory) == 0;
}

void CloseSearch(SearchRecord& search) { ReleaseMatches(search); }

bool DatasetExists(const char* name) {
  struct stat status;
  // Looked at before it is opened: opening a FIFO may block, opening a device may act on it.
  if (name[0] == '\0' || stat(name, &status) != 0 || !IsWritableRegularFile(status)) {
    return false;
  }
  const int handle = open(name, O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (handle < 0) {
    return false;
  }
  // The name may have been given to something else since the stat.
  const bool regular = fstat(handle, &status) == 0 && IsWritableRegularFile(status);
  close(handle);
  return regular;
}

bool MatchExists(const char* name) {
  SearchRecord search;
  const bool found = FindFirstEntry(search, name, kPlainDatasets);
  CloseSearch(search);
  return found;
}

bool DirectoryExists(const char* name) {
  const std::string_view path = WithoutTrailingSeparators(name);
  ShortText directoryPart;
  ShortText namePart;
  if (path.empty() || !SplitPathText(path, directoryPart, namePart)) {
    return false;
  }
  // A name with wild cards names no one directory that could be entered.
  if (HasWildcard(path)) {
    return false;
  }
  ShortText trimmed;
  Assign(trimmed, path);
  return DirectoryNamedExists(trimmed.chars, View(namePart));
}

bool ChangeDirectory(const char* path) { return path[0] != '\0' && chdir(path) == 0; }

bool CurrentDirectory(ShortText& directory) {
  char buffer[kShortTextCapacity + 1];
  // getcwd fails with ERANGE for a longer path; older C libraries may answer
  // "(unreachable)..." for a directory outside the process's root.
  if (getcwd(buffer, sizeof buffer) == nullptr || buffer[0] != kSeparator) {
    Clear(directory);
    return false;
  }
  Assign(directory, buffer);
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
  DirectoryMark mark;
  if (!MarkCurrentDirectory(mark)) {
    (void)CurrentDirectory(directory);
    return false;
  }
  if (chdir(directoryPart.chars) != 0) {
    ForgetMark(mark);
    (void)CurrentDirectory(directory);
    return false;
  }
  const bool known = CurrentDirectory(directory);
  if (!ReturnToMark(mark)) {
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
  char resolved[PATH_MAX];
  if (realpath("/proc/self/exe", resolved) != nullptr &&
      std::string_view(resolved).size() <= kShortTextCapacity) {
    Assign(path, resolved);
    return;
  }
  (void)FullPath(argument0, path);
}

namespace {

void TakeIdentity(const struct stat& status, FileIdentity& identity) {
  identity.device = static_cast<std::uint64_t>(status.st_dev);
  identity.inode = static_cast<std::uint64_t>(status.st_ino);
  identity.known = true;
}

}  // namespace

void IdentifyFile(const char* name, FileIdentity& identity) {
  struct stat status {};
  identity = FileIdentity{};
  if (name[0] != '\0' && stat(name, &status) == 0) {
    TakeIdentity(status, identity);
  }
}

void IdentifyOpenFile(std::intptr_t handle, FileIdentity& identity) {
  struct stat status {};
  identity = FileIdentity{};
  if (handle >= 0 && fstat(static_cast<int>(handle), &status) == 0) {
    TakeIdentity(status, identity);
  }
}

}  // namespace platform
