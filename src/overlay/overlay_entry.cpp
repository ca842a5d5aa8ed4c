// Question 12: the overlay information from parameter 12 or in the way the
// user chooses, and the keyboard passes with their control input.
#include <cstring>

#include "dialog/console_input.h"
#include "dialog/dataset_name.h"
#include "dialog/output.h"
#include "overlay/overlay_steps.h"
#include "overlay/overlay_text.h"
#include "platform/console.h"
#include "platform/file_system.h"

namespace overlay {

namespace {

using dialog::FailedInput;
using dialog::Flow;
using dialog::Msg;
using dialog::RunState;

constexpr int kInformationQuestion = 12;
constexpr char kDatasetOpening = '(';
constexpr char kDatasetClosing = ')';

// Every new attempt starts from the key as key input left it.
void RestoreKey(RunState& state) {
  std::memcpy(state.InitialKey, state.KeyBackup, sizeof state.InitialKey);
}

bool Hidden(const RunState& state) {
  return state.EntryState == dialog::kHiddenFirst || state.EntryState == dialog::kHiddenControl;
}

// Parameter 12: the information itself, or "(name)" naming an overlay
// dataset. Leaves EntryState 255 when the entry mode is to be asked.
void TakeInformationParameter(RunState& state) {
  state.QuestionNumber = kInformationQuestion;
  dialog::TakeParameter(state);
  if (state.askFlag) {
    return;
  }
  if (state.ParameterText.chars[0] == kDatasetOpening) {
    dialog::TakeBracketed(state, kDatasetClosing);
    if (platform::DatasetExists(platform::NameOf(state.ParameterText))) {
      state.OverlayDatasetName = state.ParameterText;
      state.EntryState = dialog::kFromDataset;
      state.OverlayNameMode = dialog::kNameFromParameter;
    } else {
      state.askFlag = true;
      dialog::ReportInvalidParameter(state);
    }
    return;
  }
  InfoReader reader;
  reader.source = InfoSource::Parameter;
  // Overlay information is a short text: only its first 255 characters count.
  reader.text = platform::View(state.ParameterText).substr(0, platform::kShortTextCapacity);
  const ParseResult result = ParseOverlayInfo(state, reader);
  if (result.end == ParseEnd::Complete) {
    state.EntryState = dialog::kFromParameter;
  } else {
    WriteInfoMessage(state, InfoSource::Parameter, result);
  }
}

Flow AskEntryMode(RunState& state) {
  static constexpr Msg kMenu[] = {Msg::OverlayModeQuestion, Msg::OverlayModeTwiceHidden,
                                  Msg::OverlayModeForControl, Msg::OverlayModeOnceShown,
                                  Msg::OverlayModeDataset, Msg::MenuTerminate};
  RestoreKey(state);
  return dialog::AskModeMenu(state, kMenu, 6, dialog::Answers({0, 1, 2, 9}), state.EntryState);
}

void WriteRequest(RunState& state) {
  // Forms 1 to 7.
  static constexpr Msg kRequests[] = {
      Msg::OverlayRequestDecCharacter, Msg::OverlayRequestDecHex, Msg::OverlayRequestDecDec,
      Msg::OverlayRequestHexCharacter, Msg::OverlayRequestHexHex, Msg::OverlayRequestHexDec,
      Msg::OverlayRequestBytestring};
  dialog::SayConsole(state, kRequests[state.overlay.form - 1]);
  const Msg end = state.EntryState == dialog::kHiddenFirst     ? Msg::OverlayEndFirst
                  : state.EntryState == dialog::kHiddenControl ? Msg::OverlayEndControl
                                                            : Msg::OverlayEndShown;
  dialog::SayConsole(state, end);
}

// Makes the screen safe for a message: input typed without echo is drawn in
// readable colours again, input typed in clear is wiped off the screen.
void UncoverScreen(RunState& state) {
  if (Hidden(state)) {
    dialog::RestoreInput(state);
  } else {
    platform::ClearScreen(state.console);
  }
}

Flow ReportError(RunState& state, const ParseResult& result) {
  UncoverScreen(state);
  WriteInfoMessage(state, InfoSource::Keyboard, result);
  if (dialog::AskRepeatOrTerminate(state, Hidden(state) ? FailedInput::Secret : FailedInput::Shown) ==
      Flow::Stop) {
    return Flow::Stop;
  }
  dialog::SayBoth(state, Msg::ReenterOverlay);
  if (state.EntryState == dialog::kHiddenControl) {
    state.EntryState = dialog::kHiddenFirst;
  }
  return Flow::Go;
}

Flow ReportMismatch(RunState& state) {
  dialog::RestoreInput(state);
  SayLines(state, Msg::OverlayInputsDiffer);
  if (dialog::AskRepeatOrTerminate(state, FailedInput::Secret) == Flow::Stop) {
    return Flow::Stop;
  }
  dialog::SayConsole(state, Msg::ReenterOverlay);
  state.EntryState = dialog::kHiddenFirst;
  return Flow::Go;
}

// The pass has read the whole information. A bytestring that lost its last
// byte says so where it can be read: after the clear screen of an input in
// clear, not before it.
void FinishPass(RunState& state, const ParseResult& result) {
  if (state.EntryState == dialog::kShown) {
    platform::ClearScreen(state.console);
  }
  if (result.error == InfoError::MissingValue) {
    if (Hidden(state)) {
      dialog::RestoreInput(state);
    }
    WriteInfoMessage(state, InfoSource::Keyboard, result);
  }
  switch (state.EntryState) {
    case dialog::kHiddenFirst:
      state.EntryState = dialog::kHiddenControl;
      break;
    case dialog::kHiddenControl:
      dialog::RestoreInput(state);
      state.EntryState = dialog::kOpen;
      break;
    default:
      state.EntryState = dialog::kOpen;
      break;
  }
}

Flow RunEntryLoop(RunState& state) {
  while (state.EntryState != dialog::kOpen) {
    Flow flow = Flow::Go;
    switch (state.EntryState) {
      case dialog::kFromDataset:
        flow = ReadOverlayDataset(state);
        break;
      case dialog::kFromParameter:
        state.EntryState = dialog::kOpen;
        break;
      default:
        flow = RunOverlayKeyboardPass(state);
        break;
    }
    if (flow == Flow::Stop) {
      return Flow::Stop;
    }
  }
  return Flow::Go;
}

}  // namespace

Flow RunOverlayKeyboardPass(RunState& state) {
  if (state.EntryState != dialog::kHiddenControl) {
    RestoreKey(state);
  }
  dialog::RestoreInput(state);
  dialog::EmptyConsoleLine(state);
  WriteRequest(state);
  dialog::ReopenInput(state);
  if (Hidden(state)) {
    dialog::HideInput(state);
  }
  state.LineEndCount = 0;
  dialog::SkipLineEnds(state);
  InfoReader reader;
  reader.source = InfoSource::Keyboard;
  const ParseResult result = ParseOverlayInfo(state, reader);
  if (result.end == ParseEnd::Error) {
    return ReportError(state, result);
  }
  if (result.end == ParseEnd::Mismatch) {
    return ReportMismatch(state);
  }
  FinishPass(state, result);
  return Flow::Go;
}

Flow RunOverlayEntry(RunState& state) {
  std::memcpy(state.KeyBackup, state.InitialKey, sizeof state.KeyBackup);
  state.EntryState = dialog::kOpen;
  state.OverlayNameMode = dialog::kOpen;
  TakeInformationParameter(state);
  if (state.EntryState == dialog::kOpen && AskEntryMode(state) == Flow::Stop) {
    return Flow::Stop;
  }
  if (RunEntryLoop(state) == Flow::Stop) {
    return Flow::Stop;
  }
  dialog::SayConsole(state, Msg::OverlayInputEnd);
  dialog::EmptyConsoleLine(state);
  return Flow::Go;
}

}  // namespace overlay
