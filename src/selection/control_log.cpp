#include "dialog/output.h"
#include "platform/file_system.h"
#include "platform/intro_screen.h"
#include "selection/selection.h"

namespace dialog {

namespace {

void AnnounceLog(RunState& state) {
  SayConsole(state, Msg::LogAnnounceFirst);
  Line line;
  AddFramed(line, state, Msg::LogAnnounceBegin, platform::View(state.ControlLogName), Msg::LogAnnounceEnd);
  WriteConsoleLine(state, line);
}

// The name typed at the console; Stop after the short termination line when
// it is empty (no log exists yet).
Flow TypeLogName(RunState& state) {
  SayConsole(state, Msg::LogPrompt);
  SayConsole(state, Msg::EmptyInputTerminates);
  if (!ReadAnswerLine(state, state.ControlLogName) || state.ControlLogName.length == 0) {
    SayConsole(state, Msg::LogTermination);
    return Flow::Stop;
  }
  EmptyConsoleLine(state);
  static constexpr Msg kMenu[] = {Msg::DescriptionQuestion1, Msg::DescriptionQuestion2,
                                  Msg::DescriptionNo, Msg::DescriptionContinue,
                                  Msg::DescriptionEnd};
  int answer = 0;
  if (ReadMenuAnswer(state, kMenu, 5, Answers({0, 1, 2}), answer) == Flow::Stop) {
    return Flow::Stop;
  }
  state.DescriptionAnswer = static_cast<std::uint8_t>(answer);
  return Flow::Go;
}

bool CreateLog(RunState& state) {
  if (platform::CreateOutputFile(state.ControlLog, platform::NameOf(state.ControlLogName))) {
    return true;
  }
  Line line;
  AddFramed(line, state, Msg::LogCannotCreateBegin, platform::View(state.ControlLogName), Msg::LogCannotCreateEnd);
  WriteConsoleLine(state, line);
  return false;
}

void WriteLogHead(RunState& state) {
  for (std::size_t row = 0; row < platform::kScreenRows; ++row) {
    Line line;
    AddOwnText(line, state,
               std::string_view(reinterpret_cast<const char*>(state.StartupScreenCopy) +
                                    row * platform::kScreenColumns,
                                platform::kScreenColumns));
    WriteLogLine(state, line);
  }
  EmptyLogLine(state);
  if (state.DescriptionAnswer == 0) {
    return;
  }
  platform::ClearScreen(state.console);
  std::uint8_t description[platform::kDescriptionSize];
  platform::Decipher(platform::StoredParameterDescription(state.Language), platform::kDescriptionSize,
                     description);
  WriteLogOwnText(state, std::string_view(reinterpret_cast<const char*>(description), sizeof description));
}

}  // namespace

Flow AskControlLog(RunState& state) {
  state.QuestionNumber = 2;
  TakeParameter(state);
  bool fromParameter = !state.askFlag;
  for (;;) {
    if (fromParameter) {
      state.ControlLogName = state.ParameterText;
      state.DescriptionAnswer = 0;
      AnnounceLog(state);
    } else if (TypeLogName(state) == Flow::Stop) {
      return Flow::Stop;
    }
    if (CreateLog(state)) {
      break;
    }
    // A name that cannot be created is asked again at the console.
    if (fromParameter) {
      state.askFlag = true;
      ReportInvalidParameter(state);
      fromParameter = false;
    }
  }
  (void)platform::FullPath(state.ControlLogName.chars, state.ControlLogPath);
  WriteLogHead(state);
  return state.DescriptionAnswer == 2 ? Flow::Stop : Flow::Go;
}

}  // namespace dialog
