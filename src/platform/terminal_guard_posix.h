#pragma once
// Secret input on a POSIX terminal: the echo switched off, and the terminal
// given back on every way out, also when a signal ends the program. Used by
// console_posix.cpp only.
//
// The signal handlers and the settings they restore are process-wide state:
// there is one terminal, and a handler can reach nothing else.
//
// The terminal's settings and its typed-ahead input belong to the process
// group in its foreground: a process in the background that changed them
// would be stopped (SIGTTOU), and where it is not, it would change them under
// the shell or the program in the foreground. They are touched only from the
// foreground.

namespace platform {

// Whether this process may change the settings or the typed-ahead input of
// the terminal `terminal` now: false only where it is the process's
// controlling terminal and another process group is in its foreground (the
// process runs in the background).
[[nodiscard]] bool MayChangeTerminal(int terminal);

// Switches the echo of the terminal `input` off (when `inputIsTerminal`),
// discarding input typed but not yet read, after remembering its settings;
// installs handlers for SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP (a signal
// that is ignored stays ignored) and SIGCONT. A handler of the first five
// restores the settings and, when `outputIsTerminal`, writes normal colours
// and a visible cursor to `output`, then puts the previous action back and
// raises the signal again; when that returns (a stopped program was
// continued) it hides the input again. In the background the settings are
// neither read nor changed: the input is hidden when the program comes to
// the foreground (SIGCONT), before it can read what is typed there. False
// when the terminal refused; nothing is changed then.
[[nodiscard]] bool EnterSecretInput(int input, bool inputIsTerminal, int output,
                                    bool outputIsTerminal);

// Gives the terminal its remembered settings back (where they were changed
// and the program is in the foreground) and the signals their previous
// actions. False when the terminal refused the settings.
[[nodiscard]] bool LeaveSecretInput();

}  // namespace platform
