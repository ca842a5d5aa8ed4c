#pragma once
// The steps of key input, shared by the files of key/ (and reachable from
// tests): the keyboard pass, the key dataset, the hexadecimal pair rule and
// the completion of InitialKey.
//
// Each step that may end the program returns a Flow: Stop means the closing
// sequence follows, with the termination line already written.

#include <cstdint>

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace key {

inline constexpr int kKeySize = 256;                  // bytes of InitialKey
inline constexpr int kMaxHexDigits = 2 * kKeySize;    // two digits per key byte
inline constexpr std::uint8_t kAscii = 1;             // KeyCharset values
inline constexpr std::uint8_t kHexadecimal = 2;

// The EntryState values (kHiddenFirst ... kOpen) are the run record's.
using dialog::kFromDataset;
using dialog::kFromParameter;
using dialog::kHiddenControl;
using dialog::kHiddenFirst;
using dialog::kOpen;
using dialog::kShown;

// The key of an empty key (two empty lines, an empty key dataset). Fixed for
// good: what was encoded with an empty key decodes only with this value.
inline constexpr std::uint8_t DefaultKey[2] = {0xA5, 0x3C};

// The value 0..15 of a hexadecimal digit ("0".."9", "A".."F", "a".."f"), or
// -1 for any other byte (blank included).
[[nodiscard]] int HexDigitValue(int character);

// "Unbalanced hexadecimal characters: a hexadecimal null-digit completed!" on
// the console and in the log.
void WriteUnbalancedLine(dialog::RunState& state);

// Completion: an empty key becomes DefaultKey (KeyLength 2), then positions
// KeyLength + 1 .. 256 of `initialKey` (indexed 1..256) repeat positions
// 1..KeyLength in order. `keyLength` is 0..256 on entry.
void WidenKey(std::uint8_t (&initialKey)[kKeySize + 1], std::int16_t& keyLength);

// One keyboard pass for EntryState 0, 10 or 1, with its error handling; sets
// the next EntryState (10 after a first input, 255 when the key is complete,
// 0 or 1 again after an error that is to be repeated).
[[nodiscard]] dialog::Flow RunKeyboardPass(dialog::RunState& state);

// The key dataset (EntryState 2): asks for its name unless KeyNameMode is 2,
// reads the key, sets KeyDatasetName to its full path and EntryState to 255.
[[nodiscard]] dialog::Flow ReadKeyDataset(dialog::RunState& state);

}  // namespace key
