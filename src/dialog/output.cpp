#include "dialog/output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialog/progress.h"
#include "platform/oem_text.h"

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

void AddVisibleControl(Line& line, char byte) {
  switch (byte) {
    case '\r':
      Add(line, "\\r");
      return;
    case '\n':
      Add(line, "\\n");
      return;
    case '\t':
      Add(line, "\\t");
      return;
    default: {
      char form[8];
      std::snprintf(form, sizeof form, "\\x%02X", static_cast<unsigned char>(byte));
      Add(line, form);
      return;
    }
  }
}

// A backslash before one of these would be read as the start of a visible
// form: "\\", "\r", "\n", "\t", "\x1B", or a control byte's own form.
bool ContinuesVisibleForm(char next) {
  return next == '\\' || next == 'r' || next == 'n' || next == 't' || next == 'x' ||
         IsControlByte(next);
}

// `start`, `name` in its visible form a part at a time (each part fitting a
// Line), `end` and `lineEnd`, through `write`.
void WriteFramedTo(RunState& state, void (*write)(RunState&, std::string_view), std::string_view start,
                   std::string_view name, std::string_view end, std::string_view lineEnd) {
  constexpr std::size_t kPart = kLineCapacity / 4;
  write(state, start);
  for (std::size_t part = 0; part < name.size(); part += kPart) {
    Line visible;
    AddNamePart(visible, name, part, std::min(name.size(), part + kPart));
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
  Line line;
  AddFramed(line, state, Msg::LogCannotCreateBegin, platform::View(state.ControlLogName), Msg::LogWriteFailedEnd);
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

void AddName(Line& line, std::string_view name, const platform::PathSyntax& syntax) {
  AddNamePart(line, name, 0, name.size(), syntax);
}

void AddNamePart(Line& line, std::string_view name, std::size_t begin, std::size_t end,
                 const platform::PathSyntax& syntax) {
  const bool backslashSeparates = platform::IsSeparator('\\', syntax);
  for (std::size_t i = begin; i < end; ++i) {
    const char byte = name[i];
    if (IsControlByte(byte)) {
      AddVisibleControl(line, byte);
    } else if (byte == '\\' && !backslashSeparates && i + 1 < name.size() &&
               ContinuesVisibleForm(name[i + 1])) {
      Add(line, "\\\\");
    } else {
      Add(line, std::string_view(&byte, 1));
    }
  }
}

void AddFramed(Line& line, const RunState& state, Msg before, std::string_view text, Msg after) {
  Add(line, state, before);
  AddName(line, text);
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
