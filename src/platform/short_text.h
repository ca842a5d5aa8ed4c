#pragma once
// The program's texts, kept in fixed buffers and always NUL-terminated so
// that they can be handed to the operating system.
//
// ShortText holds at most 255 bytes: menu answers, keys, overlay information,
// names found in a directory. PathText holds names, paths and directories: as
// long a path as the platform can name, so that nothing it can name is cut.
// The build sets TARVEX5_PATH_LIMIT to the platform's longest path, its NUL
// included (PATH_MAX on POSIX).
//
// A text that had to be cut keeps its first bytes and says so in `cut`: a cut
// name must never be used, since it may name another file (see NameOf).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr std::size_t kShortTextCapacity = 255;
inline constexpr std::size_t kPathTextCapacity = TARVEX5_PATH_LIMIT - 1;

template <std::size_t Capacity>
struct FixedText {
  static constexpr std::size_t kCapacity = Capacity;
  std::size_t length = 0;
  bool cut = false;  // the text it was given was longer; it holds the first bytes
  char chars[Capacity + 1] = {};
};

using ShortText = FixedText<kShortTextCapacity>;
using PathText = FixedText<kPathTextCapacity>;

// Replaces `text` by `source`, cut after its capacity (and `cut` set then).
template <std::size_t Capacity>
void Assign(FixedText<Capacity>& text, std::string_view source) {
  const std::size_t n = source.size() < Capacity ? source.size() : Capacity;
  for (std::size_t i = 0; i < n; ++i) {
    text.chars[i] = source[i];
  }
  text.length = n;
  text.cut = n < source.size();
  text.chars[n] = '\0';
}

// Appends `source` as far as it fits; returns false (and sets `cut`) when it
// was cut.
template <std::size_t Capacity>
bool Append(FixedText<Capacity>& text, std::string_view source) {
  std::size_t i = 0;
  while (i < source.size() && text.length < Capacity) {
    text.chars[text.length++] = source[i++];
  }
  text.chars[text.length] = '\0';
  if (i < source.size()) {
    text.cut = true;
  }
  return i == source.size();
}

template <std::size_t Capacity>
void Clear(FixedText<Capacity>& text) {
  text.length = 0;
  text.cut = false;
  text.chars[0] = '\0';
}

template <std::size_t Capacity>
std::string_view View(const FixedText<Capacity>& text) {
  return {text.chars, text.length};
}

template <std::size_t Capacity>
bool operator==(const FixedText<Capacity>& a, const FixedText<Capacity>& b) {
  return View(a) == View(b) && a.cut == b.cut;
}

// The text as a name for the operating system: empty, which names nothing,
// when the text was cut.
template <std::size_t Capacity>
const char* NameOf(const FixedText<Capacity>& text) {
  return text.cut ? "" : text.chars;
}

}  // namespace platform
