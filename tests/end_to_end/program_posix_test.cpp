// The real program under a UTF-8 locale, at a terminal and redirected: the
// locale is a POSIX matter (on Windows the console's code page decides).
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
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

// An interrupt during the processing run ends the process with 130 once the
// dataset in hand is complete. The program writes into a pipe that is not
// read after the first dataset's announcement: with this many datasets it
// cannot get to the end of the run before the interrupt arrives.
TEST(Program, InterruptEndsTheRunWithStatus130) {
  testsupport::ScratchDir scratch;
  testsupport::WritePipeFillingDatasets(scratch);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const char* arguments[] = {TARVEX5_BINARY, "0", "log.txt", "[data]", "1", "1", "secret", "0", nullptr};
  const pid_t child = fork();
  if (child == 0) {
    const int nothing = open("/dev/null", O_RDONLY);
    if (chdir(scratch.path.c_str()) != 0 || dup2(nothing, 0) < 0 || dup2(pipeEnds[1], 1) < 0) {
      _exit(127);
    }
    close(pipeEnds[0]);
    execv(TARVEX5_BINARY, const_cast<char* const*>(arguments));
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string output;
  const auto readSome = [&] {
    char buffer[4096];
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    output.append(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    return got > 0;
  };
  while (output.find(" is just processed ...") == std::string::npos && readSome()) {
  }
  kill(child, SIGINT);
  while (readSome()) {
  }
  close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << output.substr(output.size() > 500 ? output.size() - 500 : 0);
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_NE(output.find("  T e r m i n a t i n g   p r o g r a m !  \n"), std::string::npos);
  EXPECT_TRUE(testsupport::SomePipeFillingDatasetUnchanged(scratch))
      << "the run ended before the end of the selection";
}
