#pragma once
// Process-wide settings made once at the start of a run, the program's
// parameters, and the cores the process may use.

namespace platform {

// Keeps the process from writing a core dump (a dump after a signal such as
// SIGQUIT would put the typed key and the cipher state into a file) and,
// where the system has the notion, from being read or traced by other
// processes of the same user (/proc/PID/mem, a debugger attaching); lets a
// write to a closed pipe or beyond the file-size limit (ulimit -f) fail as a
// write instead of ending the program without its closing sequence, without
// wiping the key material and without reporting the dataset in hand. Calling
// it again changes nothing. On Windows: no error dialogs and no crash dumps.
void PrepareProcess();

// The program's parameters as the dialog takes them: POSIX passes `argv` on as
// it is; Windows reads the command line anew as wide text and converts it to
// generalised UTF-8, the form of every name inside the program, without loss
// (the C run-time's argv is in the ANSI code page, which lacks most
// characters). Taken once, at the start; the texts live until the program
// ends.
struct ProgramArguments {
  int count;                 // parameters after parameter 0, the program as started
  const char* const* texts;  // count + 1 texts
};
ProgramArguments TakeProgramArguments(int argc, char** argv);

// The processor cores this process may run on (at least 1): those of the
// machine, fewer where the process is bound to some of them.
[[nodiscard]] int UsableCores();

}  // namespace platform
