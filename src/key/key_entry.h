#pragma once
// Key input: questions 5 and 6, the key character set and the key itself.

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace key {

// Question 5 (the key character set, from parameter 5 or the menu) and
// question 6 (the key: from parameter 6, typed twice without echo, typed once
// with echo, or read from a key dataset). On Go, KeyCharset is set, all 256
// positions of InitialKey are filled, KeyLength is 1..256, KeyDatasetName is
// the key dataset's full path (or empty) and "End of input of the initial
// key." stands on the console. Stop when the program is to end.
[[nodiscard]] dialog::Flow RunKeyEntry(dialog::RunState& state);

}  // namespace key
