#include "dialog/output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialog/progress.h"
#include "platform/oem_text.h"
#include "platform/utf8_text.h"

namespace dialog {

namespace {

void WriteLogBytes(RunState& state, std::string_view bytes) {
  if (!platform::IsOpen(state.ControlLog) || state.logWriteFailed) {
    return;
  }
  if (!platform::WriteOutputFile(state.ControlLog, bytes.data(), bytes.size())) {
    ReportLogWriteFailure(state);
  }
}

void WriteConsoleBytes(RunState& state, std::string_view bytes) {
  platform::WriteBytes(state.console, bytes.data(), bytes.size());
}

bool IsControlByte(char byte) {
  const auto code = static_cast<unsigned char>(byte);
  return code < 0x20 || code == 0x7F;
}

// Characters that a UTF-8 terminal takes as controls, or that change the
// order in which the text around them is shown, or break its line.
bool IsHiddenCodePoint(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// One character of a name: its bytes, and whether it is written in its
// visible form. In a UTF-8 run a character is one well-formed sequence;
// other bytes are single characters.
struct NameCharacter {
  std::size_t length = 1;
  bool visible = false;
  char32_t codePoint = 0;
};

NameCharacter CharacterAt(std::string_view name, std::size_t at, platform::TextCharset charset) {
  const auto byte = static_cast<unsigned char>(name[at]);
  if (IsControlByte(name[at])) {
    return {1, true, byte};
  }
  if (charset == platform::TextCharset::Utf8 && byte >= 0x80) {
    const platform::Utf8Character c = platform::DecodeUtf8(name.substr(at));
    if (c.length > 0) {
      return {c.length, IsHiddenCodePoint(c.codePoint), c.codePoint};
    }
  }
  return {1, false, byte};
}

void AddVisibleForm(Line& line, char32_t codePoint) {
  char form[16];
  switch (codePoint) {
    case '\r':
      Add(line, "\\r");
      return;
    case '\n':
      Add(line, "\\n");
      return;
    case '\t':
      Add(line, "\\t");
      return;
    default:
      if (codePoint < 0x80) {
        std::snprintf(form, sizeof form, "\\x%02X", static_cast<unsigned>(codePoint));
      } else {
        std::snprintf(form, sizeof form, "\\u%04X", static_cast<unsigned>(codePoint));
      }
      Add(line, form);
      return;
  }
}

// Whether a backslash before `next` would be read as the start of a visible
// form ("\\", "\r", "\n", "\t", "\x1B", "\u009B", a character's own form) or
// of the cut mark, which follows the last byte of a cut name.
bool ContinuesVisibleForm(std::string_view name, std::size_t next, bool cut,
                          platform::TextCharset charset) {
  if (next == name.size()) {
    return cut;
  }
  const char c = name[next];
  return c == '\\' || c == 'r' || c == 'n' || c == 't' || c == 'x' || c == 'u' || c == '<' ||
         CharacterAt(name, next, charset).visible;
}

// Appends the characters of `name` that begin in [`begin`, `end`) in their
// visible form; returns where the next character begins (at `end` or, where
// a character reaches across it, after that character).
std::size_t AddNameCharacters(Line& line, std::string_view name, std::size_t begin, std::size_t end,
                              bool cut, const NameStyle& style) {
  const bool backslashSeparates = platform::IsSeparator('\\', style.syntax);
  std::size_t at = begin;
  while (at < end) {
    const NameCharacter c = CharacterAt(name, at, style.charset);
    if (c.visible) {
      AddVisibleForm(line, c.codePoint);
    } else if (name[at] == '\\' && !backslashSeparates &&
               ContinuesVisibleForm(name, at + 1, cut, style.charset)) {
      Add(line, "\\\\");
    } else {
      Add(line, name.substr(at, c.length));
    }
    at += c.length;
  }
  return at;
}

// `start`, `name` in its visible form a part at a time (each part fitting a
// Line), `end` and `lineEnd`, through `write`.
void WriteFramedTo(RunState& state, void (*write)(RunState&, std::string_view), std::string_view start,
                   std::string_view name, std::string_view end, std::string_view lineEnd) {
  constexpr std::size_t kPart = kLineCapacity / 8;
  write(state, start);
  for (std::size_t part = 0; part < name.size();) {
    Line visible;
    part = AddNameCharacters(visible, name, part, std::min(name.size(), part + kPart), false,
                             NameStyle{state.textCharset});
    write(state, View(visible));
  }
  write(state, end);
  write(state, lineEnd);
}

}  // namespace

void ReportLogWriteFailure(RunState& state) {
  // Never lose the log silently, but say it only once.
  if (state.logWriteFailed) {
    return;
  }
  state.logWriteFailed = true;
  NoteExitStatus(state, ExitStatus::DialogIncomplete);
  Line line;
  AddFramed(line, state, Msg::LogCannotCreateBegin, state.ControlLogName, Msg::LogWriteFailedEnd);
  WriteConsoleLine(state, line);
}

void Add(Line& line, std::string_view text) {
  for (char c : text) {
    if (line.length == kLineCapacity) {
      return;
    }
    line.chars[line.length++] = c;
  }
}

void AddOwnText(Line& line, const RunState& state, std::string_view text) {
  line.length += platform::ConvertOwnText(text, state.textCharset, line.chars + line.length,
                                          kLineCapacity - line.length);
}

void Add(Line& line, const RunState& state, Msg message) {
  AddOwnText(line, state, Text(message, state.Language));
}

void AddName(Line& line, std::string_view name, bool cut, const NameStyle& style) {
  AddNameCharacters(line, name, 0, name.size(), cut, style);
  if (cut) {
    Add(line, kCutMark);
  }
}

void AddName(Line& line, const RunState& state, std::string_view name) {
  AddName(line, name, false, NameStyle{state.textCharset});
}

void AddFramed(Line& line, const RunState& state, Msg before, std::string_view text, Msg after) {
  Add(line, state, before);
  AddName(line, state, text);
  Add(line, state, after);
}

void AddNumber(Line& line, long long value, int width) {
  char digits[32];
  const int n = std::snprintf(digits, sizeof digits, "%*lld", width, value);
  Add(line, std::string_view(digits, static_cast<std::size_t>(n)));
}

void AddWholeNumber(Line& line, double value, int width) {
  char digits[64];
  const int n = std::snprintf(digits, sizeof digits, "%*.0f", width, value);
  Add(line, std::string_view(digits, n < 0 ? 0 : static_cast<std::size_t>(n)));
}

void AddScientific(Line& line, double value) {
  // printf gives at least two exponent digits; the field always has three.
  char printed[40];
  std::snprintf(printed, sizeof printed, "%.15E", std::fabs(value));
  const char* exponentPart = std::strchr(printed, 'E');
  const int exponent = std::atoi(exponentPart + 1);
  char field[48];
  const int n = std::snprintf(field, sizeof field, "%c%.*sE%c%03d", std::signbit(value) ? '-' : ' ',
                              static_cast<int>(exponentPart - printed), printed,
                              exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
  Add(line, std::string_view(field, n < 0 ? 0 : static_cast<std::size_t>(n)));
}

void WriteConsoleLine(RunState& state, const Line& line) {
  CloseProgressLine(state);
  platform::WriteBytes(state.console, line.chars, line.length);
  platform::WriteLineEnd(state.console);
}

void WriteLogLine(RunState& state, const Line& line) {
  Line withEnd = line;
  Add(withEnd, "\r\n");
  WriteLogBytes(state, View(withEnd));
}

void WriteBothLine(RunState& state, const Line& line) {
  WriteConsoleLine(state, line);
  WriteLogLine(state, line);
}

void WriteFramedBothLine(RunState& state, Msg before, std::string_view name, Msg after) {
  Line start;
  Add(start, state, before);
  Line end;
  Add(end, state, after);
  CloseProgressLine(state);
  WriteFramedTo(state, WriteConsoleBytes, View(start), name, View(end), "\n");
  WriteFramedTo(state, WriteLogBytes, View(start), name, View(end), "\r\n");
}

void WriteFramedLogLine(RunState& state, Msg before, std::string_view name, Msg after) {
  Line start;
  Add(start, state, before);
  Line end;
  Add(end, state, after);
  WriteFramedTo(state, WriteLogBytes, View(start), name, View(end), "\r\n");
}

void WriteLogOwnText(RunState& state, std::string_view text) {
  // In pieces that fit a line however many bytes each character takes.
  constexpr std::size_t kPiece = kLineCapacity / platform::kMaxOwnCharBytes;
  for (std::size_t start = 0; start < text.size(); start += kPiece) {
    Line piece;
    AddOwnText(piece, state, text.substr(start, kPiece));
    WriteLogBytes(state, View(piece));
  }
}

void WritePrompt(RunState& state, const Line& line) {
  CloseProgressLine(state);
  platform::WriteBytes(state.console, line.chars, line.length);
}

void SayConsole(RunState& state, Msg message) {
  Line line;
  Add(line, state, message);
  WriteConsoleLine(state, line);
}

void SayPrompt(RunState& state, Msg message) {
  Line line;
  Add(line, state, message);
  WritePrompt(state, line);
}

void SayBoth(RunState& state, Msg message) {
  Line line;
  Add(line, state, message);
  WriteBothLine(state, line);
}

void EmptyConsoleLine(RunState& state) {
  CloseProgressLine(state);
  platform::WriteLineEnd(state.console);
}

void EmptyLogLine(RunState& state) { WriteLogBytes(state, "\r\n"); }

}  // namespace dialog
