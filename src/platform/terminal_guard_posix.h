#pragma once
// Secret input on a POSIX terminal: the echo switched off, and the terminal
// given back on every way out, also when a signal ends the program. Used by
// console_posix.cpp only.
//
// The signal handlers and the settings they restore are process-wide state:
// there is one terminal, and a handler can reach nothing else.

namespace platform {

// Switches the echo of the terminal `input` off (when `inputIsTerminal`),
// discarding input typed but not yet read, after remembering its settings;
// installs handlers for SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGTSTP (a
// signal that is ignored stays ignored). A handler restores the settings and,
// when `outputIsTerminal`, writes normal colours and a visible cursor to
// `output`, then puts the previous action back and raises the signal again;
// when that returns (a stopped program was continued) it hides the input
// again. False when the terminal refused; nothing is changed then.
[[nodiscard]] bool EnterSecretInput(int input, bool inputIsTerminal, int output,
                                    bool outputIsTerminal);

// Gives the terminal its remembered settings back and the signals their
// previous actions. False when the terminal refused the settings.
[[nodiscard]] bool LeaveSecretInput();

}  // namespace platform
