#pragma once
// File-system primitives on names and paths.
//
// Names are byte strings as the user typed them or as the directory holds
// them, passed to the operating system unchanged. A name or path is at most
// as long as a PathText holds (the platform's longest path), a name found in
// a directory at most 255 bytes (ShortText). All searches work relative to
// the process's current directory, which ChangeDirectory and the walk change.
//
// Attributes are those of the program's own model, mapped from the platform:
// a directory has kDirectory; a name beginning with "." (other than "." and
// "..") is kHidden; a regular file that this process may not write, or whose
// permission bits grant no write access, is kReadOnly; anything that is neither
// a regular file nor a directory (device, FIFO, socket, broken link) carries
// kSystem; a symbolic link to a directory found by a search is kDirectory |
// kSystem, so it is never walked. A symbolic link to a regular file is a
// plain dataset only when a search names it exactly (no wild cards): the user
// named it. Found by wild cards it is kSystem, never a dataset, so that a
// link in the searched tree cannot lead the program to a file elsewhere.
// kVolumeLabel and kArchive are never set on POSIX.
//
// On Windows the attributes are the system's own (read-only, hidden, system,
// directory, archive), with one addition: a link (symbolic link, junction,
// mount point) to a directory carries kSystem as well, so it is never walked,
// and a link to a file does unless it was named exactly, as on POSIX. Other
// reparse points (cloud placeholders) are the files and directories they
// stand for. Names are generalised UTF-8 (platform/unicode_text.h), converted
// only where they meet the system's wide functions; they match and are looked
// up whatever the case of their letters, as the file system does. Paths take
// "\" and "/" as separators, may begin with a drive ("C:", "C:\") and have no
// length limit of their own: every path is made absolute once and given to the
// system as a "\\?\" path, and a name found in a directory is used as it is,
// trailing dots and blanks included.
//
// Of the entries named or found, nothing but directories and regular files
// (files on a disk) is ever opened, so a FIFO never blocks the program and no
// device is touched.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/path_text.h"
#include "platform/short_text.h"

namespace platform {

inline constexpr std::uint8_t kReadOnly = 0x01;
inline constexpr std::uint8_t kHidden = 0x02;
inline constexpr std::uint8_t kSystem = 0x04;
inline constexpr std::uint8_t kVolumeLabel = 0x08;
inline constexpr std::uint8_t kDirectory = 0x10;
inline constexpr std::uint8_t kArchive = 0x20;

// Search filters: an entry with any of hidden, system, volume label or
// directory that the filter does not include is skipped.
inline constexpr std::uint8_t kPlainDatasets = 0x00;
inline constexpr std::uint8_t kDirectoriesAndDatasets = 0x10;

// The path separator written between a directory and a name.
inline constexpr char kSeparator = kNativePaths.separator;

// One running search. Its matches are taken when the search starts and given
// in the order of platform/name_order.h (CompareNames), the same on every
// platform, so that the same directory content always gives the same order
// wherever it was copied. The matches are held in
// storage owned by the record (one allocation per search, with the searched
// directory kept open so that changing the current directory meanwhile does no
// harm) until the search ends or CloseSearch; a record is not copied.
//
// Each entry that matches but that the filter leaves out because it is
// hidden, system or a link is told to `leftOut` where the caller set it (the
// record keeps it from search to search), so that nothing is left out without
// a word.
enum class LeftOutReason : std::uint8_t { Hidden, System, Link };
struct SearchRecord {
  ShortText name;               // current entry; the caller's current name
  std::uint8_t attributes = 0;  // attribute byte of the current entry
  bool failed = false;          // the searched directory could not be read
  void* matches = nullptr;      // the platform's list of matches
  std::size_t next = 0;         // index of the next match to report
  // Called with the name, attribute byte and reason of each entry left out.
  void (*leftOut)(void* context, std::string_view name, std::uint8_t attributes,
                  LeftOutReason reason) = nullptr;
  void* leftOutContext = nullptr;
};

// Starts a search for `pattern`: an optional directory part and a name part
// that may hold the wild cards "*" (any sequence) and "?" (one character);
// "*.*" matches every name (see MatchesPattern in platform/path_text.h).
// Wild cards match characters, not bytes; matching is case-sensitive on POSIX
// and ignores the case of every letter on Windows (MatchesPattern). Entries are filtered by `filter` as described
// above; "." and ".." are reported like directories. Any earlier search of the
// record is closed first. Returns true and fills name and attributes when an
// entry was found; false (name empty) when none was, when the directory part
// cannot be opened or read (`failed` is set then) or when `pattern` is longer
// than a PathText holds.
[[nodiscard]] bool FindFirstEntry(SearchRecord& search, const char* pattern, std::uint8_t filter);

// Advances to the next match. A match equal to the current name (as the
// caller left it in `search.name`) is passed over, so no dataset is reported
// twice in a row; names that differ only in trailing blanks ("a" and "a ")
// are different datasets and are each reported. A match found by wild cards
// that is gone by the time it is looked at is reported as a plain dataset
// (attributes 0), so that opening it tells it is missing; one named exactly
// that does not exist is no match. Returns true when a new entry is reported; false at the end, with
// `search.name` left as it was and the storage released.
[[nodiscard]] bool FindNextEntry(SearchRecord& search);

// Makes the current entry of a running search (a directory) the current
// directory, never through a symbolic link, even if the entry was replaced
// by one since it was found, and whatever the length of its path. False when
// it cannot be entered or its entries cannot be read.
[[nodiscard]] bool EnterFoundDirectory(const SearchRecord& search);

// Makes the directory that a running search searches the current directory
// again (the way back from EnterFoundDirectory, independent of "..").
[[nodiscard]] bool ReturnToSearchedDirectory(const SearchRecord& search);

// Releases the search's storage; safe to call twice or on a record never used.
void CloseSearch(SearchRecord& search);

// True when `name` is not empty and names a dataset that can be opened for
// reading and writing (it is opened and closed again at once). A read-only
// dataset counts as missing, as do directories and anything but a regular file
// (checked before anything is opened); a link to a regular file counts as it.
[[nodiscard]] bool DatasetExists(const char* name);

// True when FindFirstEntry with `name` and kPlainDatasets finds an entry.
[[nodiscard]] bool MatchExists(const char* name);

// True when `name` is a directory that carries no attribute but kDirectory
// (a hidden directory counts as missing). A symbolic link named here that
// leads to a directory counts as that directory. Trailing separators are
// ignored ("data/" is "data"; "/" is the root, "." and ".." count). A name
// with wild cards is false: it names no one directory that could be entered.
[[nodiscard]] bool DirectoryExists(const char* name);

// Makes `path` the current directory; false for an empty path or on failure.
[[nodiscard]] bool ChangeDirectory(const char* path);

// The absolute path of the current directory ("/" for the root, otherwise
// without a trailing separator; on Windows with its drive, "C:\" for a root).
// False (`directory` empty) when it cannot be read or is longer than a
// PathText holds.
[[nodiscard]] bool CurrentDirectory(PathText& directory);

// Splits `path` into the absolute directory and the name part: the name part
// is everything after the last separator (or after the drive, "C:*.txt");
// the directory part is entered to
// learn its absolute path (links resolved, as CurrentDirectory gives it), and
// the current directory is restored afterwards. A directory part that cannot
// be entered (or an empty one) resolves to the current directory ("/b.txt"
// gives "/", "C:\b.txt" gives "C:\"). `directory` is empty when the absolute
// path cannot be learned (longer than a PathText holds, the current directory
// unreadable, `path` too long) or the way back failed; it is never a cut path,
// since a cut path may name another directory.
void SplitPath(const char* path, PathText& directory, PathText& namePart);

// The full path of `path`: the directory of SplitPath, the separator and the
// name part (JoinPath in platform/path_text.h). A dataset in the root thus
// gives two separators ("//b.txt", "C:\\b.txt"). Empty when SplitPath gives no
// directory. A full path longer than a PathText holds is never cut (a cut path
// names another file): `fullPath` is then empty and the result false.
bool FullPath(const char* path, PathText& fullPath);

// The full path of the running program: the real path of the executable where
// the platform tells it, otherwise FullPath of `argument0`.
void ProgramPath(const char* argument0, PathText& path);

// The identity of a file (links followed): two names with the same identity
// name the same file, whichever way they were written. A file made after
// another one was deleted may get its number; `generation` tells the two
// apart where the system keeps something for it (on Linux the file system's
// generation number and the birth time), and is the same for every name of
// one file. (An NTFS file index holds a count of the reuses of its record.)
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;      // the file's number on its device (Windows: its file index)
  std::uint64_t generation = 0; // a digest of what tells this file from an earlier one of its number; 0: nothing
  bool known = false;           // false when the file could not be examined
};

// The identity of the file `name`; `known` is false when it cannot be read.
void IdentifyFile(const char* name, FileIdentity& identity);
// The identity of the open file `handle` (a descriptor of this layer).
void IdentifyOpenFile(std::intptr_t handle, FileIdentity& identity);

inline bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.known && b.known && a.device == b.device && a.inode == b.inode && a.generation == b.generation;
}

}  // namespace platform
