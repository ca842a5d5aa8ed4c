#include "platform/name_order.h"

#include <cstdint>

#include "platform/unicode_text.h"

namespace platform {

namespace {

#include "platform/uppercase_table.inc"

// The order units of a name, read one at a time: UTF-16 code units, and
// stray bytes as kStrayByte plus the byte.
constexpr std::int32_t kStrayByte = 0x10000;
constexpr std::int32_t kEnd = -1;

struct UnitReader {
  std::string_view rest;
  std::int32_t pendingTrail = kEnd;  // the second unit of a surrogate pair
};

std::int32_t NextUnit(UnitReader& reader) {
  if (reader.pendingTrail != kEnd) {
    const std::int32_t trail = reader.pendingTrail;
    reader.pendingTrail = kEnd;
    return trail;
  }
  if (reader.rest.empty()) {
    return kEnd;
  }
  char32_t codePoint = 0;
  const std::size_t length = DecodeUtf8Char(reader.rest, codePoint);
  if (length == 0) {
    const auto stray = static_cast<unsigned char>(reader.rest.front());
    reader.rest.remove_prefix(1);
    return kStrayByte + stray;
  }
  reader.rest.remove_prefix(length);
  if (codePoint < 0x10000) {
    return static_cast<std::int32_t>(codePoint);
  }
  const char32_t offset = codePoint - 0x10000;
  reader.pendingTrail = static_cast<std::int32_t>(0xDC00 + (offset & 0x3FF));
  return static_cast<std::int32_t>(0xD800 + (offset >> 10));
}

std::int32_t Uppercase(std::int32_t unit) {
  return unit >= 0 && unit < kStrayByte ? UppercaseUnit(static_cast<char16_t>(unit)) : unit;
}

// Compares the units of `a` and `b`, each first mapped by `map`.
template <typename Map>
int CompareUnits(std::string_view a, std::string_view b, Map map) {
  UnitReader left{a};
  UnitReader right{b};
  for (;;) {
    const std::int32_t l = map(NextUnit(left));
    const std::int32_t r = map(NextUnit(right));
    if (l != r) {
      return l < r ? -1 : 1;
    }
    if (l == kEnd) {
      return 0;
    }
  }
}

}  // namespace

char16_t UppercaseUnit(char16_t unit) {
  const std::uint16_t delta = kUppercaseDelta[kUppercaseRow[unit >> 8]][unit & 0xFF];
  return static_cast<char16_t>((unit + delta) & 0xFFFF);
}

char32_t UppercaseCodePoint(char32_t codePoint) {
  return codePoint < 0x10000 ? UppercaseUnit(static_cast<char16_t>(codePoint)) : codePoint;
}

int CompareNames(std::string_view a, std::string_view b) {
  if (const int folded = CompareUnits(a, b, Uppercase); folded != 0) {
    return folded;
  }
  if (const int exact = CompareUnits(a, b, [](std::int32_t unit) { return unit; }); exact != 0) {
    return exact;
  }
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

}  // namespace platform
