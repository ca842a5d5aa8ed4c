#pragma once
// Conversion between the program's names (generalised UTF-8) and UTF-16, the
// form in which Windows keeps names. Shared by every platform, so that the
// rules are tested everywhere; nothing here touches the system.
//
// Generalised UTF-8 ("WTF-8") is UTF-8 that may also hold a surrogate code
// point (U+D800..U+DFFF) as three bytes, but only one that is not part of a
// pair: an NTFS name is any sequence of 16-bit units, unpaired surrogates
// allowed, and every such name must come back from its UTF-8 form unchanged.
// A pair is always written as the four bytes of its code point, so that each
// UTF-16 text has exactly one UTF-8 form and two different UTF-8 texts never
// name the same file. Over-long forms, code points above U+10FFFF and stray
// bytes are not generalised UTF-8.

#include <cstddef>
#include <string_view>

namespace platform {

// Returned by the conversions when the text is not convertible: not
// generalised UTF-8 (or, for Utf8ToUtf16, a surrogate pair written as two
// three-byte forms), or the result does not fit in the room given.
inline constexpr std::size_t kNotConvertible = static_cast<std::size_t>(-1);

// The most bytes one code point takes in UTF-8.
inline constexpr std::size_t kMaxUtf8CharBytes = 4;

// Reads the one code point (a surrogate included) at the start of `text`
// into `codePoint` and returns its length in bytes: 1 to 4, or 0 when
// `text` does not start with a well-formed generalised UTF-8 character
// (also when it is empty).
[[nodiscard]] std::size_t DecodeUtf8Char(std::string_view text, char32_t& codePoint);

// Writes `codePoint` (at most U+10FFFF) as UTF-8 into `out`, which has room
// for kMaxUtf8CharBytes, and returns the number of bytes written.
std::size_t EncodeUtf8Char(char32_t codePoint, char* out);

// True when `text` is generalised UTF-8 that Utf8ToUtf16 accepts.
[[nodiscard]] bool IsGeneralisedUtf8(std::string_view text);

// Converts `utf8` into `out`, which has room for `capacity` units, and returns
// the number of units written (no NUL is added), or kNotConvertible.
[[nodiscard]] std::size_t Utf8ToUtf16(std::string_view utf8, char16_t* out, std::size_t capacity);

// Converts `utf16` into `out`, which has room for `capacity` bytes, and
// returns the number of bytes written (no NUL is added), or kNotConvertible
// when it does not fit. Every sequence of units converts: an unpaired
// surrogate becomes its three-byte form.
[[nodiscard]] std::size_t Utf16ToUtf8(std::u16string_view utf16, char* out, std::size_t capacity);

}  // namespace platform
