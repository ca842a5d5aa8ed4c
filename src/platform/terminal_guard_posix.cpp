#include "platform/terminal_guard_posix.h"

#include <cerrno>
#include <csignal>
#include <cstddef>

#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kGuardedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
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
  struct sigaction previous[kGuardedCount];
  bool installed[kGuardedCount] = {};
};

// Written only while no handler is installed, so the handler always reads a
// complete record.
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

void ShowTerminal() {
  if (gGuard.inputIsTerminal) {
    tcsetattr(gGuard.input, TCSANOW, &gGuard.normal);
  }
  if (gGuard.outputIsTerminal) {
    WriteSequence(kShowSequence, sizeof kShowSequence - 1);
  }
}

void HideTerminal() {
  if (gGuard.inputIsTerminal) {
    // What was typed while the program was stopped went to the shell or was shown.
    tcsetattr(gGuard.input, TCSAFLUSH, &gGuard.hidden);
  }
  if (gGuard.outputIsTerminal) {
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

// Only async-signal-safe calls: tcsetattr, write, sigaction, sigprocmask, raise.
void HandleSignal(int signal) {
  const int savedErrno = errno;
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

void InstallHandlers() {
  struct sigaction action {};
  action.sa_handler = HandleSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (int signal : kGuardedSignals) {
    sigaddset(&action.sa_mask, signal);
  }
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

bool EnterSecretInput(int input, bool inputIsTerminal, int output, bool outputIsTerminal) {
  termios normal{};
  if (inputIsTerminal && tcgetattr(input, &normal) != 0) {
    return false;
  }
  gGuard.input = input;
  gGuard.output = output;
  gGuard.inputIsTerminal = inputIsTerminal;
  gGuard.outputIsTerminal = outputIsTerminal;
  gGuard.normal = normal;
  gGuard.hidden = normal;
  gGuard.hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
  InstallHandlers();
  // TCSAFLUSH drops, in the same step, whatever was typed while the echo was on.
  if (inputIsTerminal && tcsetattr(input, TCSAFLUSH, &gGuard.hidden) != 0) {
    RemoveHandlers();
    return false;
  }
  return true;
}

bool LeaveSecretInput() {
  bool restored = true;
  if (gGuard.inputIsTerminal) {
    restored = tcsetattr(gGuard.input, TCSANOW, &gGuard.normal) == 0;
  }
  RemoveHandlers();
  return restored;
}

}  // namespace platform
