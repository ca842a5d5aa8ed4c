#pragma once
// Interrupts (SIGINT, SIGTERM, SIGHUP) during the processing run. A dataset is
// never left half transformed: while interrupts are deferred, the first one
// only sets a flag that the run reads after each dataset; a second one ends
// the program at once, as it would have without deferral.

namespace platform {

// From now on the first interrupt is only noted.
void DeferInterrupts();

// True once an interrupt arrived while deferred.
[[nodiscard]] bool InterruptRequested();

// Gives the interrupts back the actions they had before DeferInterrupts, so
// that a run leaves the process as it found it. Harmless when they were not
// deferred.
void RestoreInterrupts();

}  // namespace platform
