#include "platform/name_order.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Every name comes before each later one, whichever way round it is asked.
TEST(NameOrder, NamesComeInTheOrderOfAnNtfsDirectory) {
  const std::vector<std::string> ordered = {
      "",
      "10",
      "9",
      "a",                          // a name before its continuations
      "A.txt",                      // only the case differs: the exact units decide
      "a.txt",
      "b.txt",                      // case-blind: "b" before "C"
      "C.txt",
      "z.txt",
      "_x",                         // "_" comes after the letters in upper case
      "\xC3\xA4.txt",               // ä (Ä U+00C4)
      "\xC3\xA9.txt",               // é (É U+00C9)
      "\xC3\xBF",                   // ÿ: its upper case Ÿ is U+0178
      "\xCE\x95",                   // Ε U+0395
      "\xCE\xB5",                   // ε
      "\xD0\xB6.txt",               // ж (Ж U+0416), in bytes after Я
      "\xD0\xAF.txt",               // Я U+042F
      "\xE4\xB8\xAD\xE6\x96\x87",   // 中文 U+4E2D
      "\xED\xA0\x80",               // an unpaired surrogate, U+D800
      "\xF0\x9F\x98\x80.txt",       // 😀: the pair D83D DE00 comes before U+E000 and up
      "\xEF\xBC\x8F" "x",           // ／ U+FF0F, in code points before 😀
      "\xEF\xBC\xA1",               // Ａ U+FF21
      "\xEF\xBD\x81",               // ａ U+FF41
      "\xC3",                       // stray bytes after every character
      "\xFF",
  };
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    EXPECT_EQ(platform::CompareNames(ordered[i], ordered[i]), 0) << i;
    for (std::size_t j = i + 1; j < ordered.size(); ++j) {
      EXPECT_LT(platform::CompareNames(ordered[i], ordered[j]), 0) << ordered[i] << " / " << ordered[j];
      EXPECT_GT(platform::CompareNames(ordered[j], ordered[i]), 0) << ordered[j] << " / " << ordered[i];
    }
  }
  // The same units written two ways (a pair as two three-byte surrogates, as
  // a POSIX name may be): the bytes decide, so the order stays total.
  EXPECT_LT(platform::CompareNames("\xED\xA0\xBD\xED\xB8\x80", "\xF0\x9F\x98\x80"), 0);
}

TEST(NameOrder, UppercaseIsTheSimpleMappingOfEachUnit) {
  const std::pair<char32_t, char32_t> cases[] = {
      {U'a', U'A'},         {U'A', U'A'},         {U'_', U'_'},
      {0x00E4, 0x00C4},     {0x00FF, 0x0178},     {0x00DF, 0x00DF},  // ß has no one-letter upper case
      {0x0131, U'I'},       {0x03C2, 0x03A3},     {0x1F80, 0x1F88},  // simple, not the full ᾈΙ
      {0xFF41, 0xFF21},     {0x4E2D, 0x4E2D},     {0xD83D, 0xD83D},
      {0x10428, 0x10428},  // beyond the plane: unchanged, as in the file system's table
  };
  for (const auto& [from, to] : cases) {
    EXPECT_EQ(platform::UppercaseCodePoint(from), to) << std::hex << static_cast<unsigned>(from);
  }
}

}  // namespace
