#pragma once
// Process-wide protection of the key material the program holds.

namespace platform {

// Keeps the process from writing a core dump: a dump after a signal such as
// SIGQUIT would put the typed key and the cipher state into a file.
void PreventCoreDumps();

}  // namespace platform
