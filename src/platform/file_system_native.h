#pragma once
// What the shared file-system code (file_system.cpp) takes from each
// platform's file_system_*.cpp: how a searched directory is reached, how its
// names are read and its entries looked at, and the way back to a directory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/short_text.h"

namespace platform {

// The platform part of a running search. The searched directory is reached
// even when the current directory changes between FindFirstEntry and
// FindNextEntry (the directory walk does that): on POSIX it stays open, on
// Windows, which has no handle to search or enter by, it is kept as an
// absolute path.
struct MatchList {
  std::intptr_t directory = -1;     // POSIX: the searched directory, open
  std::wstring directoryPath;       // Windows: its absolute "\\?\" path, ending in a separator
  std::wstring entryPath;           // Windows: room for the path of one entry, reused
  // Windows: each match's attributes and reparse tag as the search found them,
  // in the order the matches were added (that of `start`, where the name
  // begins in `names`).
  struct FoundEntry {
    std::size_t start;
    std::uint32_t attributes;
    std::uint32_t reparseTag;
  };
  std::vector<FoundEntry> found;
  std::uint8_t filter = 0;
  bool exactName = false;           // the pattern holds no wild card
  std::string names;                // every match, each followed by a NUL
  std::vector<std::size_t> starts;  // where each match begins in `names`
};

// Adds `name` to the matches (shared).
void AddMatch(MatchList& list, std::string_view name);

// Reaches the directory `directoryPart` ("" is the current one); false when
// it cannot be.
[[nodiscard]] bool OpenSearchedDirectory(MatchList& list, const PathText& directoryPart);
void CloseSearchedDirectory(MatchList& list);

// Adds the names of the searched directory that `pattern` matches (with wild
// cards), or the entry it names (without); false when the directory cannot be
// read to its end. The order does not matter: the matches are sorted after.
[[nodiscard]] bool CollectMatches(MatchList& list, std::string_view pattern);

// The attribute byte of the entry `name` of the searched directory, and
// whether the entry itself is a link (symbolic link, junction, mount point);
// false when the entry is gone.
[[nodiscard]] bool ReadAttributes(MatchList& list, std::string_view name, std::uint8_t& attributes,
                                  bool& link);

// Whether `path` (without trailing separators and wild cards; `namePart` is
// its last name) is a directory that carries no attribute but kDirectory.
[[nodiscard]] bool DirectoryNamedExists(const PathText& path, std::string_view namePart);

// The current directory, kept so that the way back does not depend on what
// happens meanwhile: by handle where the platform has one (then its path may
// be longer than a text, or renamed), else by its absolute path.
struct DirectoryMark {
  std::intptr_t handle = -1;
  PathText path;
};
[[nodiscard]] bool MarkCurrentDirectory(DirectoryMark& mark);
[[nodiscard]] bool ReturnToMark(DirectoryMark& mark);
void ForgetMark(DirectoryMark& mark);

}  // namespace platform
