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
  RemoveTree(path);
}

std::string ScratchDir::Path(const std::string& name) const { return path + platform::kSeparator + name; }

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

namespace {

constexpr int kPipeFillingDatasets = 500;

std::string PipeFillingDataset(const ScratchDir& scratch, int i) {
  return scratch.Path("data/" + std::string(150, 'f') + std::to_string(i));
}

}  // namespace

void WritePipeFillingDatasets(const ScratchDir& scratch) {
  std::filesystem::create_directory(scratch.Path("data"));
  for (int i = 0; i < kPipeFillingDatasets; ++i) {
    WriteFile(PipeFillingDataset(scratch, i), "abc");
  }
}

bool SomePipeFillingDatasetUnchanged(const ScratchDir& scratch) {
  for (int i = 0; i < kPipeFillingDatasets; ++i) {
    if (ReadFile(PipeFillingDataset(scratch, i)) == "abc") {
      return true;
    }
  }
  return false;
}

}  // namespace testsupport
