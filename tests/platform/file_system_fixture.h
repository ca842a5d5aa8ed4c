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

}  // namespace testsupport
