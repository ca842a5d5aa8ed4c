#include "platform/intro_screen.h"

#include "platform/clock.h"

namespace platform {

void Decipher(const std::uint8_t* stored, std::size_t size, std::uint8_t* plain) {
  for (std::size_t i = 0; i < size; ++i) {
    plain[i] = static_cast<std::uint8_t>(stored[i] ^ kBaseTable[i % 256]);
  }
}

void ShowIntroScreen(Console& console, const std::uint8_t* screen, TextCharset charset, int pauseMs) {
  ClearScreen(console);
  for (std::size_t row = 0; row < kScreenRows; ++row) {
    const std::string_view chars(reinterpret_cast<const char*>(screen + row * kScreenColumns),
                                 kScreenColumns);
    char converted[kScreenColumns * kMaxOwnCharBytes];
    const std::size_t size = ConvertOwnText(chars, charset, converted, sizeof converted);
    // A terminal wider than 80 columns would run the rows together: place each one.
    MoveCursor(console, static_cast<int>(row) + 1, 1);
    WriteBytes(console, converted, size);
    if (!console.outputIsTerminal) {
      WriteLineEnd(console);
    }
  }
  if (console.outputIsTerminal) {
    WriteLineEnd(console);
  }
  Pause(pauseMs);
}

}  // namespace platform
