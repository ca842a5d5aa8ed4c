#pragma once
// The one order in which the datasets of a directory are taken, the same on
// every platform, so that datasets encoded as one unit on one system decode
// on the other: the order in which an NTFS directory keeps its entries.
//
// Names (generalised UTF-8, see platform/unicode_text.h) are compared as
// sequences of UTF-16 code units, first after the simple uppercase mapping of
// each unit (uppercase_table.inc, from the Unicode Character Database; units
// of surrogate pairs map to themselves, as in the file system's own table),
// then, for names that differ only in case, by the exact units ("A.txt"
// before "a.txt"). A byte that belongs to no well-formed character (a POSIX
// name need not be UTF-8) counts as one unit of its own that comes after every
// UTF-16 unit, such bytes in ascending order among themselves. Names still
// equal then (only possible with such stray forms) are ordered by their bytes,
// so that the order is total and never depends on the sort.
//
// No locale and no system collation take part: both builds order any two
// names alike, bit for bit.

#include <string_view>

namespace platform {

// The simple uppercase mapping of the UTF-16 code unit `unit`; a unit without
// one maps to itself.
[[nodiscard]] char16_t UppercaseUnit(char16_t unit);

// The simple uppercase mapping of `codePoint` (any code point up to
// U+10FFFF); beyond the Basic Multilingual Plane every code point maps to
// itself, as in UppercaseUnit.
[[nodiscard]] char32_t UppercaseCodePoint(char32_t codePoint);

// Less than zero when `a` comes before `b` in the order above, zero when the
// names are equal, greater than zero when `a` comes after `b`.
[[nodiscard]] int CompareNames(std::string_view a, std::string_view b);

}  // namespace platform
