#pragma once
// Text datasets read line by line (the list dataset): CR, LF and CR LF each
// end a line; a line longer than 255 bytes is cut after its 255th byte.

#include <cstddef>
#include <cstdint>

#include "platform/short_text.h"

namespace platform {

inline constexpr std::size_t kInputBufferSize = 4096;

struct InputFile {
  std::intptr_t handle = -1;  // descriptor; -1 when not open
  std::size_t begin = 0;      // unread bytes are buffer[begin, end)
  std::size_t end = 0;
  bool atEnd = false;         // nothing more to read
  unsigned char buffer[kInputBufferSize];
};

// Opens the regular file `name` for reading; false otherwise.
[[nodiscard]] bool OpenInputFile(InputFile& file, const char* name);

// True when no byte is left to read (a read error counts as the end).
[[nodiscard]] bool InputAtEnd(InputFile& file);

// Reads the next line into `line`; false when the file was at its end.
[[nodiscard]] bool ReadInputLine(InputFile& file, ShortText& line);

void CloseInputFile(InputFile& file);

}  // namespace platform
