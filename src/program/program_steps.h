#pragma once
// What the driver does itself before the phases: help and version, and the
// language. Each returns Stop when the program is to end.

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace dialog {

// Before everything else: --help, -h or -? as the only parameter writes the
// English parameter description, --version the banner, to the console, and
// returns true (the program then ends, without intro and without a log);
// false for any other parameters.
[[nodiscard]] bool AnswerHelpOrVersion(RunState& state);

// Question 1: the language, from parameter 1 or the language question.
[[nodiscard]] Flow AskLanguage(RunState& state);

}  // namespace dialog
