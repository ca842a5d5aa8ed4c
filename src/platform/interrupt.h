#pragma once
// Interrupts (SIGINT, SIGTERM, SIGHUP; on Windows the console's control
// events: Ctrl-C, Ctrl-Break, closing the window) during the processing run,
// counted while deferred. The first one lets the dataset in hand be finished and then
// ends the run; the second one stops the dataset in hand at the next chunk
// boundary (it is then reported as not processed completely) and ends the run
// the same way; a third one ends the program at once, as it would have
// without deferral.

namespace platform {

// From now on interrupts are only counted, from zero.
void DeferInterrupts();

// True once an interrupt arrived while deferred: end the run after the
// dataset in hand.
[[nodiscard]] bool InterruptRequested();

// True once a second interrupt arrived: stop the dataset in hand at the next
// chunk boundary.
[[nodiscard]] bool StopRequested();

// Gives the interrupts back the actions they had before DeferInterrupts, so
// that a run leaves the process as it found it. Harmless when they were not
// deferred.
void RestoreInterrupts();

}  // namespace platform
