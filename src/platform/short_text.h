#pragma once
// ShortText: the program's text of at most 255 bytes, kept in a fixed buffer
// and always NUL-terminated so that it can be handed to the operating system.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr std::size_t kShortTextCapacity = 255;

struct ShortText {
  std::size_t length = 0;
  char chars[kShortTextCapacity + 1] = {};
};

// Replaces `text` by `source`, cut after its 255th byte.
inline void Assign(ShortText& text, std::string_view source) {
  const std::size_t n = source.size() < kShortTextCapacity ? source.size() : kShortTextCapacity;
  for (std::size_t i = 0; i < n; ++i) {
    text.chars[i] = source[i];
  }
  text.length = n;
  text.chars[n] = '\0';
}

// Appends `source` as far as it fits; returns false when it was cut.
inline bool Append(ShortText& text, std::string_view source) {
  std::size_t i = 0;
  while (i < source.size() && text.length < kShortTextCapacity) {
    text.chars[text.length++] = source[i++];
  }
  text.chars[text.length] = '\0';
  return i == source.size();
}

inline void Clear(ShortText& text) {
  text.length = 0;
  text.chars[0] = '\0';
}

inline std::string_view View(const ShortText& text) { return {text.chars, text.length}; }

inline bool operator==(const ShortText& a, const ShortText& b) { return View(a) == View(b); }

}  // namespace platform
