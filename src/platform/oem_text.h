#pragma once
// Compile-time conversion of the program's texts from the UTF-8 of the source
// files to the single-byte console code page (437/850) in which every text is
// written. Only ASCII and the few letters the texts use are allowed; anything
// else stops the compilation.

#include <cstddef>
#include <cstdint>

namespace platform {

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

// Length of a NUL-terminated UTF-8 literal, usable in constant expressions.
constexpr std::size_t Utf8Length(const char* text) {
  std::size_t n = 0;
  while (text[n] != '\0') {
    ++n;
  }
  return n;
}

}  // namespace platform
