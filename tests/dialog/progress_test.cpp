// The progress figure behind "... is just processed ...": drawn only where
// figures are shown, always erased before the result line, never in the log.
#include <string>

#include <gtest/gtest.h>

#include "dialog/progress.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::ReadFile;
using testsupport::RunDialog;

std::string Figure(std::uint64_t done, std::uint64_t total) {
  char figure[dialog::kProgressCapacity];
  return std::string(figure, dialog::FormatProgress(done, total, figure));
}

// One figure overwrites the last with backspaces: its length must not change.
TEST(Progress, FigureKeepsItsLengthAndIsDueAfterTheDelayThenFourTimesASecond) {
  EXPECT_EQ(Figure(0, 20000000000), "   0% (    0/20000 MB)");
  EXPECT_EQ(Figure(8400000000, 20000000000), "  42% ( 8400/20000 MB)");
  EXPECT_EQ(Figure(20000000000, 20000000000), " 100% (20000/20000 MB)");
  EXPECT_EQ(Figure(0, 0), " 100% (0/0 MB)");

  dialog::ProgressState progress;
  progress.afterMs = 1000;
  progress.startMs = 5000;
  EXPECT_FALSE(dialog::ProgressDue(progress, 5999));
  EXPECT_TRUE(dialog::ProgressDue(progress, 6000));
  progress.shownLength = 22;
  progress.drawnMs = 6000;
  EXPECT_FALSE(dialog::ProgressDue(progress, 6249));
  EXPECT_TRUE(dialog::ProgressDue(progress, 6250));
}

class ProgressTest : public ::testing::Test {
 protected:
  testsupport::ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};
};

// A dataset of one part shows one figure; a name that leaves no room for the
// figure on the announcement's row gets none; without figures (redirected
// output) the lines are as they always were. The log is the same each time.
TEST_F(ProgressTest, FigureIsErasedBeforeTheResultAndNeverInTheLog) {
  const std::string longName(40, 'n');
  const std::string figure = " 100% (1/1 MB)";
  const std::string erase = std::string(figure.size(), '\b') + std::string(figure.size(), ' ') +
                            std::string(figure.size(), '\b');
  struct Case {
    std::string name;
    int afterMs;
    std::string between;  // what stands between the announcement and its line end
  };
  const Case cases[] = {
      {"a.txt", 0, figure + erase},
      {longName, 0, ""},
      {"a.txt", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " " + std::to_string(c.afterMs));
    testsupport::WriteFile(scratch.Path(c.name), std::string(1 << 20, 'x'));
    const testsupport::DialogResult result =
        RunDialog({"0", "log.txt", c.name, "1", "1", "key", "0"}, "",
                  platform::TextCharset::Utf8, c.afterMs);
    EXPECT_NE(result.output.find("The dataset »" + c.name + "« is just processed ..." + c.between +
                                 "\nThe dataset »" + c.name + "« has been encoded.\n"),
              std::string::npos)
        << result.output;
    const std::string log = ReadFile(scratch.Path("log.txt"));
    EXPECT_EQ(log.find('\b'), std::string::npos);
    EXPECT_EQ(log.find(" MB)"), std::string::npos);
  }
}

}  // namespace
