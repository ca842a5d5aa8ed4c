// The key dataset: its name (from parameter 6, typed twice without echo or
// once with echo) and the key read from it in ASCII or hexadecimal.
#include "dialog/output.h"
#include "key/console_input.h"
#include "key/key_steps.h"
#include "key/text_dataset.h"
#include "platform/console.h"
#include "platform/file_system.h"

namespace key {

namespace {

using dialog::Flow;
using dialog::Msg;
using dialog::RunState;

constexpr std::uint8_t kNameTwiceHidden = 0;
constexpr std::uint8_t kNameOnceShown = 1;
constexpr int kCarriageReturn = '\r';
constexpr int kLineFeed = '\n';
constexpr int kEndOfText = 0x1A;  // Ctrl-Z ends a hexadecimal key dataset

Flow AskNameMode(RunState& state) {
  static constexpr Msg kMenu[] = {Msg::NameModeQuestion, Msg::ModeTwiceHidden,
                                  Msg::ModeSecondForControl, Msg::NameModeOnceShown,
                                  Msg::MenuTerminate};
  dialog::EmptyConsoleLine(state);
  int mode = 0;
  if (dialog::ReadMenuAnswer(state, kMenu, 5, dialog::Answers({0, 1, 9}), mode) == Flow::Stop) {
    return Flow::Stop;
  }
  if (mode == 9) {
    dialog::TerminateProgram(state);
    return Flow::Stop;
  }
  state.KeyNameMode = static_cast<std::uint8_t>(mode);
  dialog::EmptyConsoleLine(state);
  return Flow::Go;
}

// One line typed without echo; false at the end of the input.
bool ReadHiddenLine(RunState& state, platform::ShortText& text) {
  HideInput(state);
  const bool read = dialog::ReadAnswerLine(state, text);
  RestoreInput(state);
  return read;
}

Flow TypeNameTwice(RunState& state) {
  for (;;) {
    dialog::EmptyConsoleLine(state);
    dialog::SayConsole(state, Msg::KeyNameFirst1);
    dialog::SayConsole(state, Msg::KeyNameFirst2);
    if (!ReadHiddenLine(state, state.KeyDatasetName)) {
      return dialog::Terminate(state);
    }
    if (state.KeyDatasetName.length == 0) {
      dialog::TerminateProgram(state);
      return Flow::Stop;
    }
    dialog::SayConsole(state, Msg::KeyNameSecond1);
    dialog::SayConsole(state, Msg::KeyNameSecond2);
    if (!ReadHiddenLine(state, state.KeyNameControl)) {
      return dialog::Terminate(state);
    }
    if (!(state.KeyDatasetName == state.KeyNameControl)) {
      dialog::SayConsole(state, Msg::KeyNamesDiffer);
    } else if (!platform::DatasetExists(state.KeyDatasetName.chars)) {
      dialog::SayConsole(state, Msg::DatasetMissing);
    } else {
      dialog::EmptyConsoleLine(state);
      return Flow::Go;
    }
    dialog::SayConsole(state, Msg::RepeatKeyName);
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
  dialog::SayConsole(state, Msg::KeyNameOnce1);
  dialog::SayConsole(state, Msg::KeyNameOnce2);
  if (!ReadShownLine(state, state.KeyDatasetName)) {
    return dialog::Terminate(state);
  }
  while (state.KeyDatasetName.length != 0 && !platform::DatasetExists(state.KeyDatasetName.chars)) {
    dialog::SayConsole(state, Msg::DatasetMissing);
    dialog::SayPrompt(state, Msg::EnterValidDatasetName);
    if (!ReadShownLine(state, state.KeyDatasetName)) {
      return dialog::Terminate(state);
    }
  }
  if (state.KeyDatasetName.length == 0) {
    dialog::TerminateProgram(state);
    return Flow::Stop;
  }
  return Flow::Go;
}

// The key dataset vanished or cannot be read since it was checked: a key
// that silently came out shorter would encode with the wrong key.
Flow ReportUnreadable(RunState& state, const platform::ShortText& name) {
  dialog::Line line;
  dialog::Add(line, state, Msg::KeyDatasetUnreadableBegin);
  dialog::Add(line, platform::View(name));
  dialog::Add(line, state, Msg::KeyDatasetUnreadableEnd);
  dialog::WriteBothLine(state, line);
  dialog::SayBoth(state, Msg::NoDatasetsProcessed);
  dialog::TerminateProgram(state);
  return Flow::Stop;
}

bool IsLineEnd(int byte) { return byte == kCarriageReturn || byte == kLineFeed; }

// Every line end counts as two bytes (CR LF) against the dataset's length, so
// a dataset whose lines end in a lone LF or CR is read that many bytes short.
void ReadAsciiKey(RunState& state, TextDataset& dataset) {
  std::uint64_t consumed = 0;
  state.KeyLength = 0;
  while (consumed < dataset.length && state.KeyLength < kKeySize) {
    for (int next = PeekDatasetByte(dataset); (next < 0 || IsLineEnd(next)) && consumed < dataset.length;
         next = PeekDatasetByte(dataset)) {
      // To the start of the next line: CR LF, a lone CR or a lone LF.
      if (ReadDatasetByte(dataset) == kCarriageReturn && PeekDatasetByte(dataset) == kLineFeed) {
        (void)ReadDatasetByte(dataset);
      }
      consumed += 2;
    }
    if (consumed < dataset.length) {
      ++consumed;
      state.InitialKey[++state.KeyLength] = static_cast<std::uint8_t>(ReadDatasetByte(dataset));
    }
  }
}

bool HexAtEnd(TextDataset& dataset) {
  const int next = PeekDatasetByte(dataset);
  return next < 0 || next == kEndOfText;
}

// Skips line ends and empty lines; true when the dataset has ended.
bool SkipDatasetLineEnds(TextDataset& dataset) {
  while (IsLineEnd(PeekDatasetByte(dataset))) {
    (void)ReadDatasetByte(dataset);
  }
  return HexAtEnd(dataset);
}

Flow ReportWrongHexInDataset(RunState& state, int character, int position) {
  dialog::Line first;
  dialog::Add(first, state, Msg::WrongHexBegin);
  const char shown = static_cast<char>(character);
  dialog::Add(first, std::string_view(&shown, 1));
  dialog::Add(first, state, Msg::WrongHexInDataset);
  dialog::Line second;
  dialog::Add(second, platform::View(state.KeyDatasetName));
  dialog::Add(second, state, Msg::WrongHexInDatasetAt);
  dialog::AddNumber(second, position, 4);
  dialog::Add(second, state, Msg::FullStop);
  dialog::WriteBothLine(state, first);
  dialog::WriteBothLine(state, second);
  dialog::SayBoth(state, Msg::NoDatasetsProcessed);
  dialog::TerminateProgram(state);
  return Flow::Stop;
}

Flow ReadHexKey(RunState& state, TextDataset& dataset) {
  state.KeyLength = 0;
  while (state.KeyLength < kKeySize && !SkipDatasetLineEnds(dataset)) {
    const int first = ReadDatasetByte(dataset);
    ++state.KeyLength;
    const int high = HexDigitValue(first);
    if (high < 0) {
      return ReportWrongHexInDataset(state, first, 2 * state.KeyLength - 1);
    }
    int low = 0;
    if (SkipDatasetLineEnds(dataset)) {
      WriteUnbalancedLine(state);
    } else {
      const int second = ReadDatasetByte(dataset);
      low = HexDigitValue(second);
      if (low < 0) {
        return ReportWrongHexInDataset(state, second, 2 * state.KeyLength);
      }
    }
    state.InitialKey[state.KeyLength] = static_cast<std::uint8_t>(16 * high + low);
  }
  return Flow::Go;
}

Flow ReadKeyFromDataset(RunState& state) {
  const platform::ShortText entered = state.KeyDatasetName;
  platform::FullPath(entered.chars, state.KeyDatasetName);
  TextDataset dataset;
  // Opened by its full path: the path the processing run will never touch is
  // then surely the one the key came from.
  if (state.KeyDatasetName.length == 0 || !OpenTextDataset(dataset, state.KeyDatasetName.chars)) {
    return ReportUnreadable(state, state.KeyDatasetName.length == 0 ? entered : state.KeyDatasetName);
  }
  Flow flow = Flow::Go;
  if (state.KeyCharset == kAscii) {
    ReadAsciiKey(state, dataset);
  } else {
    flow = ReadHexKey(state, dataset);
  }
  const bool failed = dataset.failed;
  CloseTextDataset(dataset);
  if (flow == Flow::Go && failed) {
    return ReportUnreadable(state, state.KeyDatasetName);
  }
  state.EntryState = kOpen;
  return flow;
}

}  // namespace

Flow ReadKeyDataset(RunState& state) {
  if (state.KeyNameMode == kOpen && AskNameMode(state) == Flow::Stop) {
    return Flow::Stop;
  }
  if (state.KeyNameMode == kNameTwiceHidden && TypeNameTwice(state) == Flow::Stop) {
    return Flow::Stop;
  }
  if (state.KeyNameMode == kNameOnceShown && TypeNameOnce(state) == Flow::Stop) {
    return Flow::Stop;
  }
  return ReadKeyFromDataset(state);
}

}  // namespace key
