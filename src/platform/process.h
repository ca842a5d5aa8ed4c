#pragma once
// Process-wide settings made once at the start of a run, and what the
// process may use.

namespace platform {

// Keeps the process from writing a core dump (a dump after a signal such as
// SIGQUIT would put the typed key and the cipher state into a file) and,
// where the system has the notion, from being read or traced by other
// processes of the same user (/proc/PID/mem, a debugger attaching); lets a
// write to a closed pipe or beyond the file-size limit (ulimit -f) fail as a
// write instead of ending the program without its closing sequence, without
// wiping the key material and without reporting the dataset in hand. Calling
// it again changes nothing.
void PrepareProcess();

// The processor cores this process may run on (at least 1): those of the
// machine, fewer where the process is bound to some of them.
[[nodiscard]] int UsableCores();

}  // namespace platform
