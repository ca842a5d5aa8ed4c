// Hostile input run through the whole program in-process: what was typed in
// secret after an error, and names written in a visible form.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/output.h"
#include "program/hostile_input_fixture.h"
#include "support/closing_lines.h"

namespace {

using testsupport::DialogResult;
using testsupport::HostileInputTest;
using testsupport::RunDialog;

// After an error in input typed without echo, the lines typed ahead reach the
// repeat question; a wrong answer there is shown as one "*" per character.
TEST_F(HostileInputTest, SecretTypedAheadAfterAnErrorIsNeverShown) {
  struct Case {
    const char* name;
    std::vector<std::string> parameters;
    std::string input;
    std::string secret;
  };
  const std::vector<std::string> key = {"0", "log.txt", "a.txt", "1", "1"};
  const std::vector<std::string> hex = {"0", "log.txt", "a.txt", "1", "2"};
  const std::vector<std::string> overlay = {"0",   "log.txt", "a.txt", "1", "1", "abc",
                                            "3",   "1",       "256",   "0", "255"};
  const Case cases[] = {
      {"control input differs", key, "0\nabc\n\nabX\nS3CRET-LINE-TWO\n\n", "S3CRET-LINE-TWO"},
      {"wrong hexadecimal character", hex, "0\na1b2Z3\na1b2c3d4e5f6\n", "a1b2c3d4e5f6"},
      {"overlay error", overlay, "0\n1:256,\n9:77,10:88,\n", "9:77,10:88,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DialogResult result = RunDialog(c.parameters, c.input);
    const std::string masked = "Please enter the corresponding number: Wrong input \xAF" +
                               std::string(c.secret.size(), '*') + "\xAE, correction: ";
    EXPECT_NE(result.output.find(masked), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find(c.secret), std::string::npos) << result.output;
    EXPECT_EQ(Log().find(c.secret), std::string::npos);
    EXPECT_TRUE(result.output.ends_with(std::string(testsupport::kEnglishTerminating) +
                                        testsupport::kEnglishEnd));
  }
}

TEST(VisibleName, ControlBytesAndAmbiguousBackslashesAreWrittenVisibly) {
  struct Case {
    std::string name;
    std::string shown;
  };
  const Case cases[] = {
      {"plain name.txt", "plain name.txt"},
      {"\x84\xE1\xAF\xAE\xFF", "\x84\xE1\xAF\xAE\xFF"},
      {"x\r\ny\tz", "x\\r\\ny\\tz"},
      {std::string("\x1B]0;t\x07\x7F\x00", 8), "\\x1B]0;t\\x07\\x7F\\x00"},
      // A backslash is doubled only where it would start one of those forms.
      {"dir\\file", "dir\\file"},
      {"a\\", "a\\"},
      {"a\\n\\x41\\t\\r", "a\\\\n\\\\x41\\\\t\\\\r"},
      {"a\\\\b", "a\\\\\\b"},
      {"a\\\r", "a\\\\\\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    dialog::Line line;
    dialog::AddName(line, c.name, platform::kPosixPaths);
    EXPECT_EQ(dialog::View(line), c.shown);
  }
}

// Where the backslash separates names (Windows, whose names hold no control
// bytes), a path is written as it is; control bytes still are not.
TEST(VisibleName, WindowsPathsKeepTheirBackslashes) {
  const std::string paths[] = {"C:\\temp\\new\\x1.txt", "\\\\server\\robot", "C:\\"};
  for (const std::string& path : paths) {
    dialog::Line line;
    dialog::AddName(line, path, platform::kWindowsPaths);
    EXPECT_EQ(dialog::View(line), path);
  }
  dialog::Line line;
  dialog::AddName(line, "a\tb\x1B", platform::kWindowsPaths);
  EXPECT_EQ(dialog::View(line), "a\\tb\\x1B");
}

}  // namespace
