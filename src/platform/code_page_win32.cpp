#include "platform/text_dataset.h"
#include "platform/win32_io.h"

namespace platform {

// Every byte of an OEM code page is at most one UTF-16 unit.
void CodePageToUtf8(std::string_view bytes, PathText& utf8) {
  Clear(utf8);
  if (bytes.empty()) {
    return;
  }
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");
  char16_t units[kPathTextCapacity];
  const int count = MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                        reinterpret_cast<wchar_t*>(units), static_cast<int>(kPathTextCapacity));
  if (count <= 0) {
    utf8.cut = true;  // names nothing
    return;
  }
  AppendUtf16(utf8, {units, static_cast<std::size_t>(count)});
}

}  // namespace platform
