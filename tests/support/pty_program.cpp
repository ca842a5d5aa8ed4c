#include "support/pty_program.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>

#include <gtest/gtest.h>

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTimeoutMs = 15000;

// In the child that holds the terminal, as its shell would: runs `arguments`
// in a background process group and ends as the program ended.
[[noreturn]] void RunInBackground(const char* const* arguments) {
  const pid_t program = fork();
  if (program == 0) {
    setpgid(0, 0);
    execv(TARVEX5_BINARY, const_cast<char* const*>(arguments));
    _exit(127);
  }
  setpgid(program, program);
  int status = 0;
  if (program < 0 || waitpid(program, &status, WUNTRACED) != program) {
    _exit(127);
  }
  if (WIFSTOPPED(status)) {
    kill(program, SIGKILL);
    waitpid(program, &status, 0);
    _exit(PtyProgram::kStoppedStatus);
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

}  // namespace

PtyProgram::~PtyProgram() {
  if (pid > 0 && !ended) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  if (master >= 0) {
    close(master);
  }
  if (slave >= 0) {
    close(slave);
  }
}

bool PtyProgram::Start(const std::string& directory, const std::vector<std::string>& parameters,
                       const std::string& locale, bool inBackground) {
  if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
    return false;
  }
  std::vector<const char*> arguments = {TARVEX5_BINARY};
  for (const std::string& parameter : parameters) {
    arguments.push_back(parameter.c_str());
  }
  arguments.push_back(nullptr);
  pid = fork();
  if (pid == 0) {
    close(master);
    if (login_tty(slave) != 0 || chdir(directory.c_str()) != 0 ||
        setenv("LC_ALL", locale.c_str(), 1) != 0) {
      _exit(127);
    }
    if (inBackground) {
      RunInBackground(arguments.data());
    }
    execv(TARVEX5_BINARY, const_cast<char* const*>(arguments.data()));
    _exit(127);
  }
  return pid > 0;
}

bool PtyProgram::Drain(int ms) {
  if (!ended && waitpid(pid, &status, WNOHANG) == pid) {
    ended = true;
  }
  pollfd ready{master, POLLIN, 0};
  if (poll(&ready, 1, ms) > 0 && (ready.revents & POLLIN) != 0) {
    char chunk[4096];
    const ssize_t n = read(master, chunk, sizeof chunk);
    if (n > 0) {
      screen.append(chunk, static_cast<std::size_t>(n));
      return true;
    }
  }
  return false;
}

bool PtyProgram::WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
  while (!condition()) {
    if (Clock::now() > deadline) {
      return false;
    }
    Drain(10);
  }
  return true;
}

bool PtyProgram::WaitForText(const std::string& text, std::size_t from) {
  return WaitUntil([&] { return screen.find(text, from) != std::string::npos; });
}

bool PtyProgram::EchoOn() const {
  termios settings{};
  return tcgetattr(slave, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
}

bool PtyProgram::WaitForEcho(bool on) {
  return WaitUntil([&] { return EchoOn() == on; });
}

void PtyProgram::Type(const std::string& keys) {
  ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
}

bool PtyProgram::WaitForEnd() {
  if (!WaitUntil([&] { return ended; })) {
    return false;
  }
  while (Drain(50)) {
  }
  return true;
}

}  // namespace testsupport
