#pragma once
// Console input operations shared by the key entry and the overlay entry:
// secret input, reading typed text byte by byte with its line ends, and
// dropping typed-ahead input.

#include <cstddef>
#include <string_view>

#include "dialog/run_state.h"

namespace dialog {

// Hides what is typed from now on: the cursor hidden, black on black, the
// rest of the line cleared and, on a terminal, the echo switched off (input
// typed before is discarded). Until RestoreInput, a signal that ends the
// program restores the terminal first.
void HideInput(RunState& state);

// Undoes HideInput: the cursor to column 1 of its row, light grey on black,
// the cursor shown and the echo switched on again. Harmless when nothing was
// hidden.
void RestoreInput(RunState& state);

// Reads the line-end characters (CR or LF) that come next, while
// `LineEndCount` is below 2 and the input has not ended. CR LF, a lone CR and
// a lone LF each add 1 to `LineEndCount`; `crFlag` tells whether the last one
// read was a CR. The caller resets `LineEndCount`. Blocks while a terminal
// has no further line.
void SkipLineEnds(RunState& state);

// "Reopens" the standard input: on a terminal, characters typed ahead are
// dropped; redirected input is left alone, so that a dialog can be scripted.
void ReopenInput(RunState& state);

// True when the standard input has ended (blocks until a byte or the end).
[[nodiscard]] bool InputAtEnd(RunState& state);

// Characters of a key or of overlay information where they are code-page
// bytes (Windows, platform::kKeyCharactersAsCodePage): the bytes of the one
// character they stand for go to `out` (room for platform::kMaxUtf8CharBytes)
// and their number is returned; 0 when the code page lacks the character.
// Bytes that form no whole UTF-8 character are kept as they are (text of
// code-page bytes given in-process or redirected from an old script).
//
// The character at the start of `text`; `length` gets the bytes it took.
[[nodiscard]] std::size_t CodePageBytesOfText(std::string_view text, std::size_t& length, unsigned char* out);
// The character typed at the console that begins with the byte `first`
// (already read); its continuation bytes are read here.
[[nodiscard]] std::size_t CodePageBytesOfTyped(RunState& state, int first, unsigned char* out);

}  // namespace dialog
