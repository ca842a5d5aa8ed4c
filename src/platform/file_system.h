#pragma once
// File-system primitives on names and paths.
//
// Names are byte strings as the user typed them or as the directory holds
// them, passed to the operating system unchanged; every name and path is at
// most 255 bytes (ShortText). All searches work relative to the process's
// current directory, which ChangeDirectory and the walk change.
//
// Attributes are those of the program's own model, mapped from the platform:
// a directory has kDirectory; a name beginning with "." (other than "." and
// "..") is kHidden; a regular file that this process may not write, or whose
// permission bits grant no write access, is kReadOnly; anything that is neither
// a regular file nor a directory (device, FIFO, socket, broken link) carries
// kSystem; a symbolic link to a directory found by a search is kDirectory |
// kSystem, so it is never walked; a symbolic link to a regular file is a plain
// dataset.

#include <cstddef>
#include <cstdint>

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
inline constexpr char kSeparator = '/';

// One running search. Its matches are taken when the search starts and given
// in ascending byte order of their names, so that the same directory content
// always gives the same order wherever it was copied. The matches are held in
// storage owned by the record until CloseSearch; a record is not copied.
struct SearchRecord {
  ShortText name;               // current entry; the caller's current name
  std::uint8_t attributes = 0;  // attribute byte of the current entry
  void* matches = nullptr;      // the platform's list of matches
  std::size_t next = 0;         // index of the next match to report
};

// Starts a search for `pattern`: an optional directory part and a name part
// that may hold the wild cards "*" (any sequence) and "?" (one character);
// "*.*" matches every name. Matching is case-sensitive. Entries are filtered
// by `filter` as described above; "." and ".." are reported like directories.
// Returns true and fills name and attributes when an entry was found.
[[nodiscard]] bool FindFirstEntry(SearchRecord& search, const char* pattern, std::uint8_t filter);

// Advances to the next match. Before it reports one, trailing blanks are
// removed from the current name and from the new one and the two compared: if
// equal, the search counts as ended. An entry that vanished since the search
// started is skipped. Returns true when a new entry is reported.
[[nodiscard]] bool FindNextEntry(SearchRecord& search);

// Releases the search's storage; safe to call twice or on a record never used.
void CloseSearch(SearchRecord& search);

// True when `name` is not empty and names a dataset that can be opened for
// reading and writing (it is opened and closed again at once). A read-only
// dataset counts as missing, as do directories and anything but a regular file.
[[nodiscard]] bool DatasetExists(const char* name);

// True when FindFirstEntry with `name` and kPlainDatasets finds an entry.
[[nodiscard]] bool MatchExists(const char* name);

// True when `name` is a directory that carries no attribute but kDirectory
// (a hidden directory counts as missing). A symbolic link named here that
// leads to a directory counts as that directory.
[[nodiscard]] bool DirectoryExists(const char* name);

// Makes `path` the current directory; false for an empty path or on failure.
[[nodiscard]] bool ChangeDirectory(const char* path);

// The absolute path of the current directory ("/" for the root, otherwise
// without a trailing separator). False when it cannot be read or is longer
// than 255 bytes.
[[nodiscard]] bool CurrentDirectory(ShortText& directory);

// Splits `path` into the absolute directory and the name part: the name part
// is everything after the last separator; the directory part is entered to
// learn its absolute path, and the current directory is restored afterwards.
// A directory part that cannot be entered (or an empty one) resolves to the
// current directory.
void SplitPath(const char* path, ShortText& directory, ShortText& namePart);

// The full path of `path`: the directory of SplitPath, the separator and the
// name part. A dataset in the root thus gives two separators ("//b.txt").
void FullPath(const char* path, ShortText& fullPath);

// The full path of the running program: the real path of the executable where
// the platform tells it, otherwise FullPath of `argument0`.
void ProgramPath(const char* argument0, ShortText& path);

}  // namespace platform
