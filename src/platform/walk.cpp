#include "platform/walk.h"

#include "platform/file_system.h"

namespace platform {

namespace {

// A plain directory, whatever its read-only and archive attributes: Windows
// marks customised and special folders read-only, archive tools set archive.
bool IsWalkable(const SearchRecord& search) {
  const std::string_view name = View(search.name);
  constexpr std::uint8_t kKinds = kHidden | kSystem | kVolumeLabel | kDirectory;
  return (search.attributes & kKinds) == kDirectory && name != "." && name != "..";
}

bool NextWalkable(SearchRecord& search) {
  while (FindNextEntry(search)) {
    if (IsWalkable(search)) {
      return true;
    }
  }
  return false;
}

void AppendName(std::string& path, std::string_view name) {
  if (path.empty() || path.back() != kSeparator) {
    path += kSeparator;
  }
  path += name;
}

bool Walk(const WalkVisitor& visitor, std::string& path, int depth);

// Enters the subdirectory the search found, `depth` levels below the start,
// walks it and comes back; false when the visitor stopped the walk or the way
// back failed.
bool WalkSubdirectory(const WalkVisitor& visitor, const SearchRecord& search, std::string& path,
                      int depth) {
  const std::size_t parentLength = path.size();
  AppendName(path, View(search.name));
  if (depth > kMaxWalkDepth || !EnterFoundDirectory(search)) {
    visitor.cannotEnter(visitor.context, path);
    path.resize(parentLength);
    return true;
  }
  const bool goOn = Walk(visitor, path, depth);
  path.resize(parentLength);
  if (!ReturnToSearchedDirectory(search)) {
    visitor.cannotEnter(visitor.context, path);
    return false;
  }
  return goOn;
}

// Passes on the directories that the search leaves out; the datasets left
// out are the dataset search's to tell.
void TellLeftOutDirectory(void* context, std::string_view name, std::uint8_t attributes,
                          LeftOutReason reason) {
  const auto& visitor = *static_cast<const WalkVisitor*>(context);
  if ((attributes & kDirectory) != 0) {
    visitor.leftOut(visitor.context, name, reason);
  }
}

bool Walk(const WalkVisitor& visitor, std::string& path, int depth) {
  if (!visitor.visitDirectory(visitor.context, path, depth > 0)) {
    return false;
  }
  SearchRecord search;
  if (visitor.leftOut != nullptr) {
    search.leftOut = TellLeftOutDirectory;
    search.leftOutContext = const_cast<WalkVisitor*>(&visitor);
  }
  bool found = FindFirstEntry(search, "*.*", kDirectoriesAndDatasets);
  if (found && !IsWalkable(search)) {
    found = NextWalkable(search);
  }
  bool goOn = true;
  while (found && goOn) {
    goOn = WalkSubdirectory(visitor, search, path, depth + 1);
    found = goOn && NextWalkable(search);
  }
  CloseSearch(search);
  return goOn;
}

}  // namespace

bool WalkDirectory(const WalkVisitor& visitor, std::string& path) {
  return Walk(visitor, path, 0);
}

}  // namespace platform
