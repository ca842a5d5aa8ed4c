#include "dialog/output.h"
#include "platform/file_system.h"
#include "selection/selection.h"

namespace dialog {

namespace {

constexpr char kListOpening = '(';
constexpr char kListClosing = ')';
constexpr char kDirectoryOpening = '[';
constexpr char kDirectoryClosing = ']';
constexpr char kTreeOpening = '\xAE';  // «
constexpr char kTreeClosing = '\xAF';  // »
// Where the console speaks UTF-8, « and » are also taken in UTF-8.
constexpr std::string_view kUtf8TreeOpening = "\xC2\xAB";
constexpr std::string_view kUtf8TreeClosing = "\xC2\xBB";

struct ModePrompt {
  Msg lines[4];
  int lineCount;
  Msg missing;     // the check failed
  Msg enterValid;  // request for another name, without line end
};

constexpr ModePrompt kModePrompts[5] = {
    {},
    {{Msg::PromptDataset1, Msg::PromptDataset2}, 2, Msg::DatasetMissing, Msg::EnterValidDatasetName},
    {{Msg::PromptList1, Msg::PromptList2, Msg::EmptyInputTerminates}, 3, Msg::DatasetMissing,
     Msg::EnterValidDatasetName},
    {{Msg::PromptDirectory1, Msg::PromptDirectory2, Msg::EmptyInputTerminates}, 3,
     Msg::DirectoryMissing, Msg::EnterValidDirectoryName},
    {{Msg::PromptDirectory1, Msg::PromptDirectory2, Msg::EmptyInputTerminates}, 3,
     Msg::DirectoryMissing, Msg::EnterValidDirectoryName},
};

// Mode 1 counts only plain datasets; modes 3 and 4 want a directory. A cut
// name names nothing.
bool SelectionNameValid(int mode, const PathText& text) {
  const char* name = platform::NameOf(text);
  switch (mode) {
    case 1:
      return platform::MatchExists(name);
    case 2:
      return platform::DatasetExists(name);
    default:
      return platform::DirectoryExists(name);
  }
}

void SetSelection(RunState& state, int mode, const PathText& name) {
  state.SelectionMode = static_cast<std::uint8_t>(mode);
  if (mode <= 2) {
    state.SelectionText = name;
    platform::Clear(state.SelectionDirectory);
  } else {
    state.SelectionDirectory = name;
    platform::Assign(state.SelectionText, "*.*");
  }
}

bool TakeSelectionParameter(RunState& state) {
  TakeParameter(state);
  if (state.askFlag) {
    return false;
  }
  int mode = 1;
  switch (state.ParameterText.chars[0]) {
    case kListOpening:
      mode = 2;
      TakeBracketed(state, kListClosing);
      break;
    case kDirectoryOpening:
      mode = 3;
      TakeBracketed(state, kDirectoryClosing);
      break;
    case kTreeOpening:
      mode = 4;
      TakeBracketed(state, kTreeClosing);
      break;
    default:
      if (state.textCharset == platform::TextCharset::Utf8 &&
          platform::View(state.ParameterText).starts_with(kUtf8TreeOpening)) {
        mode = 4;
        TakeBracketed(state, kUtf8TreeOpening.size(), kUtf8TreeClosing);
      }
      break;
  }
  if (!SelectionNameValid(mode, state.ParameterText)) {
    state.askFlag = true;
    return false;
  }
  SetSelection(state, mode, state.ParameterText);
  return true;
}

Flow TypeSelection(RunState& state) {
  static constexpr Msg kMenu[] = {Msg::SelectionQuestion,  Msg::SelectionOne1,  Msg::SelectionOne2,
                                  Msg::SelectionList1,     Msg::SelectionList2, Msg::SelectionDirectory1,
                                  Msg::SelectionTree1,     Msg::SelectionTree2, Msg::MenuTerminate};
  int mode = 0;
  if (ReadMenuAnswer(state, kMenu, 9, Answers({1, 2, 3, 4, 9}), mode) == Flow::Stop) {
    return Flow::Stop;
  }
  EmptyConsoleLine(state);
  if (mode == 9) {
    TerminateProgram(state);
    return Flow::Stop;
  }
  EmptyConsoleLine(state);
  const ModePrompt& prompt = kModePrompts[mode];
  for (int i = 0; i < prompt.lineCount; ++i) {
    SayConsole(state, prompt.lines[i]);
  }
  PathText name;
  for (;;) {
    if (!ReadAnswerLine(state, name) || name.length == 0) {
      return Terminate(state);
    }
    if (SelectionNameValid(mode, name)) {
      break;
    }
    SayConsole(state, prompt.missing);
    SayPrompt(state, prompt.enterValid);
  }
  SetSelection(state, mode, name);
  return Flow::Go;
}

void ConfirmSelection(RunState& state) {
  static constexpr Msg kBegin[5] = {Msg::ConfirmOneBegin, Msg::ConfirmOneBegin, Msg::ConfirmListBegin,
                                    Msg::ConfirmDirectoryBegin, Msg::ConfirmDirectoryBegin};
  static constexpr Msg kEnd[5] = {Msg::ConfirmOneEnd, Msg::ConfirmOneEnd, Msg::ConfirmListEnd,
                                  Msg::ConfirmDirectoryEnd, Msg::ConfirmTreeEnd};
  const int mode = state.SelectionMode;
  Line line;
  Add(line, state, kBegin[mode]);
  AddName(line, platform::View(mode <= 2 ? state.SelectionText : state.SelectionDirectory));
  Add(line, state, kEnd[mode]);
  WriteBothLine(state, line);
  if (mode == 4) {
    SayBoth(state, Msg::ConfirmTreeSecond);
  }
}

}  // namespace

Flow AskSelection(RunState& state) {
  state.QuestionNumber = 3;
  if (!TakeSelectionParameter(state)) {
    ReportInvalidParameter(state);
    if (TypeSelection(state) == Flow::Stop) {
      return Flow::Stop;
    }
  }
  ConfirmSelection(state);
  return Flow::Go;
}

Flow AskProcessingForm(RunState& state) {
  state.QuestionNumber = 4;
  TakeParameter(state);
  int form = 0;
  if (state.askFlag || !ParseParameterNumber(platform::View(state.ParameterText), form) || form < 1 ||
      form > 4) {
    state.askFlag = true;
    ReportInvalidParameter(state);
    static constexpr Msg kMenu[] = {Msg::FormQuestion,   Msg::FormEncodeSingle, Msg::FormDecodeSingle,
                                    Msg::FormEncodeUnit, Msg::FormDecodeUnit,   Msg::MenuTerminate};
    if (ReadMenuAnswer(state, kMenu, 6, Answers({1, 2, 3, 4, 9}), form) == Flow::Stop) {
      return Flow::Stop;
    }
    if (form == 9) {
      TerminateProgram(state);
      return Flow::Stop;
    }
  }
  state.ProcessingForm = static_cast<std::uint8_t>(form);
  static constexpr Msg kConfirmations[5] = {Msg::ConfirmEncodeSingle, Msg::ConfirmEncodeSingle,
                                            Msg::ConfirmDecodeSingle, Msg::ConfirmEncodeUnit,
                                            Msg::ConfirmDecodeUnit};
  SayBoth(state, kConfirmations[form]);
  state.cipher.encode = form == 1 || form == 3;
  state.cipher.oneUnit = form == 3 || form == 4;
  return Flow::Go;
}

}  // namespace dialog
