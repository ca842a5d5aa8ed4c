#pragma once
// The steps of the key overlay, shared by the files of overlay/ (and reachable
// from tests): the pair rule, the parser of the overlay information for its
// three sources, and the ways of entering the information.
//
// Each step that may end the program returns a Flow: Stop means the closing
// sequence follows, with the termination line already written.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dialog/questions.h"
#include "dialog/run_state.h"
#include "platform/text_dataset.h"
#include "platform/unicode_text.h"

namespace overlay {

using dialog::OverlayInfo;

inline constexpr int kHighestPosition = 256;  // the size of InitialKey
inline constexpr int kHighestValue = 255;     // the largest byte value

// OverlayForm values with a meaning of their own; 1..6 are the notations of
// position and value.
inline constexpr std::uint8_t kNoOverlay = 0;
inline constexpr std::uint8_t kBytestring = 7;

// The pair rule. When `position` and `value` lie within the limits of
// `state.overlay`, a control input (EntryState 10) compares `value` with
// InitialKey[position] and returns false when they differ; any other input
// stores `value` there. A pair outside the limits is dropped silently (true).
[[nodiscard]] bool ApplyOverlayPair(dialog::RunState& state, int position, int value);

// Where the characters of the overlay information come from.
enum class InfoSource : std::uint8_t { Parameter, Keyboard, Dataset };

struct InfoReader {
  InfoSource source = InfoSource::Parameter;
  std::string_view text;                // Parameter: the text of parameter 12
  std::size_t next = 0;                 // Parameter: index of the next character
  platform::TextDataset* dataset = nullptr;  // Dataset: the open overlay dataset
  std::uint64_t consumed = 0;           // Dataset, form 7: bytes counted against its length
  // Parameter and Keyboard where characters are code-page bytes (Windows):
  // the bytes of the character read last, handed out one by one, and
  // whether the code page lacked a character (the information ends there).
  unsigned char pending[platform::kMaxUtf8CharBytes] = {};
  std::uint8_t pendingCount = 0;
  std::uint8_t pendingNext = 0;
  bool notInCodePage = false;
};

// The messages E1 to E7.
enum class InfoError : std::uint8_t {
  None,
  PositionTooLarge,        // E1: `number` is the position formed so far
  WrongPositionCharacter,  // E2: `character` (upper-cased)
  IncompletePair,          // E3
  WrongSeparator,          // E4: `character` (as read)
  ValueTooLarge,           // E5: `number` is the value formed so far
  WrongValueCharacter,     // E6: `character` (upper-cased)
  MissingValue,            // E7: form 7 ended after a position byte
  NotInCodePage,           // a character the code page lacks (Windows)
};

enum class ParseEnd : std::uint8_t { Complete, Mismatch, Error };

struct ParseResult {
  ParseEnd end = ParseEnd::Complete;
  // With Error, the error; with Complete, MissingValue when a keyboard
  // bytestring lost its last byte (the message is due, the input stands).
  InfoError error = InfoError::None;
  int character = 0;
  int number = 0;
  std::int64_t place = 0;  // n of the messages: information characters read so far
};

// Reads the overlay information in the notation `state.overlay.form` (1..7)
// from `reader` to its end and hands every complete pair to ApplyOverlayPair.
// Sets `infoCount` to 0 first. Complete: the information has ended; Mismatch:
// a pair of a control input differs from InitialKey (reading stops at once);
// Error: `error` says which, pairs read before it stay applied. Writes
// nothing. Keyboard: reads through the console; the caller has reopened the
// input, reset LineEndCount and skipped the leading line ends.
[[nodiscard]] ParseResult ParseOverlayInfo(dialog::RunState& state, InfoReader& reader);

// Writes the message of `result.error` as `source` wants it: parameter 12
// with its invalid-parameter line before and an empty console line after;
// keyboard as it is (E7 with its second line, in the log only outside a
// control input); dataset with its last line's full stop left off and the
// line naming OverlayDatasetName after it. Console and log. At the keyboard
// without echo (EntryState 0 or 10) the wrong character and the number too
// large are shown as "*".
void WriteInfoMessage(dialog::RunState& state, InfoSource source, const ParseResult& result);

// Question 12: the overlay information from parameter 12, the keyboard or a
// dataset, with the end message. KeyBackup is taken first.
[[nodiscard]] dialog::Flow RunOverlayEntry(dialog::RunState& state);

// One keyboard pass for EntryState 0, 10 or 1, with its error handling and
// control input; sets the next EntryState.
[[nodiscard]] dialog::Flow RunOverlayKeyboardPass(dialog::RunState& state);

// The overlay dataset (EntryState 2): asks for its name unless
// OverlayNameMode is 2, makes OverlayDatasetName its full path, reads it and
// sets EntryState to 255. An error in the dataset ends the program.
[[nodiscard]] dialog::Flow ReadOverlayDataset(dialog::RunState& state);

}  // namespace overlay
