// List datasets as the programs of both systems write them: with a byte-order
// mark for UTF-8 or UTF-16, or without one.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/text_dataset.h"
#include "support/scratch_dir.h"

namespace {

using platform::UnmarkedLines;

// `text` as UTF-16 bytes: each char16_t as two bytes in the order asked.
std::string Utf16(std::u16string_view text, bool bigEndian = false) {
  std::string bytes;
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::string kUtf16LeMark = "\xFF\xFE";
const std::string kUtf16BeMark = "\xFE\xFF";

std::vector<std::string> ListLines(const std::string& content, UnmarkedLines unmarked, bool& cut) {
  testsupport::ScratchDir scratch;
  const std::string path = scratch.Path("list.txt");
  testsupport::WriteFile(path, content);
  platform::TextDataset list;
  EXPECT_TRUE(platform::OpenTextDataset(list, path.c_str()));
  const platform::ListCharset charset = platform::TakeByteOrderMark(list);
  std::vector<std::string> lines;
  platform::PathText line;
  cut = false;
  while (platform::ReadListLine(list, charset, unmarked, line)) {
    lines.emplace_back(platform::View(line));
    cut = cut || line.cut;
  }
  platform::CloseTextDataset(list);
  return lines;
}

// The same lines whichever way unmarked lines are read: these hold no bytes
// that only an OEM code page would explain.
TEST(ListDataset, ByteOrderMarksChooseTheCharacterSet) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"Notepad, UTF-8 with mark", kUtf8Mark + "\xC3\xA4.txt\r\nb.txt\r\n", {"\xC3\xA4.txt", "b.txt"}},
      {"UTF-8 mark, a stray byte stays", kUtf8Mark + "\x84.txt", {"\x84.txt"}},
      {"Notepad, UTF-8 without mark", "\xC3\xA4.txt x\n", {"\xC3\xA4.txt x"}},
      {"PowerShell 5.1, UTF-16LE", kUtf16LeMark + Utf16(u"\u00E4.txt\r\nPreis 5\u20AC.txt\r\n"),
       {"\xC3\xA4.txt", "Preis 5\xE2\x82\xAC.txt"}},
      {"UTF-16BE", kUtf16BeMark + Utf16(u"a\nb", true), {"a", "b"}},
      {"UTF-16 pairs and unpaired surrogates",
       kUtf16LeMark + Utf16(std::u16string{u'x', 0xD83D, 0xDE00, u'\r', 0xDC00, u'y', 0xD800}),
       {"x\xF0\x9F\x98\x80", "\xED\xB0\x80y\xED\xA0\x80"}},
      {"UTF-16 line ends, odd last byte", kUtf16LeMark + Utf16(u"a\rb\n\nc") + "d", {"a", "b", "", "c"}},
      {"a mark alone", kUtf16LeMark, {}},
  };
  for (const Case& c : cases) {
    for (const UnmarkedLines unmarked : {UnmarkedLines::Bytes, UnmarkedLines::Utf8OrCodePage}) {
      SCOPED_TRACE(c.what);
      bool cut = false;
      EXPECT_EQ(ListLines(c.content, unmarked, cut), c.lines);
      EXPECT_FALSE(cut);
    }
  }
}

// A UTF-16 line longer than a text holds keeps whole characters only.
TEST(ListDataset, LongUtf16LineIsCutAtAWholeCharacter) {
  const std::u16string text = std::u16string(platform::kPathTextCapacity - 1, u'a') + u"\u00E4b\r\nnext";
  bool cut = false;
  const std::vector<std::string> lines = ListLines(kUtf16LeMark + Utf16(text), UnmarkedLines::Bytes, cut);
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_EQ(lines[0], std::string(platform::kPathTextCapacity - 1, 'a'));
  EXPECT_EQ(lines[1], "next");
  EXPECT_TRUE(cut);
}

}  // namespace
