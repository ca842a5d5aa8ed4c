#pragma once
// Starts the real program (the built binary) with parameters, scripted
// standard input and captured standard output.

#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
  int exitStatus = -1;  // -1 when the program did not exit normally
  std::string output;   // line ends as "\n"
};

// Runs the program binary in `directory` under the locale `locale` (LC_ALL)
// and waits for it.
ProgramResult RunProgramBinary(const std::vector<std::string>& parameters, const std::string& input,
                               const std::string& directory, const std::string& locale = "C");

}  // namespace testsupport
