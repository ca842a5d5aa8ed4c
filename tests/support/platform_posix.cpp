#include "support/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace testsupport {

const bool kOpenFilesOpenAgain = true;

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

std::FILE* TemporaryFile() { return std::tmpfile(); }

bool LimitFileSize(unsigned long long bytes) {
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = bytes == 0 ? limit.rlim_max : static_cast<rlim_t>(bytes);
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

void SendInterrupt() { std::raise(SIGINT); }

namespace {

// The program leaves an interrupt that its parent ignores ignored, as a
// background job of a shell without job control expects. The tests raise
// interrupts in-process, so a test program started that way takes SIGINT
// back first and tests the foreground run, however it was started.
[[maybe_unused]] const bool kInterruptsTakenBack = [] {
  struct sigaction current {};
  if (sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
    std::signal(SIGINT, SIG_DFL);
  }
  return true;
}();

}  // namespace

bool HaveConsole() { return true; }

void MakeSystemEntry(const std::string& path) { EXPECT_EQ(mkfifo(path.c_str(), 0666), 0); }

bool MakeFileLink(const std::string& target, const std::string& link) {
  std::filesystem::create_symlink(target, link);
  return true;
}

bool MakeDirectoryLink(const std::string& target, const std::string& link) {
  std::filesystem::create_directory_symlink(target, link);
  return true;
}

bool MakeSparseFile(const std::string& path, unsigned long long length) {
  WriteFile(path, "");
  std::error_code error;
  std::filesystem::resize_file(path, length, error);
  return !error;
}

}  // namespace testsupport
