#pragma once
// The program's one entry: runs the whole dialog and the processing run.

#include <cstdint>

namespace dialog {

// Runs the program with the `argumentCount` + 1 texts of `arguments`
// (arguments[0] is the program as started), the console on the descriptors
// `input` and `output`, and an intro pause of `introPauseMs` milliseconds.
// Returns the exit status (0 on every ordinary way out).
int RunProgram(int argumentCount, const char* const* arguments, std::intptr_t input,
               std::intptr_t output, int introPauseMs);

}  // namespace dialog
