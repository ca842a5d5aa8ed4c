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
  if (const auto byte = static_cast<unsigned char>(reader.rest.front()); byte < 0x80) {
    reader.rest.remove_prefix(1);
    return byte;
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

// Compares `a` and `b` unit by unit after the uppercase mapping; where they
// are equal so, the first unit that differs exactly decides.
int CompareUnits(std::string_view a, std::string_view b) {
  UnitReader left{a};
  UnitReader right{b};
  int exact = 0;
  for (;;) {
    const std::int32_t l = NextUnit(left);
    const std::int32_t r = NextUnit(right);
    if (l == r) {
      if (l == kEnd) {
        return exact;
      }
      continue;
    }
    const std::int32_t upperL = Uppercase(l);
    const std::int32_t upperR = Uppercase(r);
    if (upperL != upperR) {
      return upperL < upperR ? -1 : 1;
    }
    if (exact == 0) {
      exact = l < r ? -1 : 1;
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
  if (const int units = CompareUnits(a, b); units != 0) {
    return units;
  }
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

}  // namespace platform
