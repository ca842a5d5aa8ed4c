#include "platform/text_dataset.h"

namespace platform {

// POSIX names are bytes, and the system has no OEM code page to read them in.
void CodePageToUtf8(std::string_view bytes, PathText& utf8) { Assign(utf8, bytes); }

}  // namespace platform
