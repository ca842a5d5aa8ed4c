#pragma once
// What the shared console code (console.cpp) takes from each platform's
// console file.

#include <cstddef>

#include "platform/console.h"

namespace platform {

// Reads at most `size` bytes of input into `buffer`, waiting until at least
// one is there; 0 at the end of the input or when it cannot be read.
std::size_t ReadConsoleBytes(Console& console, unsigned char* buffer, std::size_t size);

// Writes all `size` bytes of `data` to the output; false when that failed.
[[nodiscard]] bool WriteConsoleBytes(const Console& console, const char* data, std::size_t size);

// Discards what was typed at the terminal but not yet read.
void FlushTypedInput(const Console& console);

// The platform's half of SetEcho (which handles the console's buffer and
// the case without any terminal): switches the echo off with the guards that
// restore the terminal on every way out, or gives the terminal back.
[[nodiscard]] bool SwitchEchoOff(Console& console);
[[nodiscard]] bool SwitchEchoOn(Console& console);

}  // namespace platform
