#include "dialog/dataset_name.h"

#include "dialog/console_input.h"
#include "dialog/output.h"
#include "platform/console.h"
#include "platform/file_system.h"

namespace dialog {

namespace {


// One line typed without echo; false at the end of the input.
bool ReadHiddenLine(RunState& state, platform::PathText& text) {
  HideInput(state);
  const bool read = ReadAnswerLine(state, text);
  RestoreInput(state);
  return read;
}

Flow TypeNameTwice(RunState& state, const DatasetNameTexts& texts, platform::PathText& name,
                   platform::PathText& control) {
  for (;;) {
    EmptyConsoleLine(state);
    SayConsole(state, texts.twiceFirst1);
    SayConsole(state, texts.twiceFirst2);
    if (!ReadHiddenLine(state, name)) {
      return Terminate(state);
    }
    if (name.length == 0) {
      TerminateProgram(state);
      return Flow::Stop;
    }
    SayConsole(state, texts.twiceSecond1);
    SayConsole(state, texts.twiceSecond2);
    if (!ReadHiddenLine(state, control)) {
      return Terminate(state);
    }
    if (!(name == control)) {
      SayConsole(state, texts.namesDiffer);
      SayConsole(state, texts.repeatAfterDiffer);
    } else if (!platform::DatasetExists(platform::NameOf(name))) {
      SayConsole(state, Msg::DatasetMissing);
      SayConsole(state, texts.repeatAfterMissing);
    } else {
      EmptyConsoleLine(state);
      return Flow::Go;
    }
  }
}

// A line typed in clear, then wiped off the screen.
bool ReadShownLine(RunState& state, platform::PathText& text) {
  const bool read = ReadAnswerLine(state, text);
  platform::ClearScreen(state.console);
  return read;
}

Flow TypeNameOnce(RunState& state, const DatasetNameTexts& texts, platform::PathText& name) {
  EmptyConsoleLine(state);
  SayConsole(state, texts.once1);
  SayConsole(state, texts.once2);
  if (!ReadShownLine(state, name)) {
    return Terminate(state);
  }
  while (name.length != 0 && !platform::DatasetExists(platform::NameOf(name))) {
    SayConsole(state, Msg::DatasetMissing);
    SayPrompt(state, Msg::EnterValidDatasetName);
    if (!ReadShownLine(state, name)) {
      return Terminate(state);
    }
  }
  if (name.length == 0) {
    TerminateProgram(state);
    return Flow::Stop;
  }
  return Flow::Go;
}

}  // namespace

Flow EnterDatasetName(RunState& state, const DatasetNameTexts& texts, std::uint8_t& nameMode,
                      platform::PathText& name, platform::PathText& control) {
  if (nameMode == kOpen &&
      AskModeMenu(state, texts.modeMenu, texts.modeMenuLines, Answers({0, 1, 9}),
                  nameMode) == Flow::Stop) {
    return Flow::Stop;
  }
  if (nameMode == kNameTwiceHidden && TypeNameTwice(state, texts, name, control) == Flow::Stop) {
    return Flow::Stop;
  }
  if (nameMode == kNameOnceShown && TypeNameOnce(state, texts, name) == Flow::Stop) {
    return Flow::Stop;
  }
  return Flow::Go;
}

Flow OpenDatasetByFullPath(RunState& state, const DatasetNameTexts& texts,
                           platform::PathText& name, platform::TextDataset& dataset) {
  const platform::PathText entered = name;
  (void)platform::FullPath(platform::NameOf(entered), name);  // empty when it would not fit
  if (name.length == 0 || !platform::OpenTextDataset(dataset, name.chars)) {
    return ReportDatasetUnreadable(state, texts, name.length == 0 ? entered : name);
  }
  return Flow::Go;
}

Flow ReportDatasetUnreadable(RunState& state, const DatasetNameTexts& texts,
                             const platform::PathText& name) {
  Line line;
  AddFramed(line, state, texts.unreadableBegin, platform::View(name), texts.unreadableEnd);
  WriteBothLine(state, line);
  SayBoth(state, Msg::NoDatasetsProcessed);
  TerminateProgram(state);
  return Flow::Stop;
}

}  // namespace dialog
