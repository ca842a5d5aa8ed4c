// What the console and the command line are on Windows: lines that end in CR
// LF, and parameters in the console's code page.
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "program/driver.h"
#include "support/closing_lines.h"
#include "support/dialog_run.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::ScratchDir;

TEST(WindowsConsole, LinesEndInCrLf) {
  ScratchDir scratch;
  testsupport::DirectoryGuard inScratch(scratch.path);
  testsupport::WriteFile("a.txt", "abc");
  std::FILE* in = testsupport::TemporaryFileWith("9\r\n");
  std::FILE* out = testsupport::TemporaryFileWith("");
  const char* arguments[] = {"tarvex5", "0", "log.txt", "a.txt", nullptr};
  const dialog::Surroundings surroundings{.input = fileno(in), .output = fileno(out), .introPauseMs = 0};
  EXPECT_EQ(dialog::RunProgram(3, arguments, surroundings), 0);
  const std::string console = testsupport::ContentOf(out);
  std::fclose(in);
  std::fclose(out);
  for (std::size_t end = console.find('\n'); end != std::string::npos; end = console.find('\n', end + 1)) {
    ASSERT_TRUE(end > 0 && console[end - 1] == '\r') << "a line end at " << end;
  }
  const std::string closing = testsupport::LogLines(
      std::string(testsupport::kEnglishTerminating) + testsupport::kEnglishEnd);
  ASSERT_GE(console.size(), closing.size());
  EXPECT_EQ(console.substr(console.size() - closing.size()), closing);
}

// The command line is read as wide text and converted to the OEM code page:
// « and » (0xAB and 0xBB in the ANSI code page that starts the program here)
// arrive as 0xAE and 0xAF and select a directory with its subdirectories.
TEST(WindowsProgram, ParametersArriveInTheConsoleCodePage) {
  ScratchDir scratch;
  std::filesystem::create_directories(scratch.Path("data\\sub"));
  testsupport::WriteFile(scratch.Path("data\\sub\\a.txt"), "plain");
  const testsupport::ProgramResult result = testsupport::RunProgramBinary(
      {"0", "log.txt", "\xAB" "data\xBB", "1", "1", "key", "0"}, "", scratch.path);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(result.output.find("The datasets of the directory \xAF" "data\xAE\n"
                               " and these of all subdirectories of lower steps will be processed."),
            std::string::npos)
      << result.output;
  EXPECT_NE(testsupport::ReadFile(scratch.Path("data\\sub\\a.txt")), "plain");
}

}  // namespace
