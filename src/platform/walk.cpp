#include "platform/walk.h"

#include <string_view>

#include "platform/file_system.h"

namespace platform {

namespace {

bool IsWalkable(const SearchRecord& search) {
  const std::string_view name = View(search.name);
  return search.attributes == kDirectory && name != "." && name != "..";
}

bool NextWalkable(SearchRecord& search) {
  while (FindNextEntry(search)) {
    if (IsWalkable(search)) {
      return true;
    }
  }
  return false;
}

// Enters the subdirectory the search found, walks it and comes back; false
// when the visitor stopped the walk.
bool WalkSubdirectory(const WalkVisitor& visitor, const SearchRecord& search) {
  if (!EnterFoundDirectory(search)) {
    return true;
  }
  ShortText directory;
  bool goOn = true;
  if (CurrentDirectory(directory)) {
    goOn = visitor.enteredDirectory(visitor.context, directory) && WalkDirectory(visitor);
  }
  if (!ReturnToSearchedDirectory(search)) {
    return false;
  }
  return goOn;
}

}  // namespace

bool WalkDirectory(const WalkVisitor& visitor) {
  if (!visitor.visitDatasets(visitor.context)) {
    return false;
  }
  SearchRecord search;
  bool found = FindFirstEntry(search, "*.*", kDirectoriesAndDatasets);
  if (found && !IsWalkable(search)) {
    found = NextWalkable(search);
  }
  bool goOn = true;
  while (found && goOn) {
    goOn = WalkSubdirectory(visitor, search);
    found = goOn && NextWalkable(search);
  }
  CloseSearch(search);
  return goOn;
}

}  // namespace platform
