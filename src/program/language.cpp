#include "dialog/output.h"
#include "program/program_steps.h"

namespace dialog {

namespace {

bool IsLanguage(std::string_view text, int& language) {
  return ParseParameterNumber(text, language) && (language == 0 || language == 1);
}

}  // namespace

// The language is not known yet: an invalid parameter gets no message, and
// the question is shown again until 0 or 1 is typed.
Flow AskLanguage(RunState& state) {
  state.QuestionNumber = 1;
  TakeParameter(state);
  int language = 0;
  if (!state.askFlag && IsLanguage(platform::View(state.ParameterText), language)) {
    state.Language = static_cast<std::uint8_t>(language);
    return Flow::Go;
  }
  for (;;) {
    SayConsole(state, Msg::LanguageQuestion);
    SayConsole(state, Msg::LanguageEnglish);
    SayConsole(state, Msg::LanguageGerman);
    if (!ReadAnswerLine(state, state.AnswerText)) {
      return Flow::Stop;
    }
    if (IsLanguage(platform::View(state.AnswerText), language)) {
      state.Language = static_cast<std::uint8_t>(language);
      return Flow::Go;
    }
  }
}

}  // namespace dialog
