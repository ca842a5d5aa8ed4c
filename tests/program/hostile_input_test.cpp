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

// Nothing in a name controls the terminal, breaks the line or reorders what
// is shown; a cut name ends in a mark that no name can show.
TEST(VisibleName, ControlsAndAmbiguousBackslashesAreWrittenVisibly) {
  constexpr auto kCodePage = platform::TextCharset::CodePage;
  constexpr auto kUtf8 = platform::TextCharset::Utf8;
  struct Case {
    std::string name;
    platform::TextCharset charset;
    bool cut;
    std::string shown;
  };
  const Case cases[] = {
      {"plain name.txt", kCodePage, false, "plain name.txt"},
      {"\x84\xE1\xAF\xAE\xFF", kCodePage, false, "\x84\xE1\xAF\xAE\xFF"},
      {"x\r\ny\tz", kUtf8, false, "x\\r\\ny\\tz"},
      {std::string("\x1B]0;t\x07\x7F\x00", 8), kCodePage, false, "\\x1B]0;t\\x07\\x7F\\x00"},
      // In a UTF-8 run the C1 controls, the direction marks and overrides and
      // the separators of lines and paragraphs; in a code page those bytes
      // are letters (0x81 0x9B 0x85: ü ¢ à).
      {"zz\xC2\x9B" "2J\xC2\x85\xC2\x9D", kUtf8, false, "zz\\u009B2J\\u0085\\u009D"},
      {"a\xE2\x80\xAE" "b\xE2\x81\xA6" "c\xE2\x80\xA8" "d\xE2\x80\x8F" "e\xD8\x9C", kUtf8, false,
       "a\\u202Eb\\u2066c\\u2028d\\u200Fe\\u061C"},
      {"zz\xC2\x9B" "2J\x81\x9B\x85", kCodePage, false, "zz\xC2\x9B" "2J\x81\x9B\x85"},
      // Other characters and bytes that are no UTF-8 stay as they are.
      {"Gr\xC3\xBC\xC3\x9F" "e \xE2\x80\x94 \xE6\x97\xA5 \x9B\xC2", kUtf8, false,
       "Gr\xC3\xBC\xC3\x9F" "e \xE2\x80\x94 \xE6\x97\xA5 \x9B\xC2"},
      // A backslash is doubled only where it would start one of those forms.
      {"dir\\file", kCodePage, false, "dir\\file"},
      {"a\\", kCodePage, false, "a\\"},
      {"a\\n\\x41\\t\\r\\u0041", kCodePage, false, "a\\\\n\\\\x41\\\\t\\\\r\\\\u0041"},
      {"a\\\\b", kCodePage, false, "a\\\\\\b"},
      {"a\\\r", kCodePage, false, "a\\\\\\r"},
      {"a\\\xC2\x9B", kUtf8, false, "a\\\\\\u009B"},
      {"a\\\xC2\x9B", kCodePage, false, "a\\\xC2\x9B"},
      // The cut mark, and names that would read like it.
      {"abc", kCodePage, true, "abc\\<...>"},
      {"a\\", kUtf8, true, "a\\\\\\<...>"},
      {"a\\<...>", kCodePage, false, "a\\\\<...>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    dialog::Line line;
    dialog::AddName(line, c.name, c.cut, {c.charset, platform::kPosixPaths});
    EXPECT_EQ(dialog::View(line), c.shown);
  }
}

// Where the backslash separates names (Windows, whose names hold no control
// bytes), a path is written as it is; control bytes still are not.
TEST(VisibleName, WindowsPathsKeepTheirBackslashes) {
  const dialog::NameStyle windows{platform::TextCharset::CodePage, platform::kWindowsPaths};
  const std::string paths[] = {"C:\\temp\\new\\x1.txt", "\\\\server\\robot", "C:\\"};
  for (const std::string& path : paths) {
    dialog::Line line;
    dialog::AddName(line, path, false, windows);
    EXPECT_EQ(dialog::View(line), path);
  }
  dialog::Line line;
  dialog::AddName(line, "a\tb\x1B", false, windows);
  EXPECT_EQ(dialog::View(line), "a\\tb\\x1B");
}

}  // namespace
