// Questions 5 and 6 inside the whole program, compared byte for byte from
// the confirmation of question 4 on.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/closing_lines.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::kEnglishEnd;
using testsupport::kEnglishTerminating;
using testsupport::kGermanEnd;
using testsupport::kGermanTerminating;

using testsupport::DialogResult;
using testsupport::LogLines;
using testsupport::ReadFile;
using testsupport::RunDialog;
using testsupport::ScratchDir;

const char* const kEnglishForm = "The dataset(s) will be encoded as single units.\n";
const char* const kGermanForm = "Die Datei(en) soll(en) einzeln verschl\x81sselt werden.\n";

const char* const kEnglishCharsetMenu =
    "Which character set you want to choose to enter the key?\n"
    "   1  ASCII characters (max. 256 characters)\n"
    "   2  hexadecimal characters\n"
    "      (max. 512 characters \"0\" to \"9\" and \"A\" to \"F\" respectively)\n"
    "   9  terminate the program.\n"
    "Please enter the corresponding number: ";
const char* const kGermanCharsetMenu =
    "Mit welchem Zeichensatz m\x94" "chten Sie den Schl\x81ssel eingeben?\n"
    "   1  ASCII-Zeichen (max. 256 Zeichen)\n"
    "   2  hexadezimale Zeichen\n"
    "      (max. 512 Zeichen \"0\" bis \"9\" bzw. \"A\" bis \"F\")\n"
    "   9  Programmabbruch.\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";
const char* const kEnglishEntryMenu =
    "In which way you want to enter the key?\n"
    "   0  twice via keyboard  w i t h o u t  echoing the input on the screen\n"
    "       (second time for controlling!)\n"
    "   1  once via keyboard  w i t h  screen control\n"
    "   2  via a dataset containing the key\n"
    "   9  terminate the program.\n"
    "Please enter the corresponding number: ";
const char* const kGermanEntryMenu =
    "In welchem Eingabe-Modus m\x94" "chten Sie die Schl\x81ssel-Zeichen eingeben?\n"
    "   0  zweimal \x81" "ber Tastatur  o h n e  Echo auf dem Bildschirm\n"
    "       (das 2. Mal zur Kontrolle!)\n"
    "   1  einmal \x81" "ber die Tastatur  m i t  Bildschirm-Kontrolle\n"
    "   2  \x81" "ber eine Datei, die den Schl\x81ssel enth\x84lt\n"
    "   9  Programmabbruch.\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";
const char* const kEnglishNameMenu =
    "In which way you want to enter the datasetname containing the key?\n"
    "   0  twice via keyboard  w i t h o u t  echoing the input on the screen\n"
    "       (second time for controlling!)\n"
    "   1  once via keyboard  w i t h  screen control\n"
    "   9  terminate the program.\n"
    "Please enter the corresponding number: ";
const char* const kGermanNameMenu =
    "Wie m\x94" "chten Sie den Namen der Datei, die den Schl\x81ssel enth\x84lt, eingeben?\n"
    "   0  zweimal \x81" "ber Tastatur  o h n e  Echo auf dem Bildschirm\n"
    "       (das 2. Mal zur Kontrolle!)\n"
    "   1  einmal \x81" "ber Tastatur  m i t  Bildschirm-Kontrolle\n"
    "   9  Programmabbruch.\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";
const char* const kEnglishRepeat =
    "Do you want\n"
    "   1  to repeat the current input process   or\n"
    "   9  to terminate the program ?\n"
    "Please enter the corresponding number: ";
const char* const kGermanRepeat =
    "Wollen Sie\n"
    "   1  den aktuellen Eingabeprozess wiederholen   oder\n"
    "   9  das Programm abbrechen ?\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";
const char* const kEnglishFirstKey =
    "Please enter your key in ASCII characters\n"
    " (end of key: press only return-button in line) once:\n";
const char* const kEnglishControlKey =
    "Please enter your key in ASCII characters\n"
    " (end of key: press only return-button in line) twice (control input):\n";
const char* const kEnglishNameTwice =
    "Please enter the name of the dataset containing the key the first time\n"
    " (empty input terminates the program)\n"
    "Please enter the name of the dataset containing the key the second time\n"
    " (control input):\n";

class KeyDialogTest : public ::testing::Test {
 protected:
  ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};

  void SetUp() override { testsupport::WriteFile(scratch.Path("a.txt"), "abc"); }

  // The text after `confirmation` (empty when it is missing).
  static std::string After(const std::string& output, const std::string& confirmation) {
    const std::size_t at = output.find(confirmation);
    return at == std::string::npos ? "" : output.substr(at + confirmation.size());
  }
  // The console of questions 5 and 6: after the confirmation of question 4,
  // up to the closing message of the key input and its empty line.
  static std::string KeyPart(const std::string& output, const std::string& confirmation,
                             int language) {
    const std::string end = language == 0 ? "End of input of the initial key.\n\n"
                                          : "Ende der Ausgangs-Schl\x81ssel -Eingabe.\n\n";
    const std::string after = After(output, confirmation);
    const std::size_t at = after.find(end);
    return at == std::string::npos ? after : after.substr(0, at + end.size());
  }
  // The log after the two confirmations of questions 3 and 4.
  std::string LogAfter(const std::string& confirmation) const {
    return After(ReadFile(scratch.Path("log.txt")), LogLines(confirmation));
  }
};

// Everything at the console: a wrong menu answer, the key twice without echo
// with a mismatch and its repetition.
TEST_F(KeyDialogTest, KeyTypedTwiceWithoutEchoInEnglish) {
  const DialogResult result = RunDialog(
      {"0", "log.txt", "a.txt", "1"}, "7\n1\n0\nKx9Qw\n\nKx9QX\n1\nKx9Qw\n\nKx9Qw\n\n");
  EXPECT_EQ(result.status, 2) << "the input ends at question 7";
  const std::string expected =
      std::string("\n") + kEnglishCharsetMenu +
      "Wrong input \xAF" "7\xAE, correction: "
      "The key is defined by ASCII characters.\n"
      "\n"
      "\n" +
      kEnglishEntryMenu + "\n\n" + kEnglishFirstKey + "\n" + kEnglishControlKey +
      "Control input and first input of the key are different.\n" + kEnglishRepeat +
      "Please repeat the whole input process for the key.\n"
      "\n" +
      kEnglishFirstKey + "\n" + kEnglishControlKey +
      "End of input of the initial key.\n"
      "\n";
  EXPECT_EQ(KeyPart(result.output, kEnglishForm, 0), expected);
  EXPECT_EQ(ReadFile(scratch.Path("log.txt")).find("Kx9Q"), std::string::npos);
}

// Parameter 5 invalid, parameter 6 an invalid hexadecimal key, then the key
// with echo: a blank at position 2, repeated, completed with a null digit.
TEST_F(KeyDialogTest, HexadecimalKeyWithEchoInGerman) {
  const DialogResult result =
      RunDialog({"1", "log.txt", "a.txt", "1", "9", "12x4"}, "2\n1\n1 2\n1\nabc\n\n");
  const std::string unbalanced =
      "Ungerade Anzahl hexadezimaler Zeichen: eine hexadezimale Null erg\x84nzt!\n";
  const std::string expected =
      std::string("\n") + "Der 5. in der Befehlszeile \x81" "bergebene Parameter ist ung\x81ltig.\n" +
      kGermanCharsetMenu +
      "Der Schl\x81ssel wird mit Hilfe von hexadezimalen Zeichen eingegeben.\n"
      "\n"
      "Der 6. in der Befehlszeile \x81" "bergebene Parameter ist ung\x81ltig.\n"
      "\n" +
      kGermanEntryMenu +
      "\n"
      "\n"
      "Geben Sie bitte Ihren Schl\x81ssel in hexadezimalen Zeichen\n"
      " (Schl\x81ssel-Ende: Leerzeile) ein:\n"
      "Falsches hexadezimales Zeichen \xAF \xAE an der Stelle   2.\n" +
      kGermanRepeat +
      "Wiederholen Sie bitte die hexadezimale Eingabe des gesamten Schl\x81ssels:\n"
      "\n"
      "Geben Sie bitte Ihren Schl\x81ssel in hexadezimalen Zeichen\n"
      " (Schl\x81ssel-Ende: Leerzeile) ein:\n" +
      unbalanced +
      "Ende der Ausgangs-Schl\x81ssel -Eingabe.\n"
      "\n";
  EXPECT_EQ(KeyPart(result.output, kGermanForm, 1), expected);
  EXPECT_TRUE(LogAfter(kGermanForm).starts_with(LogLines(unbalanced)));
}

// The key dataset's name typed twice without echo: names that differ in case,
// a dataset that does not exist, then one that does.
TEST_F(KeyDialogTest, KeyDatasetNamedTwiceWithoutEchoInEnglish) {
  testsupport::WriteFile(scratch.Path("key.txt"), "abc");
  const DialogResult result =
      RunDialog({"0", "log.txt", "a.txt", "1", "1"},
                "2\n0\nkey.txt\nKey.txt\nnone.txt\nnone.txt\nkey.txt\nkey.txt\n");
  const std::string expected =
      std::string("\n") + "The key is defined by ASCII characters.\n"
      "\n"
      "\n" +
      kEnglishEntryMenu + "\n\n" + kEnglishNameMenu + "\n\n" + kEnglishNameTwice +
      "Control input and first input of the datasetname are different.\n"
      "Please repeat the whole input process for the datasetname.\n"
      "\n" +
      kEnglishNameTwice +
      "The specified dataset doesn't exist!\n"
      "Please repeat the whole input process for the datasetname.\n"
      "\n" +
      kEnglishNameTwice +
      "\n"
      "End of input of the initial key.\n"
      "\n";
  EXPECT_EQ(KeyPart(result.output, kEnglishForm, 0), expected);
}

// "(name)" in parameter 6 naming a dataset that does not exist; the name
// typed once with echo, first wrong, then right.
TEST_F(KeyDialogTest, KeyDatasetNamedOnceWithEchoInGerman) {
  testsupport::WriteFile(scratch.Path("key.hex"), "4142\r\n");
  const DialogResult result = RunDialog({"1", "log.txt", "a.txt", "1", "2", "(none.txt)"},
                                        "2\n1\nnone.txt\nkey.hex\n");
  const std::string expected =
      std::string("\n") +
      "Der Schl\x81ssel wird mit Hilfe von hexadezimalen Zeichen eingegeben.\n"
      "\n"
      "Der 6. in der Befehlszeile \x81" "bergebene Parameter ist ung\x81ltig.\n"
      "\n" +
      kGermanEntryMenu + "\n\n" + kGermanNameMenu +
      "\n"
      "\n"
      "Geben Sie bitte den Namen der Datei an, die den Schl\x81ssel enth\x84lt\n"
      "  (Leereingabe = Programmabbruch):\n"
      "Die angegebene Datei existiert nicht!\n"
      "Geben Sie bitte einen g\x81ltigen Dateinamen an: "
      "Ende der Ausgangs-Schl\x81ssel -Eingabe.\n"
      "\n";
  EXPECT_EQ(KeyPart(result.output, kGermanForm, 1), expected);
}

TEST_F(KeyDialogTest, KeyDatasetInParameterWithoutClosingBracket) {
  testsupport::WriteFile(scratch.Path("key.txt"), "abc");
  const DialogResult result = RunDialog({"0", "log.txt", "a.txt", "1", "1", "(key.txt"}, "");
  EXPECT_EQ(KeyPart(result.output, kEnglishForm, 0),
            "\nThe key is defined by ASCII characters.\n"
            "\n"
            "\")\" at the end of 6. commandline-parameter completed !\n"
            "End of input of the initial key.\n"
            "\n");
}

// Every way of terminating inside questions 5 and 6, in both languages: the
// termination line on the console and in the log, then the closing lines.
TEST_F(KeyDialogTest, TerminationAtEveryQuestion) {
  struct Case {
    const char* name;
    std::vector<std::string> keyParameters;  // parameters 5 and 6
    std::string input;
    int status;  // 0 where the user chose to end, 2 where the input ended
  };
  const Case cases[] = {
      {"charset menu 9", {}, "9\n", 0},
      {"entry mode 9", {"1"}, "9\n", 0},
      {"name mode 9", {"1"}, "2\n9\n", 0},
      {"empty first name", {"1"}, "2\n0\n\n", 0},
      {"input ends at the hidden name", {"1"}, "2\n0\nkey.txt\n", 2},
      {"empty name with echo", {"1"}, "2\n1\nnone.txt\n\n", 0},
      {"wrong digit, then 9", {"2"}, "1\nz\n9\n", 0},
      {"mismatch, then 9", {"1"}, "0\nab\n\nac\n9\n", 0},
      {"input ends after the first input", {"1"}, "0\nab\n\n", 2},
  };
  for (int language : {0, 1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (language == 0 ? " (English)" : " (German)"));
      std::vector<std::string> parameters{language == 0 ? "0" : "1", "log.txt", "a.txt", "1"};
      parameters.insert(parameters.end(), c.keyParameters.begin(), c.keyParameters.end());
      const DialogResult result = RunDialog(parameters, c.input);
      EXPECT_EQ(result.status, c.status);
      const std::string terminating = language == 0 ? kEnglishTerminating : kGermanTerminating;
      const std::string end = terminating + (language == 0 ? kEnglishEnd : kGermanEnd);
      EXPECT_TRUE(result.output.ends_with(end)) << result.output;
      EXPECT_TRUE(ReadFile(scratch.Path("log.txt")).ends_with(LogLines(end)));
    }
  }
}

}  // namespace

// Key material is bytes, never converted: a key with an umlaut typed at a
// UTF-8 console is the same key as the same bytes in parameter 6.
TEST_F(KeyDialogTest, KeyWithUmlautTypedOrGivenIsTheSameKey) {
  testsupport::WriteFile(scratch.Path("b.txt"), "abc");
  const auto utf8 = platform::TextCharset::Utf8;
  RunDialog({"1", "log.txt", "a.txt", "1", "1"}, "1\nSchlüssel\n\n0\n", utf8);
  RunDialog({"1", "log.txt", "b.txt", "1", "1", "Schlüssel", "0"}, "", utf8);
  const std::string typed = ReadFile(scratch.Path("a.txt"));
  EXPECT_NE(typed, "abc");
  EXPECT_EQ(typed, ReadFile(scratch.Path("b.txt")));
}
