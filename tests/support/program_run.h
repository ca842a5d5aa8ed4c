#pragma once
// Starts the real program (the built binary) with parameters, scripted
// standard input and captured standard output.

#include <string>
#include <vector>

#include "platform/oem_text.h"

namespace testsupport {

// The character set of the real program's texts as RunProgramBinary starts
// it in the "C" locale: the code page on POSIX, UTF-8 on Windows (where the
// program writes UTF-8 whenever its output is redirected).
extern const platform::TextCharset kStartedProgramCharset;

struct ProgramResult {
  int exitStatus = -1;  // -1 when the program did not exit normally
  std::string output;   // line ends as "\n"
};

// Runs the program binary in `directory` under the locale `locale` (LC_ALL)
// and waits for it.
ProgramResult RunProgramBinary(const std::vector<std::string>& parameters, const std::string& input,
                               const std::string& directory, const std::string& locale = "C");

}  // namespace testsupport
