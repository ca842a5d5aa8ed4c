#include "support/platform.h"

#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace testsupport {

void SendInterrupt() { std::raise(SIGINT); }

void RestoreInterrupts() { std::signal(SIGINT, SIG_DFL); }

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
