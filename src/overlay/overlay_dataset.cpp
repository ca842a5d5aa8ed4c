// The overlay dataset: its name (from parameter 12, typed twice without echo
// or once with echo) and the overlay information read from it.
#include "dialog/output.h"
#include "key/console_input.h"
#include "overlay/overlay_steps.h"
#include "platform/console.h"
#include "platform/file_system.h"

namespace overlay {

namespace {

using dialog::Flow;
using dialog::Msg;
using dialog::RunState;

constexpr std::uint8_t kNameTwiceHidden = 0;
constexpr std::uint8_t kNameOnceShown = 1;

Flow AskNameMode(RunState& state) {
  static constexpr Msg kMenu[] = {Msg::OverlayNameModeQuestion1, Msg::OverlayNameModeQuestion2,
                                  Msg::OverlayModeTwiceHidden, Msg::OverlayModeForControl,
                                  Msg::OverlayNameModeOnceShown, Msg::MenuTerminate};
  dialog::EmptyConsoleLine(state);
  int mode = 0;
  if (dialog::ReadMenuAnswer(state, kMenu, 6, dialog::Answers({0, 1, 9}), mode) == Flow::Stop) {
    return Flow::Stop;
  }
  if (mode == 9) {
    dialog::TerminateProgram(state);
    return Flow::Stop;
  }
  state.OverlayNameMode = static_cast<std::uint8_t>(mode);
  dialog::EmptyConsoleLine(state);
  return Flow::Go;
}

// One line typed without echo; false at the end of the input.
bool ReadHiddenLine(RunState& state, platform::ShortText& text) {
  key::HideInput(state);
  const bool read = dialog::ReadAnswerLine(state, text);
  key::RestoreInput(state);
  return read;
}

Flow TypeNameTwice(RunState& state) {
  for (;;) {
    dialog::EmptyConsoleLine(state);
    dialog::SayConsole(state, Msg::OverlayNameFirst1);
    dialog::SayConsole(state, Msg::OverlayNameFirst2);
    if (!ReadHiddenLine(state, state.OverlayDatasetName)) {
      return dialog::Terminate(state);
    }
    if (state.OverlayDatasetName.length == 0) {
      dialog::TerminateProgram(state);
      return Flow::Stop;
    }
    dialog::SayConsole(state, Msg::OverlayNameSecond1);
    dialog::SayConsole(state, Msg::OverlayNameSecond2);
    if (!ReadHiddenLine(state, state.OverlayNameControl)) {
      return dialog::Terminate(state);
    }
    if (!(state.OverlayDatasetName == state.OverlayNameControl)) {
      dialog::SayConsole(state, Msg::OverlayNamesDiffer);
      dialog::SayConsole(state, Msg::OverlayRepeatNameAfterDiffer);
    } else if (!platform::DatasetExists(state.OverlayDatasetName.chars)) {
      dialog::SayConsole(state, Msg::DatasetMissing);
      dialog::SayConsole(state, Msg::OverlayRepeatName);
    } else {
      dialog::EmptyConsoleLine(state);
      return Flow::Go;
    }
  }
}

// A line typed in clear, then wiped off the screen.
bool ReadShownLine(RunState& state, platform::ShortText& text) {
  const bool read = dialog::ReadAnswerLine(state, text);
  platform::ClearScreen(state.console);
  return read;
}

Flow TypeNameOnce(RunState& state) {
  dialog::EmptyConsoleLine(state);
  dialog::SayConsole(state, Msg::OverlayNameOnce);
  dialog::SayConsole(state, Msg::EmptyInputTerminates);
  if (!ReadShownLine(state, state.OverlayDatasetName)) {
    return dialog::Terminate(state);
  }
  while (state.OverlayDatasetName.length != 0 &&
         !platform::DatasetExists(state.OverlayDatasetName.chars)) {
    dialog::SayConsole(state, Msg::DatasetMissing);
    dialog::SayPrompt(state, Msg::EnterValidDatasetName);
    if (!ReadShownLine(state, state.OverlayDatasetName)) {
      return dialog::Terminate(state);
    }
  }
  if (state.OverlayDatasetName.length == 0) {
    dialog::TerminateProgram(state);
    return Flow::Stop;
  }
  return Flow::Go;
}

// The overlay dataset vanished or cannot be read since it was checked: an
// overlay silently left out would encode with a key nobody can give again.
Flow ReportUnreadable(RunState& state, const platform::ShortText& name) {
  dialog::Line line;
  dialog::Add(line, state, Msg::OverlayDatasetUnreadableBegin);
  dialog::Add(line, platform::View(name));
  dialog::Add(line, state, Msg::OverlayDatasetUnreadableEnd);
  dialog::WriteBothLine(state, line);
  dialog::SayBoth(state, Msg::NoDatasetsProcessed);
  dialog::TerminateProgram(state);
  return Flow::Stop;
}

Flow ReadFromDataset(RunState& state) {
  const platform::ShortText entered = state.OverlayDatasetName;
  platform::FullPath(entered.chars, state.OverlayDatasetName);
  key::TextDataset dataset;
  // Opened by its full path: the path the processing run will never touch is
  // then surely the one the overlay came from.
  if (state.OverlayDatasetName.length == 0 ||
      !key::OpenTextDataset(dataset, state.OverlayDatasetName.chars)) {
    return ReportUnreadable(state,
                            state.OverlayDatasetName.length == 0 ? entered : state.OverlayDatasetName);
  }
  InfoReader reader;
  reader.source = InfoSource::Dataset;
  reader.dataset = &dataset;
  const ParseResult result = ParseOverlayInfo(state, reader);
  // A failed read ends the information early; the failure, not what the
  // parser made of the shortened text, is what the user must hear.
  const bool failed = dataset.failed;
  if (result.end == ParseEnd::Error && !failed) {
    WriteInfoMessage(state, InfoSource::Dataset, result);
    dialog::SayBoth(state, Msg::NoDatasetsProcessed);
    key::CloseTextDataset(dataset);
    dialog::TerminateProgram(state);
    return Flow::Stop;
  }
  key::CloseTextDataset(dataset);
  if (failed) {
    return ReportUnreadable(state, state.OverlayDatasetName);
  }
  state.EntryState = key::kOpen;
  return Flow::Go;
}

}  // namespace

Flow ReadOverlayDataset(RunState& state) {
  if (state.OverlayNameMode == key::kOpen && AskNameMode(state) == Flow::Stop) {
    return Flow::Stop;
  }
  if (state.OverlayNameMode == kNameTwiceHidden && TypeNameTwice(state) == Flow::Stop) {
    return Flow::Stop;
  }
  if (state.OverlayNameMode == kNameOnceShown && TypeNameOnce(state) == Flow::Stop) {
    return Flow::Stop;
  }
  return ReadFromDataset(state);
}

}  // namespace overlay
