#include "support/scratch_dir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace testsupport {

ScratchDir::ScratchDir() {
  // A fresh name: create_directory tells whether the directory is new.
  const std::filesystem::path temporary = std::filesystem::temp_directory_path();
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
    const std::filesystem::path candidate = temporary / ("tarvex5-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path = candidate.string();
    }
  }
  if (path.empty()) {
    ADD_FAILURE() << "cannot create a scratch directory";
  }
}

ScratchDir::~ScratchDir() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (test != nullptr && test->result()->Failed()) {
    std::fprintf(stderr, "scratch directory kept: %s\n", path.c_str());
    return;
  }
  // Whatever a test made read-only or unwritable must go as well.
  namespace fs = std::filesystem;
  std::error_code ignored;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (fs::recursive_directory_iterator entry(path, ignored), end; !ignored && entry != end;
       entry.increment(ignored)) {
    fs::permissions(entry->path(), fs::perms::owner_all,
                    fs::perm_options::add | fs::perm_options::nofollow, ignored);
    ignored.clear();
  }
  fs::remove_all(path, ignored);
}

std::string ScratchDir::Path(const std::string& name) const { return path + platform::kSeparator + name; }

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace testsupport
