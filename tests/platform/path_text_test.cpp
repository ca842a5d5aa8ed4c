#include "platform/path_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using platform::kPosixPaths;
using platform::kWindowsPaths;
using platform::View;

struct Split {
  const char* path;
  const char* directoryPart;
  const char* namePart;
};

void ExpectSplits(const std::vector<Split>& splits, const platform::PathSyntax& syntax) {
  for (const Split& c : splits) {
    SCOPED_TRACE(c.path);
    platform::PathText directoryPart;
    platform::PathText namePart;
    EXPECT_TRUE(platform::SplitPathText(c.path, directoryPart, namePart, syntax));
    EXPECT_EQ(View(directoryPart), c.directoryPart);
    EXPECT_EQ(View(namePart), c.namePart);
  }
}

TEST(PathText, WildCardsMatchNamesCaseSensitively) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.*", "readme", true},       {"*.*", "a.b", true},         {"*", "x", true},
      {"***", "x", true},            {"*.txt", "a.txt", true},     {"*.txt", "a.TXT", false},
      {"*.txt", "a.txt.bak", false}, {"?.txt", "ab.txt", false},   {"??", "..", true},
      {"a?c", "abc", true},          {"a?c", "ac", false},         {"*a*b", "xaxxb", true},
      {"*a*b", "xaxxbx", false},     {"a*b*c", "abbbc", true},     {"a.*", "a", true},
      {"a.*", "ab", false},          {"a.*", "a.b.c", true},       {"*.", "a.", true},
      {"*.", "a", false},            {"*", "", false},             {"", "a", false},
      {"x*", "x", true},             {"\xE1*", "\xE1x", true},     {"[ab]", "a", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
    EXPECT_EQ(platform::MatchesPattern(c.pattern, c.name, kPosixPaths), c.matches);
  }
  // Backtracking stays linear enough for a pattern built to defeat it.
  EXPECT_FALSE(platform::MatchesPattern("*a*a*a*a*a*a*b", std::string(250, 'a'), kPosixPaths));
}

// As the Windows file system matches: letters in either case.
TEST(PathText, WindowsWildCardsIgnoreTheCaseOfLetters) {
  for (const char* name : {"a.txt", "A.TXT", "a.Txt"}) {
    EXPECT_TRUE(platform::MatchesPattern("*.txt", name, kWindowsPaths)) << name;
    EXPECT_TRUE(platform::MatchesPattern("A?TXT", name, kWindowsPaths)) << name;
  }
  EXPECT_TRUE(platform::MatchesPattern("readme.*", "README", kWindowsPaths));
  EXPECT_FALSE(platform::MatchesPattern("*.txt", "a.txt.bak", kWindowsPaths));
}

// "?" takes one UTF-8 character (or one stray byte); on Windows every letter
// matches in either case, on POSIX none does.
TEST(PathText, WildCardsMatchCharactersNotBytes) {
  struct Case {
    const char* pattern;
    const char* name;
    bool posix;
    bool windows;
  };
  const Case cases[] = {
      {"?.txt", "\xC3\xA4.txt", true, true},                   // ä
      {"??.txt", "\xC3\xA4.txt", false, false},
      {"?", "\xF0\x9F\x98\x80", true, true},                 // 😀, a pair in UTF-16
      {"?", "\xED\xA0\x80", true, true},                      // an unpaired surrogate
      {"a?c", "a\xFF" "c", true, true},                         // a stray byte
      {"??", "\xC3" "x", true, true},                           // a lone lead byte, then x
      {"*\xC3\xA4?", "x\xC3\xA4\xC3\xA4\xC3\xA4", true, true},
      {"\xC3\xA4*", "\xC3\x84.TXT", false, true},             // ä / Ä
      {"\xD1\x8F.txt", "\xD0\xAF.TXT", false, true},          // я / Я
      {"*\xCE\xBB\xCE\xB1", "\xCE\x9B\xCE\x91", false, true},  // λα / ΛΑ
      {"\xC3\xBF", "\xC5\xB8", false, true},                  // ÿ / Ÿ
      {"\xC3\xA4", "a", false, false},                         // no letter without its accent
      {"\xC3\x9F", "SS", false, false},                        // ß: no one-letter upper case
      {"\xC3\xA4", "\xC3\xA4", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
    EXPECT_EQ(platform::MatchesPattern(c.pattern, c.name, kPosixPaths), c.posix);
    EXPECT_EQ(platform::MatchesPattern(c.pattern, c.name, kWindowsPaths), c.windows);
  }
}

TEST(PathText, SplitsAtTheLastSeparatorAndKeepsTheRoot) {
  ExpectSplits({{"b.txt", "", "b.txt"}, {"/b.txt", "/", "b.txt"}, {"a/b/c.txt", "a/b", "c.txt"},
                {"a/", "a", ""},        {"/", "/", ""},           {"a//b", "a/", "b"},
                {"", "", ""}},
               kPosixPaths);
  platform::PathText directoryPart;
  platform::PathText namePart;
  EXPECT_FALSE(platform::SplitPathText("/" + std::string(platform::kPathTextCapacity, 'x'), directoryPart,
                                       namePart, kPosixPaths));
  EXPECT_EQ(View(namePart), "");
  EXPECT_EQ(platform::WithoutTrailingSeparators("a//", kPosixPaths), "a");
  EXPECT_EQ(platform::WithoutTrailingSeparators("//", kPosixPaths), "/");
}

// The drive steps: the name part follows the last separator or the drive's
// colon; a root keeps its separator. "/" separates as "\" does.
TEST(PathText, WindowsPathsSplitAfterTheDriveAndKeepTheirRoots) {
  ExpectSplits({{"b.txt", "", "b.txt"},          {"C:\\data\\b.txt", "C:\\data", "b.txt"},
                {"C:\\b.txt", "C:\\", "b.txt"},  {"\\b.txt", "\\", "b.txt"},
                {"C:*.txt", "C:", "*.txt"},      {"C:", "C:", ""},
                {"a/b\\c.txt", "a/b", "c.txt"},  {"C:/b.txt", "C:/", "b.txt"},
                {"a\\\\b", "a\\", "b"},          {"data\\", "data", ""}},
               kWindowsPaths);
  EXPECT_EQ(platform::WithoutTrailingSeparators("C:\\data\\/", kWindowsPaths), "C:\\data");
  EXPECT_EQ(platform::WithoutTrailingSeparators("C:\\\\", kWindowsPaths), "C:\\");
  EXPECT_EQ(platform::WithoutTrailingSeparators("\\", kWindowsPaths), "\\");
}

TEST(PathText, JoinWritesOneSeparatorAndReportsACut) {
  platform::PathText path;
  EXPECT_TRUE(platform::JoinPath("/", "b.txt", path, kPosixPaths));
  EXPECT_EQ(View(path), "//b.txt");
  EXPECT_TRUE(platform::JoinPath("/data", "b.txt", path, kPosixPaths));
  EXPECT_EQ(View(path), "/data/b.txt");
  EXPECT_TRUE(platform::JoinPath("C:\\", "b.txt", path, kWindowsPaths));
  EXPECT_EQ(View(path), "C:\\\\b.txt");
  EXPECT_TRUE(platform::JoinPath("/" + std::string(platform::kPathTextCapacity - 10, 'd'), "b.txt", path, kPosixPaths));
  EXPECT_FALSE(path.cut);
  EXPECT_FALSE(platform::JoinPath("/" + std::string(platform::kPathTextCapacity - 6, 'd'), "b.txt", path,
                                  kPosixPaths));
  EXPECT_EQ(path.length, platform::kPathTextCapacity);
  EXPECT_TRUE(path.cut);
  EXPECT_STREQ(platform::NameOf(path), "");
}

}  // namespace
