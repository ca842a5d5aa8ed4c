// The real program at a pseudo-terminal: a key typed without echo never
// reaches the screen, and the terminal gets its echo back, also when Ctrl-C
// ends the program while the echo is off; the same for the overlay. Each test
// waits for the real four-second intro, so there are only three.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 15000;
const std::string kSecret = "Zq7#Xk";
const std::string kShowCursor = "\x1b[?25h";
const std::string kHideCursor = "\x1b[?25l";

// The program started on the slave side of a pseudo-terminal; the test keeps
// its own descriptor of the slave to read the terminal's settings.
struct PtyProgram {
  int master = -1;
  int slave = -1;
  pid_t pid = -1;
  int status = 0;
  bool ended = false;
  std::string screen;  // everything the program wrote to the terminal

  ~PtyProgram() {
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

  // Starts the program with parameters 1 to 5 and `more` after them.
  bool Start(const std::string& directory, std::vector<const char*> more = {}) {
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
      return false;
    }
    std::vector<const char*> arguments = {TARVEX5_BINARY, "0", "log.txt", "a.txt", "1", "1"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.push_back(nullptr);
    pid = fork();
    if (pid == 0) {
      close(master);
      if (login_tty(slave) != 0 || chdir(directory.c_str()) != 0) {
        _exit(127);
      }
      execv(TARVEX5_BINARY, const_cast<char* const*>(arguments.data()));
      _exit(127);
    }
    return pid > 0;
  }

  // Reads what the program wrote for up to `ms` milliseconds; false when
  // nothing came.
  bool Drain(int ms) {
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

  bool WaitUntil(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(kTimeoutMs);
    while (!condition()) {
      if (Clock::now() > deadline) {
        return false;
      }
      Drain(10);
    }
    return true;
  }

  bool WaitForText(const std::string& text, std::size_t from = 0) {
    return WaitUntil([&] { return screen.find(text, from) != std::string::npos; });
  }

  bool EchoOn() const {
    termios settings{};
    return tcgetattr(slave, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
  }

  bool WaitForEcho(bool on) {
    return WaitUntil([&] { return EchoOn() == on; });
  }

  void Type(const std::string& keys) {
    ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  bool WaitForEnd() {
    if (!WaitUntil([&] { return ended; })) {
      return false;
    }
    while (Drain(50)) {
    }
    return true;
  }

  // Brings the program to the first keyboard pass without echo.
  void StartHiddenKeyInput(const std::string& directory) {
    ASSERT_TRUE(Start(directory));
    ASSERT_TRUE(WaitForText("In which way you want to enter the key?")) << screen;
    ASSERT_TRUE(WaitForText("Please enter the corresponding number: ", screen.find("In which way")));
    Type("0\n");
    ASSERT_TRUE(WaitForText(" once:")) << screen;
    ASSERT_TRUE(WaitForEcho(false));
  }
};

class SecretInputTest : public ::testing::Test {
 protected:
  testsupport::ScratchDir scratch;
  void SetUp() override { testsupport::WriteFile(scratch.Path("a.txt"), "abc"); }
};

TEST_F(SecretInputTest, KeyTypedWithoutEchoNeverReachesTheScreen) {
  PtyProgram program;
  program.StartHiddenKeyInput(scratch.path);
  program.Type(kSecret + "\n\n");
  ASSERT_TRUE(program.WaitForText("(control input):")) << program.screen;
  ASSERT_TRUE(program.WaitForEcho(false));
  program.Type(kSecret + "\n\n");
  ASSERT_TRUE(program.WaitForText("Is the initial key to be overlayed?")) << program.screen;
  program.Type("0\n");
  ASSERT_TRUE(program.WaitForEnd()) << program.screen;
  ASSERT_TRUE(WIFEXITED(program.status));
  EXPECT_EQ(WEXITSTATUS(program.status), 0);
  EXPECT_NE(program.screen.find("End of input of the initial key."), std::string::npos);
  EXPECT_EQ(program.screen.find(kSecret), std::string::npos) << program.screen;
  EXPECT_TRUE(program.EchoOn());
  EXPECT_GT(program.screen.rfind(kShowCursor), program.screen.rfind(kHideCursor));
}

TEST_F(SecretInputTest, CtrlCWhileTheEchoIsOffRestoresTheTerminal) {
  PtyProgram program;
  program.StartHiddenKeyInput(scratch.path);
  program.Type(kSecret);
  program.Type("\x03");
  ASSERT_TRUE(program.WaitForEnd()) << program.screen;
  ASSERT_TRUE(WIFSIGNALED(program.status)) << "the signal ends the program as it would have";
  EXPECT_EQ(WTERMSIG(program.status), SIGINT);
  EXPECT_TRUE(program.EchoOn());
  EXPECT_GT(program.screen.rfind(kShowCursor), program.screen.rfind(kHideCursor));
  EXPECT_NE(program.screen.rfind("\x1b[0m"), std::string::npos);
  EXPECT_EQ(program.screen.find(kSecret), std::string::npos) << program.screen;
}

// The overlay information typed without echo stays off the screen as well,
// also the wrong character of an error message.
TEST_F(SecretInputTest, OverlayTypedWithoutEchoNeverReachesTheScreen) {
  PtyProgram program;
  ASSERT_TRUE(program.Start(scratch.path, {"abc", "1", "1", "256", "0", "255"}));
  ASSERT_TRUE(program.WaitForText("In which way you want to enter the overlay information?"))
      << program.screen;
  ASSERT_TRUE(program.WaitForText("Please enter the corresponding number: ",
                                  program.screen.find("the overlay information?")));
  program.Type("0\n");
  ASSERT_TRUE(program.WaitForText(" once:")) << program.screen;
  ASSERT_TRUE(program.WaitForEcho(false));
  program.Type("7:Wq\n");
  const std::string message = "Wrong information character \xAF*\xAE as separate character";
  ASSERT_TRUE(program.WaitForText(message)) << program.screen;
  EXPECT_TRUE(program.EchoOn());
  ASSERT_TRUE(program.WaitForText("Please enter the corresponding number: ",
                                  program.screen.find(message)));
  program.Type("1\n");
  ASSERT_TRUE(program.WaitForText(" once:", program.screen.find(message))) << program.screen;
  ASSERT_TRUE(program.WaitForEcho(false));
  program.Type("7:W,8:J\n\n");
  ASSERT_TRUE(program.WaitForText("(control input):")) << program.screen;
  ASSERT_TRUE(program.WaitForEcho(false));
  program.Type("7:W,8:J\n\n");
  ASSERT_TRUE(program.WaitForEnd()) << program.screen;
  ASSERT_TRUE(WIFEXITED(program.status));
  EXPECT_NE(program.screen.find("End of input of the overlay information."), std::string::npos);
  for (const char* typed : {"7:W", "8:J", "\xAFq\xAE", "Wq"}) {
    EXPECT_EQ(program.screen.find(typed), std::string::npos) << typed << "\n" << program.screen;
  }
  EXPECT_TRUE(program.EchoOn());
  EXPECT_GT(program.screen.rfind(kShowCursor), program.screen.rfind(kHideCursor));
}

}  // namespace
