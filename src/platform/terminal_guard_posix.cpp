#include "platform/terminal_guard_posix.h"

#include <cerrno>
#include <csignal>
#include <cstddef>

#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

// SIGCONT only hides the input again (the program may be in the foreground now).
constexpr int kGuardedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT};
constexpr int kGuardedCount = sizeof kGuardedSignals / sizeof kGuardedSignals[0];

// Normal colours and a visible cursor; black on black and a hidden cursor.
constexpr char kShowSequence[] = "\x1b[0m\x1b[?25h";
constexpr char kHideSequence[] = "\x1b[30;40m\x1b[?25l";

struct Guard {
  int input = -1;
  int output = -1;
  bool inputIsTerminal = false;
  bool outputIsTerminal = false;
  termios normal{};
  termios hidden{};
  // The handlers change these two; everything else is written only while no
  // handler is installed, so a handler always reads a complete record.
  volatile std::sig_atomic_t settingsKnown = 0;  // normal and hidden were read
  volatile std::sig_atomic_t hiddenSet = 0;      // the terminal has the hidden settings
  struct sigaction previous[kGuardedCount];
  bool installed[kGuardedCount] = {};
};

Guard gGuard;

// Async-signal-safe: write() only, errors ignored (nothing better to do).
void WriteSequence(const char* sequence, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(gGuard.output, sequence, size);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      return;
    }
    sequence += n;
    size -= static_cast<std::size_t>(n);
  }
}

// Async-signal-safe: tcgetattr only. The settings are those the terminal has
// for the program in the foreground, not those of a shell's prompt.
bool ReadSettings() {
  if (gGuard.settingsKnown == 0 && tcgetattr(gGuard.input, &gGuard.normal) == 0) {
    gGuard.hidden = gGuard.normal;
    gGuard.hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    gGuard.settingsKnown = 1;
  }
  return gGuard.settingsKnown != 0;
}

void ShowTerminal() {
  if (gGuard.hiddenSet != 0 && MayChangeTerminal(gGuard.input)) {
    tcsetattr(gGuard.input, TCSANOW, &gGuard.normal);
  }
  gGuard.hiddenSet = 0;
  if (gGuard.outputIsTerminal) {
    WriteSequence(kShowSequence, sizeof kShowSequence - 1);
  }
}

void HideTerminal() {
  if (gGuard.inputIsTerminal && MayChangeTerminal(gGuard.input)) {
    // TCSAFLUSH: what was typed while the echo was on (or the program
    // stopped) was shown or went to the shell; it never becomes secret input.
    gGuard.hiddenSet = ReadSettings() && tcsetattr(gGuard.input, TCSAFLUSH, &gGuard.hidden) == 0 ? 1 : 0;
  }
  if (gGuard.outputIsTerminal && MayChangeTerminal(gGuard.output)) {
    WriteSequence(kHideSequence, sizeof kHideSequence - 1);
  }
}

int IndexOf(int signal) {
  for (int i = 0; i < kGuardedCount; ++i) {
    if (kGuardedSignals[i] == signal) {
      return i;
    }
  }
  return 0;
}

// Only async-signal-safe calls: tcgetpgrp, getpgrp, tcgetattr, tcsetattr,
// write, sigaction, sigprocmask, raise.
void HandleSignal(int signal) {
  const int savedErrno = errno;
  if (signal == SIGCONT) {
    // Continued, perhaps in the foreground now: the input is hidden there.
    HideTerminal();
    errno = savedErrno;
    return;
  }
  ShowTerminal();
  const int index = IndexOf(signal);
  struct sigaction own {};
  sigaction(signal, &gGuard.previous[index], &own);
  sigset_t only{};
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  // Reached after a stop when the program is continued: secret input goes on.
  sigprocmask(SIG_BLOCK, &only, nullptr);
  sigaction(signal, &own, nullptr);
  HideTerminal();
  errno = savedErrno;
}

sigset_t GuardedSignals() {
  sigset_t set{};
  sigemptyset(&set);
  for (int signal : kGuardedSignals) {
    sigaddset(&set, signal);
  }
  return set;
}

// Runs `change` with the guarded signals held back, so that no handler sees
// the guard half changed.
template <typename Change>
auto WithSignalsHeld(Change change) {
  const sigset_t guarded = GuardedSignals();
  sigset_t previous{};
  sigprocmask(SIG_BLOCK, &guarded, &previous);
  const auto result = change();
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return result;
}

void InstallHandlers() {
  struct sigaction action {};
  action.sa_handler = HandleSignal;
  action.sa_flags = SA_RESTART;
  action.sa_mask = GuardedSignals();
  for (int i = 0; i < kGuardedCount; ++i) {
    gGuard.installed[i] = false;
    if (sigaction(kGuardedSignals[i], nullptr, &gGuard.previous[i]) != 0 ||
        gGuard.previous[i].sa_handler == SIG_IGN) {
      continue;
    }
    gGuard.installed[i] = sigaction(kGuardedSignals[i], &action, nullptr) == 0;
  }
}

void RemoveHandlers() {
  for (int i = 0; i < kGuardedCount; ++i) {
    if (gGuard.installed[i]) {
      sigaction(kGuardedSignals[i], &gGuard.previous[i], nullptr);
      gGuard.installed[i] = false;
    }
  }
}

}  // namespace

bool MayChangeTerminal(int terminal) {
  const pid_t foreground = tcgetpgrp(terminal);
  return foreground == -1 || foreground == getpgrp();
}

bool EnterSecretInput(int input, bool inputIsTerminal, int output, bool outputIsTerminal) {
  return WithSignalsHeld([&] {
    gGuard.input = input;
    gGuard.output = output;
    gGuard.inputIsTerminal = inputIsTerminal;
    gGuard.outputIsTerminal = outputIsTerminal;
    gGuard.settingsKnown = 0;
    gGuard.hiddenSet = 0;
    if (inputIsTerminal && MayChangeTerminal(input)) {
      if (!ReadSettings() || tcsetattr(input, TCSAFLUSH, &gGuard.hidden) != 0) {
        return false;
      }
      gGuard.hiddenSet = 1;
    }
    InstallHandlers();
    return true;
  });
}

bool LeaveSecretInput() {
  return WithSignalsHeld([] {
    bool restored = true;
    if (gGuard.hiddenSet != 0 && MayChangeTerminal(gGuard.input)) {
      restored = tcsetattr(gGuard.input, TCSANOW, &gGuard.normal) == 0;
    }
    gGuard.hiddenSet = 0;
    RemoveHandlers();
    return restored;
  });
}

}  // namespace platform
