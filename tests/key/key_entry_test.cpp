// Questions 5 and 6 run alone on a RunState, so that the InitialKey they
// produce can be checked byte by byte.
#include "key/key_entry.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "key/key_steps.h"
#include "platform/file.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::ConsoleText;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::TemporaryFileWith;
using testsupport::WriteFile;

struct KeyRun {
  dialog::Flow flow = dialog::Flow::Stop;
  std::string output;  // the console from question 5 on
  std::string log;     // the control-information log
  std::string key;     // InitialKey positions 1..256
  int keyLength = 0;
  std::string keyDatasetName;
};

class KeyEntryTest : public ::testing::Test {
 protected:
  ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};

  // Runs questions 5 and 6 with `keyParameters` as parameters 5 and 6 (when
  // given) and `input` at the console, the log open.
  KeyRun Run(const std::vector<std::string>& keyParameters, const std::string& input,
             int language = 0) {
    std::vector<const char*> arguments{"tarvex5", "0", "log.txt", "a.txt", "1"};
    for (const std::string& parameter : keyParameters) {
      arguments.push_back(parameter.c_str());
    }
    auto state = std::make_unique<dialog::RunState>();
    std::FILE* in = TemporaryFileWith(input);
    std::FILE* out = TemporaryFileWith("");
    platform::OpenConsole(state->console, fileno(in), fileno(out));
    state->argumentCount = static_cast<int>(arguments.size()) - 1;
    state->arguments = arguments.data();
    state->Language = static_cast<std::uint8_t>(language);
    EXPECT_TRUE(platform::CreateOutputFile(state->ControlLog, "log.txt"));
    KeyRun run;
    run.flow = key::RunKeyEntry(*state);
    EXPECT_TRUE(platform::CloseOutputFile(state->ControlLog));
    run.output = ConsoleText(out);
    run.log = ReadFile(scratch.Path("log.txt"));
    run.key.assign(reinterpret_cast<const char*>(state->InitialKey) + 1, key::kKeySize);
    run.keyLength = state->KeyLength;
    run.keyDatasetName = std::string(platform::View(state->KeyDatasetName));
    std::fclose(in);
    std::fclose(out);
    return run;
  }
};

// `bytes` repeated over all 256 positions.
std::string Widened(const std::string& bytes) {
  std::string key;
  while (key.size() < 256) {
    key += bytes;
  }
  return key.substr(0, 256);
}

const std::string kDefaultKey(reinterpret_cast<const char*>(key::DefaultKey), 2);
const std::string kUnbalanced =
    "Unbalanced hexadecimal characters: a hexadecimal null-digit completed!\n";

TEST_F(KeyEntryTest, KeyFromTheCommandLine) {
  struct Case {
    std::vector<std::string> parameters;
    std::string key;     // the bytes entered
    bool unbalanced;     // the completion line on the console and in the log
  };
  const Case cases[] = {
      {{"1", "a b\x84"}, "a b\x84", false},
      {{"2", "0aFf"}, "\x0a\xff", false},
      {{"2", "aB1"}, "\xab\x10", true},
      {{"1", std::string(300, 'k')}, std::string(255, 'k'), false},
      {{"2", std::string(255, '7')}, std::string(127, '\x77') + "\x70", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters[1].substr(0, 20));
    const KeyRun run = Run(c.parameters, "");
    ASSERT_EQ(run.flow, dialog::Flow::Go) << run.output;
    EXPECT_EQ(run.keyLength, static_cast<int>(c.key.size()));
    EXPECT_EQ(run.key, Widened(c.key));
    EXPECT_EQ(run.output.find(kUnbalanced) != std::string::npos, c.unbalanced) << run.output;
    EXPECT_EQ(run.log, c.unbalanced ? testsupport::LogLines(kUnbalanced) : "");
    EXPECT_EQ(run.output.find("In which way"), std::string::npos);
  }
}

// ASCII and hexadecimal keys typed with echo (answer 1): line ends are no part
// of the key, two in a row end it, and so do the 256th byte and the input's end.
TEST_F(KeyEntryTest, KeyTypedAtTheKeyboard) {
  struct Case {
    const char* name;
    std::string charset;
    std::string input;  // after the entry-mode answer
    std::string key;
  };
  const Case cases[] = {
      {"three bytes widened", "1", "abc\n\n", "abc"},
      {"lines joined, blanks kept", "1", "\nab \n c\n\nnot read\n", "ab  c"},
      {"CR LF line ends", "1", "ab\r\ncd\r\n\r\n", "abcd"},
      {"lone CR line ends", "1", "ab\rcd\r\r", "abcd"},
      {"end of input ends the key", "1", "xyz", "xyz"},
      {"two empty lines", "1", "\n\n", kDefaultKey},
      {"no input at all", "1", "", kDefaultKey},
      {"byte 256 ends the key", "1", std::string(300, 'q') + "\n\n", std::string(256, 'q')},
      {"digits split over lines", "2", "a\nB\n\n", "\xab"},
      {"odd digit completed", "2", "123\n\n", "\x12\x30"},
      {"512 digits", "2", std::string(600, 'C') + "\n\n", std::string(256, '\xcc')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const KeyRun run = Run({c.charset}, "1\n" + c.input);
    ASSERT_EQ(run.flow, dialog::Flow::Go) << run.output;
    EXPECT_EQ(run.keyLength, static_cast<int>(c.key.size()));
    EXPECT_EQ(run.key, Widened(c.key));
    EXPECT_TRUE(run.output.ends_with("End of input of the initial key.\n\n")) << run.output;
  }
}

// A line longer than the free key positions: the rest of it is not taken as
// the answer to the next question, nor as the start of the control input.
TEST_F(KeyEntryTest, RestOfTheLineHoldingByte256IsDropped) {
  const std::string line = std::string(256, 'k') + "surplus\n";
  const KeyRun run = Run({"1"}, "0\n" + line + line + "\n");
  ASSERT_EQ(run.flow, dialog::Flow::Go) << run.output;
  EXPECT_EQ(run.key, std::string(256, 'k'));
  EXPECT_EQ(run.output.find("different"), std::string::npos) << run.output;
}

TEST_F(KeyEntryTest, ControlInputIsComparedByteByByte) {
  struct Case {
    const char* name;
    std::string control;
    std::string unreadAfterMismatch;  // what remains for the repeat question
  };
  // The first input is "abcd" on two lines.
  const Case cases[] = {
      {"third byte differs", "ab\nXd\nzz\n", "zz\n"},
      {"one byte longer", "ab\ncde\nzz\n", "zz\n"},
      {"one byte shorter", "ab\nc\n\n", ""},
  };
  for (const Case& c : cases) {
    for (const std::string lineEnd : {"\n", "\r\n"}) {
      SCOPED_TRACE(std::string(c.name) + (lineEnd == "\n" ? "" : ", CR LF"));
      // After the mismatch: "zz" (when still unread) is a wrong answer, shown
      // masked as it may have been typed in secret; 9 ends.
      std::string input = "0\nab\ncd\n\n" + c.control + "9\n";
      for (std::size_t at = input.find('\n'); at != std::string::npos; at = input.find('\n', at + 2)) {
        input.replace(at, 1, lineEnd);
      }
      const KeyRun run = Run({"1"}, input);
      EXPECT_EQ(run.flow, dialog::Flow::Stop);
      const std::string expected =
          "Control input and first input of the key are different.\n"
          "Do you want\n"
          "   1  to repeat the current input process   or\n"
          "   9  to terminate the program ?\n"
          "Please enter the corresponding number: " +
          std::string(c.unreadAfterMismatch.empty() ? "" : "Wrong input \xAF**\xAE, correction: ") +
          "  T e r m i n a t i n g   p r o g r a m !  \n";
      EXPECT_TRUE(run.output.ends_with(expected)) << run.output;
    }
  }
}

// Both inputs are made again after a mismatch or a wrong digit in the control
// input; the key is the last first input.
TEST_F(KeyEntryTest, RepeatedInputsGiveTheLastKey) {
  const KeyRun mismatch = Run({"1"}, "0\nold\n\nolx\n1\nnew\n\nnew\n\n");
  ASSERT_EQ(mismatch.flow, dialog::Flow::Go) << mismatch.output;
  EXPECT_EQ(mismatch.key, Widened("new"));
  const KeyRun wrongDigit = Run({"2"}, "0\n0102\n\n01g\n1\nab\n\nab\n\n");
  ASSERT_EQ(wrongDigit.flow, dialog::Flow::Go) << wrongDigit.output;
  EXPECT_EQ(wrongDigit.key, Widened("\xab"));
  // Typed without echo: the wrong character is not shown either.
  EXPECT_NE(wrongDigit.output.find("Wrong hexadecimal character \xAF*\xAE at position    3.\n"),
            std::string::npos);
  EXPECT_EQ(wrongDigit.output.find("\xAFg\xAE"), std::string::npos);
}

TEST_F(KeyEntryTest, AsciiKeyDataset) {
  struct Case {
    const char* name;
    std::string content;
    std::string key;
  };
  const std::string line1(100, '1'), line2(100, '2'), line3(100, '3');
  const Case cases[] = {
      {"three lines of 100", line1 + "\r\n" + line2 + "\r\n" + line3 + "\r\n",
       line1 + line2 + line3.substr(0, 56)},
      {"empty line skipped, blanks kept", "ab\r\n\r\n  \r\ncd", "ab  cd"},
      // Each lone LF counts as CR LF: reading stops a byte before the end.
      {"lone LF", "ab\ncd", "abc"},
      {"control characters are key bytes", "a\x1a\tb", "a\x1a\tb"},
      {"only line ends", "\r\n\r\n", kDefaultKey},
      {"empty", "", kDefaultKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(scratch.Path("key.txt"), c.content);
    const KeyRun run = Run({"1", "(key.txt)"}, "");
    ASSERT_EQ(run.flow, dialog::Flow::Go) << run.output;
    EXPECT_EQ(run.keyLength, static_cast<int>(c.key.size()));
    EXPECT_EQ(run.key, Widened(c.key));
    EXPECT_EQ(run.keyDatasetName, scratch.Path("key.txt"));
  }
}

TEST_F(KeyEntryTest, HexadecimalKeyDataset) {
  struct Case {
    const char* name;
    std::string content;
    std::string key;
    bool unbalanced;
  };
  const Case cases[] = {
      {"digits split over lines", "\r\n1\r\n\r\n2a\nB\r\nc", "\x12\xab\xc0", true},
      {"1000 digits", std::string(1000, 'e'), std::string(256, '\xee'), false},
      {"Ctrl-Z ends the dataset", "0102\x1azz", "\x01\x02", false},
      {"only line ends", "\n\r\n", kDefaultKey, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(scratch.Path("key.hex"), c.content);
    const KeyRun run = Run({"2", "(key.hex)"}, "");
    ASSERT_EQ(run.flow, dialog::Flow::Go) << run.output;
    EXPECT_EQ(run.key, Widened(c.key));
    EXPECT_EQ(run.log, c.unbalanced ? testsupport::LogLines(kUnbalanced) : "");
  }
}

TEST_F(KeyEntryTest, WrongCharacterInHexadecimalKeyDatasetEndsTheProgram) {
  WriteFile(scratch.Path("key.hex"), "AG12");
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    const KeyRun run = Run({"2", "(key.hex"}, "", language);
    EXPECT_EQ(run.flow, dialog::Flow::Stop);
    const std::string path = scratch.Path("key.hex");
    const std::string lines =
        language == 0 ? "Wrong hexadecimal character \xAFG\xAE in the dataset containing the key \n" +
                            path + " at position    2.\n"
                            "Therefore no datasets will be processed.\n"
                            "  T e r m i n a t i n g   p r o g r a m !  \n"
                      : "Falsches hexadezimales Zeichen \xAFG\xAE in der Schl\x81ssel-Datei \n" + path +
                            " an der Stelle    2.\n"
                            "Es werden daher keine Dateien bearbeitet.\n"
                            "  P r o g r a m m a b b r u c h !  \n";
    EXPECT_TRUE(run.output.ends_with(lines)) << run.output;
    EXPECT_EQ(run.log, testsupport::LogLines(lines));
  }
}

}  // namespace
