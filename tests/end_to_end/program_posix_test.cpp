// The real program under a UTF-8 locale, at a terminal and redirected: the
// locale is a POSIX matter (on Windows the console's code page decides).
#include <sys/wait.h>

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

// A run answered by its parameters in the background of an interactive shell
// ("tarvex5 ... &", the terminal its input and output) goes through to its
// end: it never touches the terminal's settings or typed-ahead input, which
// would stop it (SIGTTOU).
TEST(Program, ScriptedRunInTheBackgroundNeverStops) {
  testsupport::ScratchDir scratch;
  testsupport::WriteFile(scratch.Path("a.bin"), "abc");
  testsupport::PtyProgram program;
  ASSERT_TRUE(program.Start(scratch.path, {"0", "l.log", "a.bin", "1", "1", "K", "0"}, "C", true));
  ASSERT_TRUE(program.WaitForEnd()) << program.screen;
  ASSERT_TRUE(WIFEXITED(program.status));
  EXPECT_EQ(WEXITSTATUS(program.status), 0) << program.screen;
  EXPECT_NE(program.screen.find("The dataset \xAF" "a.bin\xAE has been encoded."), std::string::npos)
      << program.screen;
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
