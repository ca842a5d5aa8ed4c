#pragma once
// Text output to the two streams: the console and the control-information log.
//
// A line is assembled in a Line from catalogue texts, names and numbers, then
// written to the console (ending in "\n"), to the log (ending in CR LF), or to
// both, the console first. Questions, menus, prompts and corrections go to the
// console only. A failed log write is reported once on the console and sets
// `logWriteFailed`; the dialog then ends the run.

#include <cstddef>
#include <string_view>

#include "dialog/catalogue.h"
#include "dialog/run_state.h"
#include "platform/path_text.h"

namespace dialog {

// Long enough for any line of the program: a few texts and a name as long as
// the platform's longest path, each byte of it taking up to four characters
// in its visible form.
inline constexpr std::size_t kLineCapacity = 4 * platform::kPathTextCapacity + 1024;

struct Line {
  std::size_t length = 0;
  char chars[kLineCapacity];
};

// Appends `text` (a name, a number, bytes from a dataset) as it stands; what
// does not fit is dropped.
void Add(Line& line, std::string_view text);
// Appends the program's own text `text` (code-page bytes: the catalogue, the
// intro screen) in the run's character set; only whole characters.
void AddOwnText(Line& line, const RunState& state, std::string_view text);
// Appends the catalogue text of `message` in the run's language and character set.
void Add(Line& line, const RunState& state, Msg message);
// Appends `name` (a name or a typed text, as bytes) in a visible form that
// can neither break the line nor control the terminal: the bytes 0x00 to 0x1F
// and 0x7F as "\r", "\n", "\t" or "\xHH" (two upper-case hexadecimal digits),
// and a backslash as "\\" where the byte after it would otherwise make it
// read as one of those forms; every other byte as it stands. Where the
// backslash separates the names of a path (`syntax`: Windows, whose names
// hold no control bytes), it always stands as it is: "C:\temp\new" is a path.
void AddName(Line& line, std::string_view name,
             const platform::PathSyntax& syntax = platform::kNativePaths);
// Appends the bytes [`begin`, `end`) of `name` as AddName does; the byte at
// `end`, if any, still decides how a backslash before it is written.
void AddNamePart(Line& line, std::string_view name, std::size_t begin, std::size_t end,
                 const platform::PathSyntax& syntax = platform::kNativePaths);
// Appends the text of `before`, `text` (a name, in its visible form) and the
// text of `after`: the frame of every message that names something.
void AddFramed(Line& line, const RunState& state, Msg before, std::string_view text, Msg after);
// Appends `value` in decimal, right-aligned in `width` characters (0: no blanks).
void AddNumber(Line& line, long long value, int width = 0);
// Appends `value` in fixed notation without decimals, right-aligned in `width`.
void AddWholeNumber(Line& line, double value, int width);
// Appends `value` in scientific form: 23 characters, a blank for the plus sign,
// one digit, a point, 15 decimals, "E", the exponent's sign and three digits.
void AddScientific(Line& line, double value);

inline std::string_view View(const Line& line) { return {line.chars, line.length}; }

// Writes `line` and a line end to the console / the log / both (console first).
void WriteConsoleLine(RunState& state, const Line& line);
void WriteLogLine(RunState& state, const Line& line);
void WriteBothLine(RunState& state, const Line& line);
// Writes the text of `before`, `name` (in its visible form) and the text of
// `after` as one line to both streams, however long `name` is: the path of a
// directory deep in a tree may be longer than a Line holds.
void WriteFramedBothLine(RunState& state, Msg before, std::string_view name, Msg after);
// The same line to the log alone.
void WriteFramedLogLine(RunState& state, Msg before, std::string_view name, Msg after);
// Writes the program's own text `text` (code-page bytes) to the log in the
// run's character set, without adding a line end.
void WriteLogOwnText(RunState& state, std::string_view text);
// Writes `line` to the console without a line end, so the answer follows it.
void WritePrompt(RunState& state, const Line& line);

// One catalogue text as a whole console line, as a prompt, or on both streams.
void SayConsole(RunState& state, Msg message);
void SayPrompt(RunState& state, Msg message);
void SayBoth(RunState& state, Msg message);
// The line saying that the log cannot be written, console only, and
// `logWriteFailed` set; nothing when it is set already (the line is said once).
void ReportLogWriteFailure(RunState& state);

// An empty line on the console / in the log.
void EmptyConsoleLine(RunState& state);
void EmptyLogLine(RunState& state);

}  // namespace dialog
