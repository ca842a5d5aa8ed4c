// The progress figure behind "... is just processed ...": drawn only where
// figures are shown, always erased before the result line, never in the log.
#include <string>

#include <gtest/gtest.h>

#include "dialog/display_columns.h"
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

// Where the announcement ends decides whether the figure fits behind it: the
// columns as terminals lay them out, or no place at all where that is not
// certain.
TEST(Progress, FigureOnlyWhereTheAnnouncementsPlaceIsCertain) {
  constexpr auto kCodePage = platform::TextCharset::CodePage;
  constexpr auto kUtf8 = platform::TextCharset::Utf8;
  const std::string wide = "\xE6\x97\xA5";
  struct Case {
    std::string text;
    platform::TextCharset charset;
    int columns;
    int end;
  };
  const Case cases[] = {
      {"abc", kCodePage, 80, 3},
      {"\x84\xE1\x81\x9B", kCodePage, 80, 4},  // code-page letters, 0x9B among them
      {std::string(80, 'a'), kCodePage, 80, 80},
      {std::string(81, 'a'), kCodePage, 80, 1},
      {"Gr\xC3\xBC\xC3\x9F" "e \xC2\xBB", kUtf8, 80, 7},
      {wide + wide, kUtf8, 80, 4},
      {"a" + wide, kUtf8, 2, 2},  // the wide character begins the next row
      {"e\xCC\x81\xCC\xA7", kUtf8, 80, 1},
      // Not certain: emoji, bytes that are no UTF-8, a control byte, a
      // character wider than the row, a width not known.
      {"a\xF0\x9F\x98\x80", kUtf8, 80, -1},
      {"a\x81", kUtf8, 80, -1},
      {"a\x1B", kCodePage, 80, -1},
      {wide, kUtf8, 1, -1},
      {"abc", kUtf8, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(dialog::EndColumn(c.text, c.charset, c.columns), c.end);
  }
  EXPECT_TRUE(dialog::FigureFits(57, 22, 80));
  EXPECT_FALSE(dialog::FigureFits(58, 22, 80));  // it would reach the last column
  EXPECT_FALSE(dialog::FigureFits(-1, 22, 80));
}

class ProgressTest : public ::testing::Test {
 protected:
  testsupport::ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};
};

// Where the console's width is not known (here a file; the terminal's own
// cases are in progress_posix_test.cpp) no figure is drawn: the lines are as
// they always were, and the log never sees a figure.
TEST_F(ProgressTest, NoFigureWhereTheWidthIsNotKnown) {
  testsupport::WriteFile(scratch.Path("a.txt"), std::string(1 << 20, 'x'));
  for (const int afterMs : {0, -1}) {
    SCOPED_TRACE(afterMs);
    const testsupport::DialogResult result =
        RunDialog({"0", "log.txt", "a.txt", "1", "1", "key", "0"}, "", platform::TextCharset::Utf8, afterMs);
    EXPECT_NE(result.output.find("The dataset »a.txt« is just processed ...\n"
                                 "The dataset »a.txt« has been encoded.\n"),
              std::string::npos)
        << result.output;
    EXPECT_EQ(ReadFile(scratch.Path("log.txt")).find(" MB)"), std::string::npos);
  }
}

}  // namespace
