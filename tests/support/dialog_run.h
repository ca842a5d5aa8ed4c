#pragma once
// Runs the whole program in-process on scripted console input and returns
// what it wrote to the console.

#include <string>
#include <vector>

namespace testsupport {

struct DialogResult {
  int status = -1;
  std::string output;
};

// Runs the program with `parameters` (1 to n; parameter 0 is "tarvex5") and
// `input` as the console input, in the current directory, without the intro
// pause.
DialogResult RunDialog(const std::vector<std::string>& parameters, const std::string& input);

// Changes into `directory` and back to the previous current directory when
// the guard ends.
struct DirectoryGuard {
  explicit DirectoryGuard(const std::string& directory);
  ~DirectoryGuard();
  DirectoryGuard(const DirectoryGuard&) = delete;
  DirectoryGuard& operator=(const DirectoryGuard&) = delete;
  std::string previous;
};

// `text` with every "\n" replaced by CR LF, as the log writes its lines.
std::string LogLines(const std::string& text);

}  // namespace testsupport
