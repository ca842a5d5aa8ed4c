#include "support/scratch_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

// Removes everything inside the directory `handle` by handle, so that a tree
// deeper than the longest path the system can name goes as well.
void RemoveEntriesOf(int handle) {
  DIR* directory = fdopendir(handle);
  if (directory == nullptr) {
    close(handle);
    return;
  }
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || unlinkat(handle, name.c_str(), 0) == 0) {
      continue;
    }
    fchmodat(handle, name.c_str(), 0700, 0);
    const int inner = openat(handle, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (inner >= 0) {
      RemoveEntriesOf(inner);
      unlinkat(handle, name.c_str(), AT_REMOVEDIR);
    }
  }
  closedir(directory);
}

}  // namespace

void RemoveTree(const std::string& path) {
  chmod(path.c_str(), 0700);
  const int handle = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (handle >= 0) {
    RemoveEntriesOf(handle);
  }
  rmdir(path.c_str());
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvex5-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot create a scratch directory";
  }
  path = pattern;
}

ScratchDir::~ScratchDir() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  if (test != nullptr && test->result()->Failed()) {
    std::fprintf(stderr, "scratch directory kept: %s\n", path.c_str());
    return;
  }
  RemoveTree(path);
}

std::string ScratchDir::Path(const std::string& name) const { return path + "/" + name; }

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string RandomBytes(std::size_t length, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(length, '\0');
  for (char& c : bytes) {
    c = static_cast<char>(generator());
  }
  return bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace testsupport
