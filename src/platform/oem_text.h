#pragma once
// The program's own texts (the catalogue, the intro screen, the parameter
// description) are kept in the single-byte console code page (437/850):
// converted at compile time from the UTF-8 of the source files, and at run
// time written either as they are or, where the console speaks UTF-8, as
// UTF-8. Only ASCII and the few letters the texts use are allowed; anything
// else stops the compilation. Names and data are bytes and never pass here.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// The character set in which the program's own texts reach the console and
// the log: the code-page bytes as they are kept, or UTF-8.
enum class TextCharset : std::uint8_t { CodePage, Utf8 };

// The most bytes one character of the program's own texts takes.
inline constexpr std::size_t kMaxOwnCharBytes = 2;

// Code page 437/850 bytes of the non-ASCII characters the texts may use.
struct OemLetter {
  char32_t codePoint;
  unsigned char oem;
};
inline constexpr OemLetter kOemLetters[] = {
    {U'ä', 0x84}, {U'ö', 0x94}, {U'ü', 0x81}, {U'Ä', 0x8E}, {U'Ö', 0x99},
    {U'Ü', 0x9A}, {U'ß', 0xE1}, {U'»', 0xAF}, {U'«', 0xAE}, {U'é', 0x82},
};

// Converts the UTF-8 text `utf8` of `size` bytes into `out` (at least `size`
// bytes) and returns the number of bytes written. Throws (a compile error in a
// constant expression) on a character outside ASCII and kOemLetters.
constexpr std::size_t ConvertToOem(const char* utf8, std::size_t size, char* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < size;) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out[written++] = static_cast<char>(lead);
      ++i;
      continue;
    }
    if ((lead & 0xE0) != 0xC0 || i + 1 >= size) {
      throw "text holds a character that has no code-page byte";
    }
    const char32_t codePoint =
        (char32_t(lead & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
    bool known = false;
    for (const OemLetter& letter : kOemLetters) {
      if (letter.codePoint == codePoint) {
        out[written++] = static_cast<char>(letter.oem);
        known = true;
      }
    }
    if (!known) {
      throw "text holds a character that has no code-page byte";
    }
    i += 2;
  }
  return written;
}

// Writes the program's own text `text` (code-page bytes) in `charset` into
// `out`, which has room for `capacity` bytes: unchanged for CodePage; for
// Utf8 each letter of kOemLetters as its UTF-8 bytes, ASCII unchanged. Only
// whole characters are written; returns the number of bytes written.
constexpr std::size_t ConvertOwnText(std::string_view text, TextCharset charset, char* out,
                                     std::size_t capacity) {
  std::size_t written = 0;
  for (const char c : text) {
    char32_t codePoint = 0;
    if (charset == TextCharset::Utf8) {
      for (const OemLetter& letter : kOemLetters) {
        if (letter.oem == static_cast<unsigned char>(c)) {
          codePoint = letter.codePoint;
        }
      }
    }
    if (codePoint == 0) {
      if (written == capacity) {
        break;
      }
      out[written++] = c;
      continue;
    }
    // Every letter of the table lies below U+0800: two bytes.
    if (capacity - written < 2) {
      break;
    }
    out[written++] = static_cast<char>(0xC0 | (codePoint >> 6));
    out[written++] = static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return written;
}

// Length of a NUL-terminated UTF-8 literal, usable in constant expressions.
constexpr std::size_t Utf8Length(const char* text) {
  std::size_t n = 0;
  while (text[n] != '\0') {
    ++n;
  }
  return n;
}

}  // namespace platform
