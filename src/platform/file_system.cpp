// The searches, the existence tests and the path resolution, the same on
// every platform; the platform files reach directories and read entries
// (file_system_native.h).
#include <algorithm>
#include <new>

#include "platform/dataset_file.h"
#include "platform/file_system.h"
#include "platform/file_system_native.h"
#include "platform/name_order.h"
#include "platform/path_text.h"

namespace platform {

namespace {

constexpr std::uint8_t kFilterMask = kHidden | kSystem | kVolumeLabel | kDirectory;

std::string_view MatchAt(const MatchList& list, std::size_t index) {
  return list.names.data() + list.starts[index];
}

void SortMatches(MatchList& list) {
  std::sort(list.starts.begin(), list.starts.end(), [&list](std::size_t a, std::size_t b) {
    return CompareNames(list.names.data() + a, list.names.data() + b) < 0;
  });
}

void ReleaseMatches(SearchRecord& search) {
  auto* list = static_cast<MatchList*>(search.matches);
  if (list != nullptr) {
    CloseSearchedDirectory(*list);
    delete list;
  }
  search.matches = nullptr;
  search.next = 0;
}

// Tells the caller of an entry left out for being hidden, system or a link
// (a directory or a volume label left out of a search for datasets is not
// one: it is no dataset).
void TellLeftOut(const SearchRecord& search, std::string_view name, std::uint8_t attributes, bool link) {
  if (search.leftOut == nullptr || name == "." || name == "..") {
    return;
  }
  LeftOutReason reason = LeftOutReason::Hidden;
  if (link) {
    reason = LeftOutReason::Link;
  } else if ((attributes & kSystem) != 0) {
    reason = LeftOutReason::System;
  } else if ((attributes & kHidden) == 0) {
    return;
  }
  search.leftOut(search.leftOutContext, name, attributes, reason);
}

// Reports the next match that passes the filter. With
// `afterCurrent`, a match equal to the caller's current name is passed over.
bool ReportNextMatch(SearchRecord& search, bool afterCurrent) {
  auto* list = static_cast<MatchList*>(search.matches);
  while (list != nullptr && search.next < list->starts.size()) {
    const std::string_view name = MatchAt(*list, search.next++);
    if (afterCurrent && View(search.name) == name) {
      continue;
    }
    std::uint8_t attributes = 0;
    bool link = false;
    if (!ReadAttributes(*list, name, attributes, link)) {
      if (list->exactName) {
        continue;  // named, never found
      }
      attributes = 0;  // found and gone since: opening it tells so
    }
    if ((attributes & ~list->filter & kFilterMask) != 0) {
      TellLeftOut(search, name, attributes, link);
      continue;
    }
    Assign(search.name, name);
    search.attributes = attributes;
    return true;
  }
  ReleaseMatches(search);
  return false;
}

// Fills the new `list` for `directoryPart` and `namePart`; false when the
// directory cannot be reached or read.
bool FillMatches(MatchList& list, const PathText& directoryPart, const PathText& namePart) {
  try {
    if (!OpenSearchedDirectory(list, directoryPart) || !CollectMatches(list, View(namePart))) {
      return false;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  SortMatches(list);
  return true;
}

}  // namespace

void AddMatch(MatchList& list, std::string_view name) {
  list.starts.push_back(list.names.size());
  list.names.append(name);
  list.names.push_back('\0');
}

bool FindFirstEntry(SearchRecord& search, const char* pattern, std::uint8_t filter) {
  ReleaseMatches(search);
  Clear(search.name);
  search.attributes = 0;
  search.failed = false;
  PathText directoryPart;
  PathText namePart;
  if (!SplitPathText(pattern, directoryPart, namePart) || namePart.length == 0) {
    return false;
  }
  auto* list = new (std::nothrow) MatchList;
  if (list == nullptr) {
    search.failed = true;
    return false;
  }
  search.matches = list;
  list->filter = filter;
  list->exactName = !HasWildcard(View(namePart));
  if (!FillMatches(*list, directoryPart, namePart)) {
    ReleaseMatches(search);
    search.failed = true;
    return false;
  }
  return ReportNextMatch(search, false);
}

bool FindNextEntry(SearchRecord& search) { return ReportNextMatch(search, true); }

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
  PathText directoryPart;
  PathText namePart;
  if (path.empty() || !SplitPathText(path, directoryPart, namePart)) {
    return false;
  }
  // A name with wild cards names no one directory that could be entered.
  if (HasWildcard(path)) {
    return false;
  }
  PathText trimmed;
  Assign(trimmed, path);
  return DirectoryNamedExists(trimmed, View(namePart));
}

void SplitPath(const char* path, PathText& directory, PathText& namePart) {
  Clear(directory);
  PathText directoryPart;
  if (!SplitPathText(path, directoryPart, namePart)) {
    return;
  }
  DirectoryMark mark;
  if (directoryPart.length == 0 || !MarkCurrentDirectory(mark)) {
    (void)CurrentDirectory(directory);
    return;
  }
  if (!ChangeDirectory(directoryPart.chars)) {
    ForgetMark(mark);
    (void)CurrentDirectory(directory);
    return;
  }
  (void)CurrentDirectory(directory);
  if (!ReturnToMark(mark)) {
    Clear(directory);
  }
}

bool FullPath(const char* path, PathText& fullPath) {
  PathText directory;
  PathText namePart;
  SplitPath(path, directory, namePart);
  if (directory.length == 0 || !JoinPath(View(directory), View(namePart), fullPath)) {
    Clear(fullPath);
    return false;
  }
  return true;
}

}  // namespace platform
