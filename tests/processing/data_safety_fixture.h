#pragma once
// What the data-safety tests of every platform share: a scratch directory as
// the current directory, and the whole program run there on answers given
// as parameters.

#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace testsupport {

// The bytes a dataset is read and written through at once.
inline constexpr std::size_t kChunk = 1 << 20;

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// What a run wrote, its stamps as "STAMP".
struct DataSafetyResult {
  std::string console;
  std::string log;
};

class DataSafetyFixture : public ::testing::Test {
 protected:
  ScratchDir scratch;
  DirectoryGuard inScratch{scratch.path};

  // The whole program, answered by parameters: the language, the log, the
  // selection, the form, an ASCII key and no overlay. `input` answers what
  // the console is asked.
  DataSafetyResult Run(const std::string& selection, int form, int language = 0, const std::string& input = "") {
    const DialogResult run = RunDialog(
        {std::to_string(language), scratch.Path("run.log"), selection, std::to_string(form), "1", "secret", "0"},
        input);
    return {WithoutStamps(run.output), WithoutStamps(ReadFile(scratch.Path("run.log")))};
  }
};

}  // namespace testsupport
