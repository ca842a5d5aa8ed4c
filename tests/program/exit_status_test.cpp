// The exit status tells a script what happened: every status, and which one
// wins when several things happen in one run.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dataset_file.h"
#include "support/dialog_run.h"
#include "support/platform.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::WriteFile;

void InterruptAtTheFirstWrite(int write) {
  if (write == 1) {
    testsupport::SendInterrupt();
  }
}

TEST(ExitStatus, TellsWhatHappened) {
  struct Case {
    const char* name;
    std::vector<std::string> parameters;
    std::string input;
    platform::DatasetFaults faults;
    unsigned long long logLimit;  // bytes the log may grow to; 0: no limit
    int status;
  };
  // Parameters 4 to 7 for the lists below: encode, ASCII key, no overlay.
  const auto encode = [](const char* selection) {
    return std::vector<std::string>{"0", "log.txt", selection, "1", "1", "secret", "0"};
  };
  const Case cases[] = {
      {"the selection processed", encode("(both.txt)"), "", {}, 0, 0},
      {"a dataset named twice, passed over the second time", encode("(twice.txt)"), "", {}, 0, 0},
      {"answer 9 at a menu", {"0", "log.txt"}, "9\n", {}, 0, 0},
      {"an empty name", {"0", "log.txt"}, "1\n\n", {}, 0, 0},
      {"the description, then the end", {"0"}, "log.txt\n2\n", {}, 0, 0},
      {"a named dataset does not exist", encode("(missing.txt)"), "", {}, 0, 1},
      {"a dataset cut short by a failed write", encode("(both.txt)"), "", {.failWrite = 1}, 0, 1},
      {"interrupted before the end of the selection", encode("(both.txt)"), "",
       {.beforeWrite = InterruptAtTheFirstWrite}, 0, 130},
      {"interrupted after a dataset was left", encode("(missing.txt)"), "",
       {.beforeWrite = InterruptAtTheFirstWrite}, 0, 130},
      {"the input ends at a question", {"0", "log.txt"}, "", {}, 0, 2},
      {"the key dataset is unusable", {"0", "log.txt", "a.txt", "1", "2", "(key.txt)"}, "", {}, 0, 2},
      {"the log cannot be written", {"0"}, "log.txt\n1\n9\n", {}, 4096, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::ScratchDir scratch;
    testsupport::DirectoryGuard inScratch(scratch.path);
    WriteFile("a.txt", "aaa");
    WriteFile("b.txt", "bbb");
    WriteFile("both.txt", "a.txt\nb.txt\n");
    WriteFile("twice.txt", "a.txt\na.txt\n");
    WriteFile("missing.txt", "missing\na.txt\nb.txt\n");
    WriteFile("key.txt", "not hexadecimal");
    if (c.logLimit > 0 && !testsupport::LimitFileSize(c.logLimit)) {
      continue;  // no such limit on this system
    }
    platform::DatasetFaults faults = c.faults;
    platform::gDatasetFaults = &faults;
    const testsupport::DialogResult result = testsupport::RunDialog(c.parameters, c.input);
    platform::gDatasetFaults = nullptr;
    if (c.logLimit > 0) {
      testsupport::LimitFileSize(0);
    }
    EXPECT_EQ(result.status, c.status) << result.output;
  }
}

}  // namespace
