#pragma once
// The selection phase: questions 2 to 4, in the order the driver runs them.
// Each asks its question(s) through the shared operations and returns Stop
// when the program is to end (the termination line, where one belongs, is
// written).

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace dialog {

// Question 2: the control-information log and, when its name was typed, the
// parameter description; opens the log and writes its head.
[[nodiscard]] Flow AskControlLog(RunState& state);

// Question 3: the datasets to process, with the confirmation.
[[nodiscard]] Flow AskSelection(RunState& state);

// Question 4: the form of processing, with the confirmation; sets the
// cipher's `encode` and `oneUnit`.
[[nodiscard]] Flow AskProcessingForm(RunState& state);

}  // namespace dialog
