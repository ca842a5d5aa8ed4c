#include "platform/unicode_text.h"

namespace platform {
namespace {

constexpr bool IsLeadSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsTrailSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

constexpr bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the surrogate pair `lead`, `trail`.
constexpr char32_t Combined(char32_t lead, char32_t trail) {
  return 0x10000 + ((lead - 0xD800) << 10) + (trail - 0xDC00);
}

}  // namespace

std::size_t DecodeUtf8Char(std::string_view text, char32_t& codePoint) {
  if (text.empty()) {
    return 0;
  }
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t smallest = 0;  // the smallest code point of that length: shorter forms are over-long
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    smallest = 0x80;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    smallest = 0x800;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    smallest = 0x10000;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) {
    return 0;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (!IsContinuation(byte)) {
      return 0;
    }
    codePoint = (codePoint << 6) | (byte & 0x3F);
  }
  if (codePoint < smallest || codePoint > 0x10FFFF) {
    return 0;
  }
  return length;
}

std::size_t EncodeUtf8Char(char32_t codePoint, char* out) {
  if (codePoint < 0x80) {
    out[0] = static_cast<char>(codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
    out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 2;
  }
  if (codePoint < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
  out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
  return 4;
}

std::size_t Utf8ToUtf16(std::string_view utf8, char16_t* out, std::size_t capacity) {
  std::size_t written = 0;
  bool afterLeadSurrogate = false;
  while (!utf8.empty()) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8Char(utf8, c);
    if (length == 0) {
      return kNotConvertible;
    }
    // A pair written as two three-byte forms would give the same units as its
    // four-byte form: a second spelling of the same name.
    if (afterLeadSurrogate && IsTrailSurrogate(c)) {
      return kNotConvertible;
    }
    afterLeadSurrogate = IsLeadSurrogate(c);
    const std::size_t units = c >= 0x10000 ? 2 : 1;
    if (capacity - written < units) {
      return kNotConvertible;
    }
    if (units == 2) {
      out[written++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out[written++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out[written++] = static_cast<char16_t>(c);
    }
    utf8.remove_prefix(length);
  }
  return written;
}

std::size_t Utf16ToUtf8(std::u16string_view utf16, char* out, std::size_t capacity) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (IsLeadSurrogate(c) && i + 1 < utf16.size() && IsTrailSurrogate(utf16[i + 1])) {
      c = Combined(c, utf16[++i]);
    }
    char bytes[kMaxUtf8CharBytes];
    const std::size_t length = EncodeUtf8Char(c, bytes);
    if (capacity - written < length) {
      return kNotConvertible;
    }
    for (std::size_t b = 0; b < length; ++b) {
      out[written++] = bytes[b];
    }
  }
  return written;
}

bool IsGeneralisedUtf8(std::string_view text) {
  bool afterLeadSurrogate = false;
  while (!text.empty()) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8Char(text, c);
    if (length == 0 || (afterLeadSurrogate && IsTrailSurrogate(c))) {
      return false;
    }
    afterLeadSurrogate = IsLeadSurrogate(c);
    text.remove_prefix(length);
  }
  return true;
}

}  // namespace platform
