// The overlay dataset: its name (from parameter 12, typed twice without echo
// or once with echo) and the overlay information read from it.
#include "dialog/dataset_name.h"
#include "dialog/output.h"
#include "overlay/overlay_steps.h"

namespace overlay {

namespace {

using dialog::Flow;
using dialog::Msg;
using dialog::RunState;

constexpr Msg kNameModeMenu[] = {Msg::OverlayNameModeQuestion1, Msg::OverlayNameModeQuestion2,
                                 Msg::OverlayModeTwiceHidden, Msg::OverlayModeForControl,
                                 Msg::OverlayNameModeOnceShown, Msg::MenuTerminate};

constexpr dialog::DatasetNameTexts kOverlayDatasetTexts = {
    .modeMenu = kNameModeMenu,
    .modeMenuLines = 6,
    .twiceFirst1 = Msg::OverlayNameFirst1,
    .twiceFirst2 = Msg::OverlayNameFirst2,
    .twiceSecond1 = Msg::OverlayNameSecond1,
    .twiceSecond2 = Msg::OverlayNameSecond2,
    .namesDiffer = Msg::OverlayNamesDiffer,
    .repeatAfterDiffer = Msg::OverlayRepeatNameAfterDiffer,
    .repeatAfterMissing = Msg::OverlayRepeatName,
    .once1 = Msg::OverlayNameOnce,
    .once2 = Msg::EmptyInputTerminates,
    .unreadableBegin = Msg::OverlayDatasetUnreadableBegin,
    .unreadableEnd = Msg::OverlayDatasetUnreadableEnd,
};

Flow ReadFromDataset(RunState& state) {
  platform::TextDataset dataset;
  if (dialog::OpenDatasetByFullPath(state, kOverlayDatasetTexts, state.OverlayDatasetName, dataset) ==
      Flow::Stop) {
    return Flow::Stop;
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
    platform::CloseTextDataset(dataset);
    dialog::TerminateProgram(state);
    return Flow::Stop;
  }
  platform::CloseTextDataset(dataset);
  if (failed) {
    return dialog::ReportDatasetUnreadable(state, kOverlayDatasetTexts, state.OverlayDatasetName);
  }
  state.EntryState = dialog::kOpen;
  return Flow::Go;
}

}  // namespace

Flow ReadOverlayDataset(RunState& state) {
  if (dialog::EnterDatasetName(state, kOverlayDatasetTexts, state.OverlayNameMode,
                            state.OverlayDatasetName, state.OverlayNameControl) == Flow::Stop) {
    return Flow::Stop;
  }
  return ReadFromDataset(state);
}

}  // namespace overlay
