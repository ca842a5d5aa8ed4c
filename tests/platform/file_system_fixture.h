#pragma once
// What the file-system tests of every platform share: a scratch directory as
// the current directory, and the entries a search reports.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace testsupport {

using Names = std::vector<std::string>;

// Every test runs inside its own scratch directory.
class FileSystemTest : public ::testing::Test {
 protected:
  ScratchDir scratch_;
  DirectoryGuard inScratch_{scratch_.path};  // destroyed first: leaves the directory before it is removed
  std::string root_ = std::filesystem::current_path().string();  // it may lie behind a link
};

// Every entry a search reports, as "name attributes" (in hexadecimal).
inline Names Found(const char* pattern, std::uint8_t filter) {
  Names found;
  platform::SearchRecord search;
  for (bool more = platform::FindFirstEntry(search, pattern, filter); more;
       more = platform::FindNextEntry(search)) {
    char attributes[8];
    std::snprintf(attributes, sizeof attributes, " %02x", search.attributes);
    found.push_back(std::string(platform::View(search.name)) + attributes);
  }
  platform::CloseSearch(search);
  platform::CloseSearch(search);
  return found;
}

// Each pattern finds exactly its names (searching plain datasets).
struct Search {
  std::string pattern;
  Names found;
};
inline void ExpectSearches(const std::vector<Search>& searches) {
  for (const Search& c : searches) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(Found(c.pattern.c_str(), platform::kPlainDatasets), c.found);
  }
}

// `exists` (DatasetExists, DirectoryExists) answers each name as its case says.
struct Existence {
  std::string name;
  bool exists;
};
inline void ExpectExistence(bool (*exists)(const char*), const std::vector<Existence>& cases) {
  for (const Existence& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(exists(c.name.c_str()), c.exists);
  }
}

// SplitPath of each path gives its directory and name part, and the current
// directory stays `current`.
struct PathSplit {
  std::string path;
  std::string directory;
  std::string namePart;
};
inline void ExpectPathSplits(const std::vector<PathSplit>& splits, const std::string& current) {
  for (const PathSplit& c : splits) {
    SCOPED_TRACE(c.path);
    platform::PathText directory;
    platform::PathText namePart;
    platform::SplitPath(c.path.c_str(), directory, namePart);
    EXPECT_EQ(platform::View(directory), c.directory);
    EXPECT_EQ(platform::View(namePart), c.namePart);
    EXPECT_EQ(std::filesystem::current_path().string(), current);
  }
}

}  // namespace testsupport
