#pragma once
// A fresh scratch directory per test: removed when the test passed, kept (and
// its path printed) when it failed.

#include <string>

namespace testsupport {

struct ScratchDir {
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The absolute path of `name` inside the directory.
  std::string Path(const std::string& name) const;

  std::string path;
};

// Removes the directory `path` with everything in it, however deep.
void RemoveTree(const std::string& path);

// Writes `content` to the file `path` (created or truncated).
void WriteFile(const std::string& path, const std::string& content);
// The whole content of the file `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// `length` bytes of a fixed pseudo-random sequence chosen by `seed`.
std::string RandomBytes(std::size_t length, unsigned seed);

// Datasets enough, with names long enough, that the announcements of a run
// over them (two lines for each) go far beyond a pipe's buffer: a run that
// writes into a pipe no longer read cannot reach its end. In the directory
// "data" of `scratch`, as "abc" each.
void WritePipeFillingDatasets(const ScratchDir& scratch);
// True when one of them at least is still as written: the run ended early.
bool SomePipeFillingDatasetUnchanged(const ScratchDir& scratch);

}  // namespace testsupport
