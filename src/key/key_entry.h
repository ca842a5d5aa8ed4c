#pragma once
// Key input: questions 5 and 6, the key character set and the key itself.

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace key {

// Questions 5 and 6: fills all 256 positions of InitialKey.
[[nodiscard]] dialog::Flow RunKeyEntry(dialog::RunState& state);

}  // namespace key
