#include "platform/walk.h"

#include <new>
#include <vector>

#include "platform/file_system.h"

namespace platform {

namespace {

// A directory of the walk: its search for subdirectories, whether that
// search has one in hand, and the length of the directory's path.
struct Level {
  SearchRecord search;
  bool found = false;
  std::size_t pathLength = 0;
};

// The directories from the start down to the one in hand. They are held in
// memory rather than on the stack, so that however deep the tree, the walk
// needs no more stack than at its start: where the memory runs out the walk
// can say so, where the stack runs out the process would end by a signal.
using Levels = std::vector<Level>;

// A plain directory, whatever its read-only and archive attributes: Windows
// marks customised and special folders read-only, archive tools set archive.
bool IsWalkable(const SearchRecord& search) {
  const std::string_view name = View(search.name);
  constexpr std::uint8_t kKinds = kHidden | kSystem | kVolumeLabel | kDirectory;
  return (search.attributes & kKinds) == kDirectory && name != "." && name != "..";
}

// Passes on the directories that a search leaves out; the datasets left out
// are the dataset search's to tell.
void TellLeftOutDirectory(void* context, std::string_view name, std::uint8_t attributes,
                          LeftOutReason reason) {
  const auto& visitor = *static_cast<const WalkVisitor*>(context);
  if ((attributes & kDirectory) != 0) {
    visitor.leftOut(visitor.context, name, reason);
  }
}

bool NextWalkable(SearchRecord& search) {
  while (FindNextEntry(search)) {
    if (IsWalkable(search)) {
      return true;
    }
  }
  return false;
}

// Appends `name` after a separator; false when there is no memory for it.
bool AppendName(std::string& path, std::string_view name) {
  try {
    if (path.empty() || path.back() != kSeparator) {
      path += kSeparator;
    }
    path += name;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Room for one more level, so that adding it cannot fail once the directory
// is entered.
bool RoomForLevel(Levels& levels) {
  try {
    levels.reserve(levels.size() + 1);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Adds the current directory, whose path is `path`, as the deepest level
// (room for it was made), visits it and starts its search.
WalkEnd Begin(const WalkVisitor& visitor, Levels& levels, std::string& path) {
  levels.push_back(Level{{}, false, path.size()});
  if (!visitor.visitDirectory(visitor.context, path, levels.size() > 1)) {
    return WalkEnd::Stopped;
  }
  SearchRecord& search = levels.back().search;
  if (visitor.leftOut != nullptr) {
    search.leftOut = TellLeftOutDirectory;
    search.leftOutContext = const_cast<WalkVisitor*>(&visitor);  // only read
  }
  levels.back().found =
      FindFirstEntry(search, "*.*", kDirectoriesAndDatasets) && (IsWalkable(search) || NextWalkable(search));
  return WalkEnd::Complete;
}

// Enters the subdirectory that the deepest level's search has in hand and
// begins it; one that cannot be entered, or is deeper than the limit, is
// reported and passed over.
WalkEnd Enter(const WalkVisitor& visitor, Levels& levels, std::string& path) {
  if (!RoomForLevel(levels) || !AppendName(path, View(levels.back().search.name))) {
    path.resize(levels.back().pathLength);
    return WalkEnd::NoMemory;
  }
  Level& parent = levels.back();
  if (static_cast<int>(levels.size()) > kMaxWalkDepth || !EnterFoundDirectory(parent.search)) {
    visitor.cannotEnter(visitor.context, path);
    path.resize(parent.pathLength);
    parent.found = NextWalkable(parent.search);
    return WalkEnd::Complete;
  }
  return Begin(visitor, levels, path);
}

// Ends the deepest level and returns to the directory above it; false when
// the way back failed (reported).
bool Leave(const WalkVisitor& visitor, Levels& levels, std::string& path) {
  CloseSearch(levels.back().search);
  levels.pop_back();
  if (levels.empty()) {
    return true;
  }
  path.resize(levels.back().pathLength);
  if (!ReturnToSearchedDirectory(levels.back().search)) {
    visitor.cannotEnter(visitor.context, path);
    return false;
  }
  return true;
}

}  // namespace

WalkEnd WalkDirectory(const WalkVisitor& visitor, std::string& path) {
  Levels levels;
  if (!RoomForLevel(levels)) {
    return WalkEnd::NoMemory;
  }
  WalkEnd end = Begin(visitor, levels, path);
  // Down into each subdirectory found, back up when a directory is done; once
  // the walk ends, back up through every level to the start.
  while (!levels.empty()) {
    if (end == WalkEnd::Complete && levels.back().found) {
      end = Enter(visitor, levels, path);
      continue;
    }
    if (!Leave(visitor, levels, path)) {
      end = WalkEnd::Stopped;
    } else if (end == WalkEnd::Complete && !levels.empty()) {
      levels.back().found = NextWalkable(levels.back().search);
    }
  }
  return end;
}

}  // namespace platform
