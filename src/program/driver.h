#pragma once
// The program's one entry: runs the whole dialog and the processing run.

#include <cstdint>

#include "platform/oem_text.h"

namespace dialog {

// What the program's surroundings decide, taken once by the caller, so that
// tests can run the program either way.
struct Surroundings {
  std::intptr_t input = 0;   // descriptor of the console input
  std::intptr_t output = 1;  // descriptor of the console output
  int introPauseMs = 4000;   // how long the intro screen stays
  // The console's character set, in which the program's own texts reach the
  // console and the log (names and data are bytes and never converted).
  platform::TextCharset charset = platform::TextCharset::CodePage;
  // A dataset that takes longer than this shows a progress figure on the
  // console; -1 for none (the output is no terminal).
  int progressAfterMs = -1;
  // Threads that process a dataset: 1, or 2 and more for two (one runs the
  // cipher ahead while the other transforms and writes); 0 takes two where
  // the process may use a second core. The bytes written are the same either
  // way.
  int processingThreads = 0;
};

// The surroundings of the program as started: the console on the standard
// input and output, the intro's full pause, the program's own texts in the
// user's character set, and a progress figure for datasets taking more than
// a second where the output is a terminal.
[[nodiscard]] Surroundings StandardSurroundings();

// Runs the program with the `argumentCount` + 1 texts of `arguments`
// (arguments[0] is the program as started) in `surroundings`. Returns the
// exit status (0 on every ordinary way out).
int RunProgram(int argumentCount, const char* const* arguments, const Surroundings& surroundings);

}  // namespace dialog
