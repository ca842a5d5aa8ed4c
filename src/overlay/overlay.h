#pragma once
// The key overlay: questions 7 to 12, which may set single positions of
// InitialKey to chosen byte values before the processing run prepares the
// cipher.

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace overlay {

// Question 7 (the overlay form, from parameter 7 or the menu) and, unless it
// is 0, questions 8 and 9 (the position limits), 10 and 11 (the value limits)
// and 12 (the overlay information, from parameter 12, the keyboard or an
// overlay dataset). On Go, `state.overlay` holds the form and limits,
// InitialKey holds the overlaid key, OverlayDatasetName the overlay dataset's
// full path (or empty), and the end message stands on the console. Stop when
// the program is to end (termination line written where one belongs).
[[nodiscard]] dialog::Flow RunOverlay(dialog::RunState& state);

}  // namespace overlay
