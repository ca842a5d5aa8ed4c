// Hostile input that only POSIX systems let through, run through the whole
// program in-process: names carrying control characters, and a console line
// that never ends (/dev/zero); and the process hardened by a run.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "program/driver.h"
#include "program/hostile_input_fixture.h"
#include "support/closing_lines.h"

namespace {

using testsupport::DialogResult;
using testsupport::ReadFile;
using testsupport::RunDialog;
using testsupport::WriteFile;
using HostileNamesTest = testsupport::HostileInputTest;

// A name cannot forge a line of the log or send control sequences to the
// terminal; the dataset itself is still found and processed under its name.
TEST_F(HostileNamesTest, NamesWithControlCharactersStayOnTheirLine) {
  std::filesystem::create_directory(scratch.Path("d"));
  const std::string forged = "x\xAE has been encoded.\r\nThe dataset \xAFimportant.doc";
  WriteFile(scratch.Path("d/" + forged), "content");
  std::filesystem::create_directory(scratch.Path("d/e\x1B[2Jx"));
  WriteFile(scratch.Path("d/e\x1B[2Jx/f\x1B[2J"), "content");
  const DialogResult result = RunDialog({"0", "log.txt", "\xAE" "d\xAF", "1", "1", "key", "0"}, "");
  const std::string log = Log();
  EXPECT_NE(log.find("The dataset \xAFx\xAE has been encoded.\\r\\nThe dataset \xAFimportant.doc\xAE "
                     "has been encoded.\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("/d/e\\x1B[2Jx --- \r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("The dataset \xAF" "f\\x1B[2J\xAE has been encoded.\r\n"), std::string::npos);
  EXPECT_EQ(log.find("\r\nThe dataset \xAFimportant.doc"), std::string::npos);
  EXPECT_EQ(result.output.find("\nThe dataset \xAFimportant.doc"), std::string::npos);
  EXPECT_EQ(result.output.find('\x1B'), std::string::npos);
  EXPECT_NE(ReadFile(scratch.Path("d/" + forged)), "content");
  // A typed answer is framed the same way.
  const DialogResult typed = RunDialog({"0", "log.txt"}, "\x1B[2J\r\n9\n");
  EXPECT_NE(typed.output.find("Wrong input \xAF\\x1B[2J\xAE, correction: "), std::string::npos)
      << typed.output;
}

// An input that never brings a line end (here an endless stream of zero
// bytes) ends like the end of the input, wherever it comes.
TEST_F(HostileNamesTest, EndlessLineEndsTheInput) {
  struct Case {
    const char* name;
    std::vector<std::string> parameters;
    std::string typed;  // before the endless line
  };
  const Case cases[] = {
      {"language question", {}, ""},
      {"key without echo", {"0", "log.txt", "a.txt", "1", "1"}, "0\n"},
      {"overlay with echo", {"0", "log.txt", "a.txt", "1", "1", "abc", "1", "1", "256", "0", "255"},
       "1\n1:a,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<const char*> arguments{"tarvex5"};
    for (const std::string& parameter : c.parameters) {
      arguments.push_back(parameter.c_str());
    }
    // The typed lines, then 3 MiB without a line end.
    std::string endless = c.typed;
    while (endless.size() < (3u << 20)) {
      endless += c.typed.empty() ? std::string(4096, '\0') : "2:b,";
    }
    std::FILE* in = testsupport::TemporaryFileWith(endless);
    std::FILE* out = testsupport::TemporaryFileWith("");
    ASSERT_TRUE(in != nullptr && out != nullptr);
    EXPECT_EQ(dialog::RunProgram(static_cast<int>(c.parameters.size()), arguments.data(),
                                 {.input = fileno(in), .output = fileno(out), .introPauseMs = 0}),
              0);
    const std::string output = testsupport::ContentOf(out);
    EXPECT_TRUE(output.ends_with(testsupport::kEnglishEnd)) << output.substr(output.size() - 300);
    std::fclose(in);
    std::fclose(out);
  }
  // The very input of the report: the language question on /dev/zero.
  const char* arguments[] = {"tarvex5", nullptr};
  const int zero = open("/dev/zero", O_RDONLY);
  std::FILE* out = testsupport::TemporaryFileWith("");
  ASSERT_GE(zero, 0);
  EXPECT_EQ(dialog::RunProgram(0, arguments, {.input = zero, .output = fileno(out), .introPauseMs = 0}), 0);
  EXPECT_TRUE(testsupport::ContentOf(out).ends_with(testsupport::kEnglishEnd));
  close(zero);
  std::fclose(out);
}

// The run hardens the process against other processes reading its memory,
// and otherwise leaves it as it found it, so that the program can be run
// again in the same process: interrupts and the current directory.
TEST_F(HostileNamesTest, RunHardensTheProcessAndLeavesItOtherwiseAsItWas) {
  struct sigaction before[3] {};
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  for (int i = 0; i < 3; ++i) {
    sigaction(signals[i], nullptr, &before[i]);
  }
  const std::string directory = std::filesystem::current_path().string();
  const DialogResult result = RunDialog({"0", "log.txt", "a.txt", "1", "1", "key", "0"}, "");
  ASSERT_NE(result.output.find("has been encoded."), std::string::npos) << result.output;
  for (int i = 0; i < 3; ++i) {
    struct sigaction after {};
    sigaction(signals[i], nullptr, &after);
    EXPECT_EQ(after.sa_handler, before[i].sa_handler) << signals[i];
  }
  EXPECT_EQ(std::filesystem::current_path().string(), directory);
#if defined(__linux__)
  EXPECT_EQ(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
#endif
}

}  // namespace
