#include "platform/path_text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using platform::View;

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
    EXPECT_EQ(platform::MatchesPattern(c.pattern, c.name), c.matches);
  }
  // Backtracking stays linear enough for a pattern built to defeat it.
  EXPECT_FALSE(platform::MatchesPattern("*a*a*a*a*a*a*b", std::string(250, 'a')));
}

TEST(PathText, SplitsAtTheLastSeparatorAndKeepsTheRoot) {
  struct Case {
    const char* path;
    const char* directoryPart;
    const char* namePart;
  };
  const Case cases[] = {
      {"b.txt", "", "b.txt"}, {"/b.txt", "/", "b.txt"}, {"a/b/c.txt", "a/b", "c.txt"},
      {"a/", "a", ""},        {"/", "/", ""},           {"a//b", "a/", "b"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    platform::PathText directoryPart;
    platform::PathText namePart;
    EXPECT_TRUE(platform::SplitPathText(c.path, directoryPart, namePart));
    EXPECT_EQ(View(directoryPart), c.directoryPart);
    EXPECT_EQ(View(namePart), c.namePart);
  }
  platform::PathText directoryPart;
  platform::PathText namePart;
  EXPECT_FALSE(platform::SplitPathText("/" + std::string(platform::kPathTextCapacity, 'x'), directoryPart, namePart));
  EXPECT_EQ(View(namePart), "");
}

TEST(PathText, JoinWritesOneSeparatorAndReportsACut) {
  platform::PathText path;
  EXPECT_TRUE(platform::JoinPath("/", "b.txt", path));
  EXPECT_EQ(View(path), "//b.txt");
  EXPECT_TRUE(platform::JoinPath("/data", "b.txt", path));
  EXPECT_EQ(View(path), "/data/b.txt");
  EXPECT_TRUE(platform::JoinPath("/" + std::string(300, 'd'), "b.txt", path));
  EXPECT_FALSE(path.cut);
  EXPECT_FALSE(platform::JoinPath("/" + std::string(platform::kPathTextCapacity - 6, 'd'), "b.txt", path));
  EXPECT_EQ(path.length, platform::kPathTextCapacity);
  EXPECT_TRUE(path.cut);
  EXPECT_STREQ(platform::NameOf(path), "");
}

}  // namespace
