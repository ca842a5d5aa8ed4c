// The real program, started as a user starts it (with its real intro pause).
#include <sys/wait.h>

#include <chrono>
#include <clocale>
#include <string>

#include <gtest/gtest.h>

#include "support/program_run.h"
#include "support/pty_program.h"
#include "support/scratch_dir.h"

namespace {

constexpr const char* kUtf8Locale = "C.UTF-8";

bool HaveUtf8Locale() {
  const bool have = std::setlocale(LC_CTYPE, kUtf8Locale) != nullptr;
  std::setlocale(LC_CTYPE, "C");
  return have;
}

TEST(Program, StartsShowsTheIntroAndEndsWithStatusZero) {
  testsupport::ScratchDir scratch;
  const auto start = std::chrono::steady_clock::now();
  const testsupport::ProgramResult result =
      testsupport::RunProgramBinary({"1", "log.txt"}, "9\n", scratch.path);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_GE(elapsed, std::chrono::milliseconds(4000)) << "the intro screen stays four seconds";
  const std::string end = "\nVer-/Entschl\x81sselungsprogramm  T A R V E X 5  1.0  beendet.\n";
  ASSERT_GE(result.output.size(), end.size());
  EXPECT_EQ(result.output.substr(result.output.size() - end.size()), end);
  const std::string log = testsupport::ReadFile(scratch.Path("log.txt"));
  EXPECT_NE(log.find("  P r o g r a m m a b b r u c h !  \r\n\r\n"), std::string::npos);
}

}  // namespace

// At a terminal under a UTF-8 locale the program writes its texts in UTF-8.
TEST(Program, SpeaksUtf8AtATerminalOfAUtf8Locale) {
  if (!HaveUtf8Locale()) {
    GTEST_SKIP() << "no locale " << kUtf8Locale;
  }
  testsupport::ScratchDir scratch;
  testsupport::WriteFile(scratch.Path("a.txt"), "abc");
  testsupport::PtyProgram program;
  ASSERT_TRUE(program.Start(scratch.path, {"1", "log.txt", "a.txt", "1", "1"}, kUtf8Locale));
  ASSERT_TRUE(program.WaitForText("Schlüssel")) << program.screen;
  ASSERT_TRUE(program.WaitForText("Geben Sie bitte die zugehörige Zahl an: ")) << program.screen;
  program.Type("9\n");
  ASSERT_TRUE(program.WaitForEnd()) << program.screen;
  EXPECT_TRUE(WIFEXITED(program.status) && WEXITSTATUS(program.status) == 0);
  EXPECT_NE(testsupport::ReadFile(scratch.Path("log.txt")).find("Ver-/Entschlüsselungsprogramm"),
            std::string::npos);
}

// Redirected output is the plain dialog: the dataset's two lines and nothing between them.
TEST(Program, RedirectedRunWritesThePlainDialogInUtf8) {
  if (!HaveUtf8Locale()) {
    GTEST_SKIP() << "no locale " << kUtf8Locale;
  }
  testsupport::ScratchDir scratch;
  testsupport::WriteFile(scratch.Path("a.txt"), std::string(3 << 20, 'x'));
  const testsupport::ProgramResult result = testsupport::RunProgramBinary(
      {"1", "log.txt", "a.txt", "1", "1", "Schlüssel", "0"}, "", scratch.path, kUtf8Locale);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(result.output.find("Die Datei »a.txt« wird gerade bearbeitet ...\n"
                               "Die Datei »a.txt« wurde verschlüsselt.\n"),
            std::string::npos)
      << result.output;
}
