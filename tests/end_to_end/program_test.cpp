// The real program, started as a user starts it (with its real intro pause).
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/dialog_run.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"

namespace {

TEST(Program, StartsShowsTheIntroAndEndsWithStatusZero) {
  testsupport::ScratchDir scratch;
  const auto start = std::chrono::steady_clock::now();
  const testsupport::ProgramResult result =
      testsupport::RunProgramBinary({"1", "log.txt"}, "9\n", scratch.path);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_GE(elapsed, std::chrono::milliseconds(4000)) << "the intro screen stays four seconds";
  std::string end = "\nVer-/Entschl\x81sselungsprogramm  T A R V E X 5  1.0  beendet.\n";
  if (testsupport::kStartedProgramCharset == platform::TextCharset::Utf8) {
    end = testsupport::Utf8Of(end);
  }
  ASSERT_GE(result.output.size(), end.size());
  EXPECT_EQ(result.output.substr(result.output.size() - end.size()), end);
  const std::string log = testsupport::ReadFile(scratch.Path("log.txt"));
  EXPECT_NE(log.find("  P r o g r a m m a b b r u c h !  \r\n\r\n"), std::string::npos);
}

// What the in-process tests show for every exit status holds for the
// process: a dataset left gives 1, a question left unanswered 2.
TEST(Program, ExitStatusTellsWhatHappened) {
  struct Case {
    const char* name;
    std::vector<std::string> parameters;
    int status;
  };
  const Case cases[] = {
      {"a named dataset does not exist", {"0", "log.txt", "(list.txt)", "1", "1", "secret", "0"}, 1},
      {"the input ends at a question", {"0", "log.txt"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::ScratchDir scratch;
    testsupport::WriteFile(scratch.Path("a.txt"), "abc");
    testsupport::WriteFile(scratch.Path("list.txt"), "a.txt\nmissing.txt\n");
    const testsupport::ProgramResult result = testsupport::RunProgramBinary(c.parameters, "", scratch.path);
    EXPECT_EQ(result.exitStatus, c.status) << result.output;
  }
}

}  // namespace
