#include "dialog/questions.h"

#include <algorithm>

#include "dialog/output.h"

namespace dialog {

namespace {

// Leading blanks, then digits only; `allowSign` admits one "+" or "-".
bool ParseDecimal(std::string_view text, bool allowSign, long minimum, long maximum, int& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') {
    ++i;
  }
  bool negative = false;
  if (allowSign && i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) {
    return false;
  }
  long magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > maximum + 1) {
      return false;
    }
  }
  const long result = negative ? -magnitude : magnitude;
  if (result < minimum || result > maximum) {
    return false;
  }
  value = static_cast<int>(result);
  return true;
}

// The message is due when the answer must be asked and the parameter was
// given with some text (a missing or empty parameter is simply asked).
bool InvalidParameterGiven(const RunState& state) {
  const int k = state.QuestionNumber;
  return state.askFlag && k <= state.argumentCount && state.arguments[k][0] != '\0';
}

void AddInvalidLineStart(Line& line, const RunState& state) {
  Add(line, state, Msg::ParameterThe);
  AddNumber(line, state.QuestionNumber);
}

// Writes the menu and reads answers until one is allowed; each wrong one gets
// the correction line, masked when it may be secret.
Flow AskMenu(RunState& state, const Msg* lines, int lineCount, AllowedAnswers allowed,
             FailedInput failed, int& answer) {
  for (int i = 0; i < lineCount; ++i) {
    SayConsole(state, lines[i]);
  }
  SayPrompt(state, Msg::MenuPrompt);
  for (;;) {
    if (!ReadAnswerLine(state, state.AnswerText)) {
      return Terminate(state);
    }
    int value = 0;
    if (ParseMenuNumber(platform::View(state.AnswerText), value) && value <= 9 &&
        (allowed & (1u << value)) != 0) {
      answer = value;
      return Flow::Go;
    }
    ShortText masked;
    masked.length = state.AnswerText.length;
    std::fill(masked.chars, masked.chars + masked.length, kMaskedCharacter);
    const ShortText& shown = failed == FailedInput::Secret ? masked : state.AnswerText;
    Line line;
    AddFramed(line, state, Msg::WrongInputBegin, platform::View(shown), Msg::WrongInputEnd);
    WritePrompt(state, line);
  }
}

}  // namespace

void TakeParameter(RunState& state) {
  const int k = state.QuestionNumber;
  state.askFlag = k > state.argumentCount;
  platform::Assign(state.ParameterText, state.askFlag ? "" : state.arguments[k]);
}

void ReportInvalidParameter(RunState& state) {
  if (!InvalidParameterGiven(state)) {
    return;
  }
  Line line;
  AddInvalidLineStart(line, state);
  Add(line, state, Msg::ParameterInvalid);
  WriteConsoleLine(state, line);
}

void ReportInvalidParameterPair(RunState& state) {
  if (!InvalidParameterGiven(state)) {
    return;
  }
  Line line;
  AddInvalidLineStart(line, state);
  Add(line, state, Msg::ParameterOr);
  AddNumber(line, state.QuestionNumber + 1);
  Add(line, state, Msg::ParameterInvalid);
  WriteConsoleLine(state, line);
}

bool ParseParameterNumber(std::string_view text, int& value) {
  return ParseDecimal(text, true, -32768, 32767, value);
}

bool ParseMenuNumber(std::string_view text, int& value) {
  return ParseDecimal(text, false, 0, 65535, value);
}

void TakeBracketed(RunState& state, std::size_t openingLength, std::string_view closing) {
  std::string_view rest = platform::View(state.ParameterText).substr(openingLength);
  const std::size_t end = rest.find(closing);
  if (end != std::string_view::npos) {
    rest = rest.substr(0, end);
  } else {
    Line line;
    Add(line, "\"");
    // The bracket is the program's own notation (one given in UTF-8 passes unchanged).
    AddOwnText(line, state, closing);
    Add(line, state, Msg::BracketAtEndOf);
    AddNumber(line, state.QuestionNumber);
    Add(line, state, Msg::BracketCompleted);
    WriteConsoleLine(state, line);
  }
  PathText taken;
  platform::Assign(taken, rest);
  // The name is whole when it ends before the cut; the rest is dropped anyway.
  taken.cut = state.ParameterText.cut && end == std::string_view::npos;
  state.ParameterText = taken;
}

namespace {

template <std::size_t Capacity>
bool ReadLineInto(RunState& state, platform::FixedText<Capacity>& text) {
  std::size_t length = 0;
  bool cut = false;
  const bool read = platform::ReadLine(state.console, text.chars, Capacity, length, cut);
  text.length = length;
  text.cut = cut;
  text.chars[length] = '\0';
  return read;
}

}  // namespace

bool ReadAnswerLine(RunState& state, ShortText& text) { return ReadLineInto(state, text); }

bool ReadAnswerLine(RunState& state, PathText& text) { return ReadLineInto(state, text); }

Flow ReadMenuAnswer(RunState& state, const Msg* lines, int lineCount, AllowedAnswers allowed,
                    int& answer) {
  return AskMenu(state, lines, lineCount, allowed, FailedInput::Shown, answer);
}

Flow AskRepeatOrTerminate(RunState& state, FailedInput failed) {
  // Characters left on the line that held the error belong to the failed input.
  platform::FinishCurrentLine(state.console);
  if (failed == FailedInput::Secret) {
    platform::DiscardTypeAhead(state.console);
  }
  static constexpr Msg kLines[] = {Msg::RepeatQuestion, Msg::RepeatOne, Msg::RepeatNine};
  int answer = 0;
  if (AskMenu(state, kLines, 3, Answers({1, 9}), failed, answer) == Flow::Stop) {
    return Flow::Stop;
  }
  if (answer == 9) {
    TerminateProgram(state);
    return Flow::Stop;
  }
  return Flow::Go;
}

void TerminateProgram(RunState& state) { SayBoth(state, Msg::TerminatingProgram); }

Flow Terminate(RunState& state) {
  if (platform::IsOpen(state.ControlLog)) {
    TerminateProgram(state);
  }
  return Flow::Stop;
}

void EndProgram(RunState& state) {
  Line closing;
  Add(closing, state, Msg::Banner);
  Add(closing, state, Msg::BannerTerminated);
  if (platform::IsOpen(state.ControlLog)) {
    EmptyLogLine(state);
    WriteLogLine(state, closing);
  }
  EmptyConsoleLine(state);
  if (!platform::CloseOutputFile(state.ControlLog)) {
    ReportLogWriteFailure(state);
  }
  WriteConsoleLine(state, closing);
}

Flow AskModeMenu(RunState& state, const Msg* lines, int lineCount, AllowedAnswers allowed,
                 std::uint8_t& mode) {
  EmptyConsoleLine(state);
  int answer = 0;
  if (ReadMenuAnswer(state, lines, lineCount, allowed, answer) == Flow::Stop) {
    return Flow::Stop;
  }
  if (answer == 9) {
    TerminateProgram(state);
    return Flow::Stop;
  }
  mode = static_cast<std::uint8_t>(answer);
  EmptyConsoleLine(state);
  return Flow::Go;
}

}  // namespace dialog
