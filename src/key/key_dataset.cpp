// The key dataset: its name (from parameter 6, typed twice without echo or
// once with echo) and the key read from it in ASCII or hexadecimal.
#include "dialog/dataset_name.h"
#include "dialog/output.h"
#include "key/key_steps.h"
#include "platform/text_dataset.h"

namespace key {

using platform::CloseTextDataset;
using platform::OpenTextDataset;
using platform::PeekDatasetByte;
using platform::ReadDatasetByte;
using platform::TextDataset;

namespace {

using dialog::Flow;
using dialog::Msg;
using dialog::RunState;


constexpr Msg kNameModeMenu[] = {Msg::NameModeQuestion, Msg::ModeTwiceHidden,
                                 Msg::ModeSecondForControl, Msg::NameModeOnceShown,
                                 Msg::MenuTerminate};

constexpr dialog::DatasetNameTexts kKeyDatasetTexts = {
    .modeMenu = kNameModeMenu,
    .modeMenuLines = 5,
    .twiceFirst1 = Msg::KeyNameFirst1,
    .twiceFirst2 = Msg::KeyNameFirst2,
    .twiceSecond1 = Msg::KeyNameSecond1,
    .twiceSecond2 = Msg::KeyNameSecond2,
    .namesDiffer = Msg::KeyNamesDiffer,
    .repeatAfterDiffer = Msg::RepeatKeyName,
    .repeatAfterMissing = Msg::RepeatKeyName,
    .once1 = Msg::KeyNameOnce1,
    .once2 = Msg::KeyNameOnce2,
    .unreadableBegin = Msg::KeyDatasetUnreadableBegin,
    .unreadableEnd = Msg::KeyDatasetUnreadableEnd,
};

// The key is every byte of the dataset but its line ends, at most 256, in the
// counted reading (a line end counts two bytes against the length).
void ReadAsciiKey(RunState& state, TextDataset& dataset) {
  std::uint64_t consumed = 0;
  int byte = 0;
  state.KeyLength = 0;
  while (state.KeyLength < kKeySize && platform::ReadCountedByte(dataset, consumed, byte)) {
    state.InitialKey[++state.KeyLength] = static_cast<std::uint8_t>(byte);
  }
}

Flow ReportWrongHexInDataset(RunState& state, int character, int position) {
  dialog::Line first;
  dialog::Add(first, state, Msg::WrongHexBegin);
  const char shown = static_cast<char>(character);
  dialog::AddName(first, std::string_view(&shown, 1));
  dialog::Add(first, state, Msg::WrongHexInDataset);
  dialog::Line second;
  dialog::AddName(second, platform::View(state.KeyDatasetName));
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
  while (state.KeyLength < kKeySize && !platform::SkipLineEndsToEnd(dataset)) {
    const int first = ReadDatasetByte(dataset);
    ++state.KeyLength;
    const int high = HexDigitValue(first);
    if (high < 0) {
      return ReportWrongHexInDataset(state, first, 2 * state.KeyLength - 1);
    }
    int low = 0;
    if (platform::SkipLineEndsToEnd(dataset)) {
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
  TextDataset dataset;
  if (OpenDatasetByFullPath(state, kKeyDatasetTexts, state.KeyDatasetName, dataset) == Flow::Stop) {
    return Flow::Stop;
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
    return ReportDatasetUnreadable(state, kKeyDatasetTexts, state.KeyDatasetName);
  }
  state.EntryState = kOpen;
  return flow;
}

}  // namespace

Flow ReadKeyDataset(RunState& state) {
  if (EnterDatasetName(state, kKeyDatasetTexts, state.KeyNameMode, state.KeyDatasetName,
                       state.KeyNameControl) == Flow::Stop) {
    return Flow::Stop;
  }
  return ReadKeyFromDataset(state);
}

}  // namespace key
