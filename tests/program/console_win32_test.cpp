// What the console and the command line are on Windows: lines that end in CR
// LF, and parameters and redirected output in UTF-8.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

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

// The command line is read as wide text and kept as UTF-8, without loss: «
// and » select a directory with its subdirectories, and redirected output is
// UTF-8.
TEST(WindowsProgram, ParametersArriveWithoutLossAndRedirectedOutputIsUtf8) {
  ScratchDir scratch;
  std::filesystem::create_directories(scratch.Path("data\\sub"));
  testsupport::WriteFile(scratch.Path("data\\sub\\a.txt"), "plain");
  const testsupport::ProgramResult result = testsupport::RunProgramBinary(
      {"0", "log.txt", "\xC2\xAB" "data\xC2\xBB", "1", "1", "key", "0"}, "", scratch.path);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_NE(result.output.find("The datasets of the directory \xC2\xBB" "data\xC2\xAB\n"
                               " and these of all subdirectories of lower steps will be processed."),
            std::string::npos)
      << result.output;
  EXPECT_NE(testsupport::ReadFile(scratch.Path("data\\sub\\a.txt")), "plain");
}

// A key character is the byte the machine's OEM code page gives it, as keys
// typed on Windows have always been (ä is 0x84 in 437 and 850); one the code
// page lacks makes the key invalid, never "?". The log is UTF-8 with a BOM.
TEST(WindowsProgram, KeyCharactersAreOemBytesAndTheLogIsUtf8WithABom) {
  ScratchDir scratch;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    testsupport::WriteFile(scratch.Path(name), "plain text");
  }
  const auto run = [&](const std::string& dataset, const std::string& charset, const std::string& key) {
    return testsupport::RunProgramBinary({"0", "log.txt", dataset, "1", charset, key, "0"}, "", scratch.path);
  };
  run("a.txt", "1", "\xC3\xA4");  // ä
  run("b.txt", "2", "84");
  EXPECT_NE(testsupport::ReadFile(scratch.Path("a.txt")), "plain text");
  EXPECT_EQ(testsupport::ReadFile(scratch.Path("a.txt")), testsupport::ReadFile(scratch.Path("b.txt")));
  const testsupport::ProgramResult euro = run("c.txt", "1", "\xE2\x82\xAC");  // €
  EXPECT_NE(euro.output.find("code page lacks:\n please enter it in hexadecimal characters or take a key dataset."),
            std::string::npos)
      << euro.output;
  EXPECT_EQ(testsupport::ReadFile(scratch.Path("c.txt")), "plain text");
  std::filesystem::rename(scratch.Path("c.txt"), std::filesystem::path(scratch.Path("")) / L"\u00e4rger.txt");
  testsupport::RunProgramBinary({"0", "log.txt", "\xC3\xA4*.txt", "1", "1", "K", "0"}, "", scratch.path);
  const std::string log = testsupport::ReadFile(scratch.Path("log.txt"));
  EXPECT_EQ(log.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(log.find("The dataset \xC2\xBB\xC3\xA4rger.txt\xC2\xAB has been encoded.\r\n"), std::string::npos) << log;
}

// The characters of the overlay information, from parameter 12 or typed, are
// code-page bytes as the key's are: ä is the byte 84 of the hexadecimal form,
// in every notation that takes characters. One the code page lacks makes the
// information wrong, never "?"; a code-page byte in a message is shown as the
// character that was typed.
TEST(WindowsProgram, OverlayCharactersAreOemBytes) {
  ScratchDir scratch;
  testsupport::DirectoryGuard inScratch(scratch.path);
  const auto run = [](const std::string& language, const std::string& dataset, const std::string& form,
                      const std::vector<std::string>& information, const std::string& input) {
    testsupport::WriteFile(dataset, "plain text");
    std::vector<std::string> parameters = {language, "log.txt", dataset, "1", "1", "key", form, "1", "256", "0", "255"};
    parameters.insert(parameters.end(), information.begin(), information.end());
    return testsupport::RunDialog(parameters, input, platform::TextCharset::Utf8);
  };
  struct SameKey {
    const char* form;
    std::vector<std::string> information;
    const char* input;
  };
  const SameKey sameKeys[] = {
      {"1", {"67:\xC3\xA4"}, ""},  // position 67 takes ä
      {"4", {"43:\xC3\xA4"}, ""},
      {"7", {"B\xC3\xA4"}, ""},  // B is 66: position 67
      {"1", {}, "1\n67:\xC3\xA4\n\n"},
  };
  run("0", "hex.txt", "2", {"67:84"}, "");
  const std::string hexEncoded = testsupport::ReadFile("hex.txt");
  ASSERT_NE(hexEncoded, "plain text");
  for (const SameKey& row : sameKeys) {
    run("0", "a.txt", row.form, row.information, row.input);
    EXPECT_EQ(testsupport::ReadFile("a.txt"), hexEncoded) << "form " << row.form << " " << row.input;
  }
  struct Wrong {
    const char* language;
    std::vector<std::string> information;
    const char* input;
    const char* message;
  };
  const Wrong wrongs[] = {
      {"0", {"1:\xE2\x82\xAC"}, "",  // €
       "The 12. commandline-parameter is invalid.\n"
       "The 3. information character is not in this system's code page:\n"
       " please write its value in decimal or hexadecimal or take an overlay dataset.\n"},
      {"1", {"1:\xE2\x82\xAC"}, "",
       "Der 12. in der Befehlszeile \xC3\xBC" "bergebene Parameter ist ung\xC3\xBCltig.\n"
       "Das 3. Info-Zeichen fehlt in der Codepage dieses Systems:\n"
       " geben Sie seinen Wert bitte dezimal oder hexadezimal an oder nehmen Sie\n"
       " eine \xC3\x9C" "berlade-Datei.\n"},
      {"0", {}, "1\n1:\xE2\x82\xAC\n",
       "The 3. information character is not in this system's code page:\n"},
      {"0", {"1:a\xC3\xA4"}, "",
       "Wrong information character \xC2\xBB\xC3\xA4\xC2\xAB as separate character at position 4.\n"},
  };
  for (const Wrong& row : wrongs) {
    const testsupport::DialogResult result = run(row.language, "b.txt", "1", row.information, row.input);
    EXPECT_NE(result.output.find(row.message), std::string::npos) << result.output;
    EXPECT_EQ(testsupport::ReadFile("b.txt"), "plain text");
  }
}

}  // namespace
