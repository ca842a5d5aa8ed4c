#include "platform/unicode_text.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using platform::kNotConvertible;

std::u16string ToUtf16(std::string_view utf8, std::size_t capacity = 64) {
  char16_t units[64];
  const std::size_t n = platform::Utf8ToUtf16(utf8, units, capacity);
  return n == kNotConvertible ? u"<none>" : std::u16string(units, n);
}

std::string ToUtf8(std::u16string_view utf16, std::size_t capacity = 64) {
  char bytes[64];
  const std::size_t n = platform::Utf16ToUtf8(utf16, bytes, capacity);
  return n == kNotConvertible ? "<none>" : std::string(bytes, n);
}

// Each pair converts both ways, and the UTF-8 form is the one way to write it.
TEST(UnicodeText, NamesRoundTripBetweenUtf8AndUtf16) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"", u""},
      {"a.txt", u"a.txt"},
      {"\xC3\xA4.txt", u"\u00E4.txt"},                               // ä
      {"Preis 5\xE2\x82\xAC.txt", u"Preis 5\u20AC.txt"},             // €
      {"..\xEF\xBC\x8Fvictim", u"..\uFF0Fvictim"},                   // fullwidth solidus
      {"emoji\xF0\x9F\x98\x80", u"emoji\xD83D\xDE00"},               // a pair
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},                         // U+10FFFF
      {"x\xED\xA0\x80y", std::u16string(u"x") + char16_t(0xD800) + u"y"},  // lone lead
      {"\xED\xBF\xBF", std::u16string(1, char16_t(0xDFFF))},         // lone trail
      // A trail before a lead is no pair: both stay unpaired.
      {"\xED\xB0\x80\xED\xA0\x80", std::u16string{char16_t(0xDC00), char16_t(0xD800)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_TRUE(platform::IsGeneralisedUtf8(c.utf8));
    EXPECT_EQ(ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(ToUtf8(c.utf16), c.utf8);
  }
}

TEST(UnicodeText, TextsThatAreNotGeneralisedUtf8AreRefused) {
  const std::string cases[] = {
      "\x80",                       // continuation without a lead
      "\xC3",                       // cut short
      "\xE2\x82",                   // cut short
      "\xC0\xAF",                   // over-long "/"
      "\xE0\x80\xAF",               // over-long "/"
      "\xF0\x80\x80\xAF",           // over-long "/"
      "\xF4\x90\x80\x80",           // above U+10FFFF
      "\xF8\x88\x80\x80\x80",       // five bytes
      "\xFF",                       //
      "a\xC3(",                     // a lead followed by no continuation
      "\xED\xA0\xBD\xED\xB8\x80",   // the pair of U+1F600 as two three-byte forms
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_FALSE(platform::IsGeneralisedUtf8(text));
    EXPECT_EQ(ToUtf16(text), u"<none>");
  }
}

TEST(UnicodeText, ConversionsThatDoNotFitAreRefusedWhole) {
  EXPECT_EQ(ToUtf16("abc", 3), u"abc");
  EXPECT_EQ(ToUtf16("abcd", 3), u"<none>");
  EXPECT_EQ(ToUtf16("ab\xF0\x9F\x98\x80", 3), u"<none>");  // a pair never split
  EXPECT_EQ(ToUtf8(u"\u20AC", 3), "\xE2\x82\xAC");
  EXPECT_EQ(ToUtf8(u"a\u20AC", 3), "<none>");
}

}  // namespace
