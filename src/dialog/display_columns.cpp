#include "dialog/display_columns.h"

#include "platform/utf8_text.h"

namespace dialog {

namespace {

struct ColumnRange {
  char32_t first;
  char32_t last;
  int columns;
};

// Sorted. Latin, Greek and Cyrillic letters, punctuation, arrows, operators
// and box drawing take one column; the common combining marks none; Hangul,
// kana and the CJK ideographs two. The soft hyphen is shown by some
// terminals and not by others, and so are the marks, numerals and emoji
// that lie between these ranges.
constexpr ColumnRange kRanges[] = {
    {0x0020, 0x007E, 1},   {0x00A0, 0x00AC, 1},   {0x00AE, 0x02FF, 1},   {0x0300, 0x036F, 0},
    {0x0370, 0x0377, 1},   {0x037A, 0x037F, 1},   {0x0384, 0x03FF, 1},   {0x0400, 0x0482, 1},
    {0x048A, 0x052F, 1},   {0x1100, 0x115F, 2},   {0x1AB0, 0x1AFF, 0},   {0x1DC0, 0x1DFF, 0},
    {0x1E00, 0x1EFF, 1},   {0x2010, 0x2027, 1},   {0x2030, 0x205E, 1},   {0x20A0, 0x20C0, 1},
    {0x20D0, 0x20FF, 0},   {0x2100, 0x218B, 1},   {0x2190, 0x22FF, 1},   {0x2500, 0x259F, 1},
    {0x2E80, 0x3029, 2},   {0x3030, 0x303E, 2},   {0x3041, 0x3098, 2},   {0x309B, 0x33FF, 2},
    {0x3400, 0x4DBF, 2},   {0x4E00, 0x9FFF, 2},   {0xA000, 0xA4CF, 2},   {0xAC00, 0xD7A3, 2},
    {0xF900, 0xFAFF, 2},   {0xFE20, 0xFE2F, 0},   {0xFE30, 0xFE4F, 2},   {0xFF01, 0xFF60, 2},
    {0xFFE0, 0xFFE6, 2},   {0x20000, 0x2FFFD, 2}, {0x30000, 0x3FFFD, 2},
};

}  // namespace

int CharacterColumns(char32_t codePoint) {
  for (const ColumnRange& range : kRanges) {
    if (codePoint < range.first) {
      return -1;
    }
    if (codePoint <= range.last) {
      return range.columns;
    }
  }
  return -1;
}

int EndColumn(std::string_view text, platform::TextCharset charset, int columns) {
  if (columns < 1) {
    return -1;
  }
  int column = 0;
  for (std::size_t at = 0; at < text.size();) {
    platform::Utf8Character c{static_cast<unsigned char>(text[at]), 1};
    if (charset == platform::TextCharset::Utf8) {
      c = platform::DecodeUtf8(text.substr(at));
    } else if (c.codePoint >= 0x80) {
      c.codePoint = 'a';  // a letter of the code page
    }
    const int width = c.length == 0 ? -1 : CharacterColumns(c.codePoint);
    if (width < 0 || width > columns) {
      return -1;
    }
    // A character the rest of the row cannot hold begins the next row.
    if (column + width > columns) {
      column = 0;
    }
    column += width;
    at += c.length;
  }
  return column;
}

}  // namespace dialog
