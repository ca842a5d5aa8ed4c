#include "dialog/output.h"

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

void AddFramed(Line& line, const RunState& state, Msg before, std::string_view text, Msg after) {
  Add(line, state, before);
  Add(line, text);
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
  const std::string_view pieces[] = {View(start), name, View(end)};
  CloseProgressLine(state);
  for (std::string_view piece : pieces) {
    platform::WriteBytes(state.console, piece.data(), piece.size());
  }
  platform::WriteLineEnd(state.console);
  for (std::string_view piece : pieces) {
    WriteLogBytes(state, piece);
  }
  WriteLogBytes(state, "\r\n");
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
