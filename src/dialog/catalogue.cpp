#include "dialog/catalogue.h"

#include <cstddef>

#include "platform/oem_text.h"

namespace dialog {

namespace {

constexpr std::size_t kCount = static_cast<std::size_t>(Msg::Count);

constexpr const char* kUtf8Texts[kCount][2] = {
#define TARVEX5_MESSAGE(id, english, german) {english, german},
#include "dialog/messages.def"
#include "dialog/key_messages.def"
#include "dialog/overlay_messages.def"
#undef TARVEX5_MESSAGE
};

constexpr std::size_t TotalUtf8Size() {
  std::size_t total = 0;
  for (const auto& pair : kUtf8Texts) {
    total += platform::Utf8Length(pair[0]) + platform::Utf8Length(pair[1]);
  }
  return total;
}

// All texts converted to code-page bytes at compile time, one after the other.
struct Blob {
  char chars[TotalUtf8Size() + 1] = {};
  std::uint32_t offset[kCount][2] = {};
  std::uint16_t length[kCount][2] = {};
};

consteval Blob BuildBlob() {
  Blob blob;
  std::size_t used = 0;
  for (std::size_t id = 0; id < kCount; ++id) {
    for (int language = 0; language < 2; ++language) {
      const char* utf8 = kUtf8Texts[id][language];
      blob.offset[id][language] = static_cast<std::uint32_t>(used);
      const std::size_t n = platform::ConvertToOem(utf8, platform::Utf8Length(utf8), blob.chars + used);
      blob.length[id][language] = static_cast<std::uint16_t>(n);
      used += n;
    }
  }
  return blob;
}

constexpr Blob kBlob = BuildBlob();

}  // namespace

std::string_view Text(Msg message, int language) {
  const auto id = static_cast<std::size_t>(message);
  const int column = language == kEnglish ? 0 : 1;
  return {kBlob.chars + kBlob.offset[id][column], kBlob.length[id][column]};
}

}  // namespace dialog
