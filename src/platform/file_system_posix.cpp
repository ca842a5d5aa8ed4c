#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/file_system.h"
#include "platform/file_system_native.h"
#include "platform/path_text.h"

namespace platform {

static_assert(kPathTextCapacity + 1 >= PATH_MAX, "a path text holds every path the system can name");

namespace {

// A handle that is only used to return to a directory or to look up names in
// it. O_PATH also opens a directory that may be entered but not read (mode
// 0711); without it, read permission is needed.
#if defined(O_PATH)
constexpr int kDirectoryHandleFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kDirectoryHandleFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

bool IsDotOrDotDot(std::string_view name) { return name == "." || name == ".."; }

bool IsHiddenName(std::string_view name) {
  return !name.empty() && name[0] == '.' && !IsDotOrDotDot(name);
}

// Root may write any file, so the permission bits alone decide for it: a file
// that nobody is meant to write is never rewritten.
bool HasWritePermissionBits(const struct stat& status) {
  return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

int DirectoryOf(const MatchList& list) { return static_cast<int>(list.directory); }

// The attribute byte of `name` in `directory` and whether it is a symbolic
// link; false when the entry is gone. A link to a regular file is a dataset
// only when it was named exactly.
bool ReadEntryAttributes(int directory, const char* name, bool exactName, std::uint8_t& attributes,
                         bool& link) {
  struct stat status;
  if (fstatat(directory, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
    return false;
  }
  attributes = IsHiddenName(name) ? kHidden : 0;
  link = S_ISLNK(status.st_mode);
  if (link && fstatat(directory, name, &status, 0) != 0) {
    attributes |= kSystem;  // a dangling link or a loop
  } else if (S_ISDIR(status.st_mode)) {
    // A linked directory is never walked: a link back into the tree would never end.
    attributes |= link ? (kDirectory | kSystem) : kDirectory;
  } else if (link && !exactName) {
    attributes |= kSystem;
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

// Adds the names of the list's directory that match `pattern`. False when the
// directory cannot be read to its end.
bool ReadDirectory(MatchList& list, std::string_view pattern) {
  const int handle = openat(DirectoryOf(list), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
  return complete;
}

}  // namespace

bool OpenSearchedDirectory(MatchList& list, const PathText& directoryPart) {
  list.directory = open(directoryPart.length == 0 ? "." : directoryPart.chars, kDirectoryHandleFlags);
  return list.directory >= 0;
}

void CloseSearchedDirectory(MatchList& list) {
  if (list.directory >= 0) {
    close(DirectoryOf(list));
    list.directory = -1;
  }
}

bool CollectMatches(MatchList& list, std::string_view pattern) {
  if (HasWildcard(pattern)) {
    return ReadDirectory(list, pattern);
  }
  // A plain name is looked up directly, which also works in a directory that
  // may be entered but not read; whether it exists is seen when reported.
  AddMatch(list, pattern);
  return true;
}

bool ReadAttributes(MatchList& list, std::string_view name, std::uint8_t& attributes, bool& link) {
  // Every match is followed by a NUL in the list's storage.
  return ReadEntryAttributes(DirectoryOf(list), name.data(), list.exactName, attributes, link);
}

bool DirectoryNamedExists(const PathText& path, std::string_view namePart) {
  struct stat status;
  return !IsHiddenName(namePart) && stat(path.chars, &status) == 0 && S_ISDIR(status.st_mode);
}

bool MarkCurrentDirectory(DirectoryMark& mark) {
  mark.handle = open(".", kDirectoryHandleFlags);
  return mark.handle >= 0 || CurrentDirectory(mark.path);
}

bool ReturnToMark(DirectoryMark& mark) {
  if (mark.handle < 0) {
    return chdir(mark.path.chars) == 0;
  }
  const bool back = fchdir(static_cast<int>(mark.handle)) == 0;
  ForgetMark(mark);
  return back;
}

void ForgetMark(DirectoryMark& mark) {
  if (mark.handle >= 0) {
    close(static_cast<int>(mark.handle));
    mark.handle = -1;
  }
}

bool EnterFoundDirectory(const SearchRecord& search) {
  const auto* list = static_cast<const MatchList*>(search.matches);
  if (list == nullptr) {
    return false;
  }
  const int fd = openat(DirectoryOf(*list), search.name.chars,
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
  return list != nullptr && fchdir(DirectoryOf(*list)) == 0;
}

bool ChangeDirectory(const char* path) { return path[0] != '\0' && chdir(path) == 0; }

bool CurrentDirectory(PathText& directory) {
  char buffer[kPathTextCapacity + 1];
  // getcwd fails with ERANGE for a longer path; older C libraries may answer
  // "(unreachable)..." for a directory outside the process's root.
  if (getcwd(buffer, sizeof buffer) == nullptr || buffer[0] != kSeparator) {
    Clear(directory);
    return false;
  }
  Assign(directory, buffer);
  return true;
}

void ProgramPath(const char* argument0, PathText& path) {
  char resolved[PATH_MAX];
  if (realpath("/proc/self/exe", resolved) != nullptr) {
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
