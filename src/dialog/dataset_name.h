#pragma once
// The name of a dataset that holds key material (the key dataset, the overlay
// dataset): the menu how to enter it, the name typed twice without echo (the
// second time for control) or once with echo, and the dataset opened by its
// full path. The key and the overlay ask alike and differ only in their texts
// and in the RunState fields that take the answers, so both use these
// procedures with a table of their own texts.
//
// Each procedure that may end the program returns a Flow: Stop means the
// closing sequence follows, with the termination line already written.

#include <cstdint>

#include "dialog/questions.h"
#include "dialog/run_state.h"
#include "platform/short_text.h"
#include "platform/text_dataset.h"

namespace dialog {

// Values of the name mode (KeyNameMode, OverlayNameMode); kOpen (255) until
// the mode is chosen.
inline constexpr std::uint8_t kNameTwiceHidden = 0;
inline constexpr std::uint8_t kNameOnceShown = 1;
inline constexpr std::uint8_t kNameFromParameter = 2;  // the parameter named the dataset

// The texts of one kind of dataset. Both kinds share the rest: the missing
// dataset line, the request for a valid name and the end of the run.
struct DatasetNameTexts {
  // The lines of the name-mode menu (answers 0, 1 and 9).
  const Msg* modeMenu;
  int modeMenuLines;
  // Name typed twice without echo: the two lines before the first input, the
  // two before the control input, the line when the inputs differ, and the
  // line asking again after that and after the missing dataset line.
  Msg twiceFirst1;
  Msg twiceFirst2;
  Msg twiceSecond1;
  Msg twiceSecond2;
  Msg namesDiffer;
  Msg repeatAfterDiffer;
  Msg repeatAfterMissing;
  // Name typed once with echo: the two lines before the input.
  Msg once1;
  Msg once2;
  // The texts before and after the name of a dataset that cannot be read.
  Msg unreadableBegin;
  Msg unreadableEnd;
};

// Obtains the dataset's name in `name` unless `nameMode` is
// kNameFromParameter: asks for the mode when it is kOpen (storing the
// answer), then reads the name in that mode until it names an existing
// dataset. `control` takes the second input of the hidden mode. An empty
// name terminates the program.
[[nodiscard]] Flow EnterDatasetName(RunState& state, const DatasetNameTexts& texts,
                                            std::uint8_t& nameMode, platform::PathText& name,
                                            platform::PathText& control);

// Makes `name` the full path of the dataset it names and opens the dataset
// by that path: the path the processing run will never touch is then surely
// the one the key material came from. When there is no full path or the
// dataset cannot be opened, ReportDatasetUnreadable (with the name as entered
// when there is no full path) and Stop; the dataset is then not open.
[[nodiscard]] Flow OpenDatasetByFullPath(RunState& state,
                                                 const DatasetNameTexts& texts,
                                                 platform::PathText& name, platform::TextDataset& dataset);

// The dataset `name` vanished or cannot be read since it was checked: key
// material that silently came out shorter would encode with a key nobody can
// give again. Writes the unreadable line and the no-datasets line (console
// and log) and the termination line; returns Stop.
[[nodiscard]] Flow ReportDatasetUnreadable(RunState& state,
                                                   const DatasetNameTexts& texts,
                                                   const platform::PathText& name);

}  // namespace dialog
