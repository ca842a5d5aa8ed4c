#pragma once
// The real program started on the slave side of a pseudo-terminal, as a user
// at a terminal starts it; the test types on the master side and reads what
// the program wrote to the screen.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

struct PtyProgram {
  int master = -1;
  int slave = -1;  // the test's own descriptor of the slave, to read its settings
  pid_t pid = -1;
  int status = 0;
  bool ended = false;
  std::string screen;  // everything the program wrote to the terminal

  PtyProgram() = default;
  ~PtyProgram();  // kills the program if it still runs
  PtyProgram(const PtyProgram&) = delete;
  PtyProgram& operator=(const PtyProgram&) = delete;

  // Starts the program with `parameters` in `directory`, under the locale
  // `locale` (LC_ALL); false when it could not be started. `inBackground`
  // starts it as a shell with job control starts "program &": in a process
  // group of its own, while the shell's group keeps the terminal's
  // foreground; should the program stop, it is killed and ends with
  // kStoppedStatus.
  static constexpr int kStoppedStatus = 99;
  bool Start(const std::string& directory, const std::vector<std::string>& parameters,
             const std::string& locale = "C", bool inBackground = false);

  // Reads what the program wrote for up to `ms` milliseconds; false when
  // nothing came.
  bool Drain(int ms);
  // Waits (at most 15 seconds) until `condition` holds, reading the screen.
  bool WaitUntil(const std::function<bool()>& condition);
  bool WaitForText(const std::string& text, std::size_t from = 0);
  // Whether the terminal echoes typed characters; waits until it does / does not.
  bool EchoOn() const;
  bool WaitForEcho(bool on);
  void Type(const std::string& keys);
  // Waits until the program ended and reads the rest of its screen.
  bool WaitForEnd();
};

}  // namespace testsupport
