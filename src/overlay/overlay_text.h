#pragma once
// Messages of the overlay that the two languages cut into a different number
// of lines: a "\n" inside a catalogue text starts a new line there. Names,
// characters and numbers never break a line: a line end typed into the
// overlay information is written in its visible form inside its line.

#include <string_view>

#include "dialog/output.h"

namespace overlay {

inline constexpr int kMaxMessageLines = 3;

struct MessageLines {
  int count = 1;  // lines in use; the last one is being assembled
  dialog::Line lines[kMaxMessageLines];
};

// Appends the catalogue text of `message`, breaking the line at each "\n".
void AddText(MessageLines& message, const dialog::RunState& state, dialog::Msg id);
// Appends `text` (a name, a character) in its visible form (dialog::AddName)
// to the current line.
void AddName(MessageLines& message, const dialog::RunState& state, std::string_view text);
// Appends `value` in decimal, no leading blanks.
void AddDecimal(MessageLines& message, long long value);
// Drops the full stop that ends the last line, if it ends with one.
void DropFinalFullStop(MessageLines& message);

// Writes every line to the console / to the console and then the log.
void WriteConsole(dialog::RunState& state, const MessageLines& message);
void WriteBoth(dialog::RunState& state, const MessageLines& message);
// Writes every line to the log only.
void WriteLog(dialog::RunState& state, const MessageLines& message);

// One catalogue text, lines broken at "\n", on the console only.
void SayLines(dialog::RunState& state, dialog::Msg id);

}  // namespace overlay
