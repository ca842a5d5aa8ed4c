// The real program at a pseudo-terminal: a key typed without echo never
// reaches the screen, and the terminal gets its echo back, also when Ctrl-C
// ends the program while the echo is off; the same for the overlay. Each test
// waits for the real four-second intro, so there are only a few.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/pty_program.h"
#include "support/scratch_dir.h"

namespace {

const std::string kSecret = "Zq7#Xk";
const std::string kShowCursor = "\x1b[?25h";
const std::string kHideCursor = "\x1b[?25l";

struct PtyProgram : testsupport::PtyProgram {
  // Starts the program with parameters 1 to 5 and `more` after them.
  bool Start(const std::string& directory, std::vector<std::string> more = {}) {
    std::vector<std::string> parameters = {"0", "log.txt", "a.txt", "1", "1"};
    parameters.insert(parameters.end(), more.begin(), more.end());
    return testsupport::PtyProgram::Start(directory, parameters);
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

// Lines typed ahead after an error in input without echo may be secret: the
// terminal drops them, and the repeat question waits for a new answer.
TEST_F(SecretInputTest, LinesTypedAheadAfterAnErrorWithoutEchoAreDropped) {
  PtyProgram program;
  program.StartHiddenKeyInput(scratch.path);
  program.Type("abc\n\n");
  ASSERT_TRUE(program.WaitForText("(control input):")) << program.screen;
  ASSERT_TRUE(program.WaitForEcho(false));
  program.Type("abX\nS3CRET-LINE-TWO\n\n");
  const std::string differ = "Control input and first input of the key are different.";
  ASSERT_TRUE(program.WaitForText(differ)) << program.screen;
  ASSERT_TRUE(program.WaitForText("Please enter the corresponding number: ", program.screen.find(differ)));
  while (program.Drain(300)) {
  }
  program.Type("9\n");
  ASSERT_TRUE(program.WaitForEnd()) << program.screen;
  EXPECT_EQ(program.screen.find("Wrong input"), std::string::npos) << program.screen;
  EXPECT_EQ(program.screen.find("S3CRET"), std::string::npos) << program.screen;
  EXPECT_NE(program.screen.find("T e r m i n a t i n g"), std::string::npos) << program.screen;
}

// While the dialog waits, the pages that will hold the key are locked in
// memory (so never written to swap); root may always lock them.
TEST_F(SecretInputTest, KeyMaterialIsLockedInMemoryWhileTheDialogWaits) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer makes mlock do nothing";
#endif
  rlimit lockable{};
  getrlimit(RLIMIT_MEMLOCK, &lockable);
  if (geteuid() != 0 && lockable.rlim_cur < 64 * 1024) {
    GTEST_SKIP() << "this user may not lock enough memory";
  }
  testsupport::PtyProgram program;
  ASSERT_TRUE(program.Start(scratch.path, {}));
  ASSERT_TRUE(program.WaitForText("Language / Sprache:")) << program.screen;
  const std::string status = testsupport::ReadFile("/proc/" + std::to_string(program.pid) + "/status");
  const std::size_t locked = status.find("VmLck:");
  ASSERT_NE(locked, std::string::npos) << status;
  EXPECT_GT(std::stol(status.substr(locked + 6)), 0) << status.substr(locked, 30);
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
