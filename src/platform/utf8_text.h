#pragma once
// Reading UTF-8 one character at a time, for the console of a UTF-8 run:
// names are bytes, and only well-formed characters are taken as characters.

#include <cstddef>
#include <string_view>

namespace platform {

struct Utf8Character {
  char32_t codePoint = 0;
  std::size_t length = 0;  // bytes of the character; 0: no well-formed character
};

// The character at the start of `text`. Its length is 0 where the bytes there
// are no well-formed UTF-8: a continuation byte without its lead, a sequence
// cut short, an overlong form, a surrogate or a code point beyond U+10FFFF
// (a terminal shows such bytes as a replacement, never as a character).
constexpr Utf8Character DecodeUtf8(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    return {lead, 1};
  }
  std::size_t length = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    codePoint = lead & 0x1F;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    codePoint = lead & 0x0F;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    codePoint = lead & 0x07;
    smallest = 0x10000;
  } else {
    return {};
  }
  if (text.size() < length) {
    return {};
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) {
      return {};
    }
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return {};
  }
  return {codePoint, length};
}

}  // namespace platform
