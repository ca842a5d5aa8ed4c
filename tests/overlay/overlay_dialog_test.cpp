// Questions 7 to 12 run in-process on scripted console input after a key
// entry, compared byte for byte, with the key they leave behind.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/run_state.h"
#include "overlay/overlay.h"
#include "platform/file.h"
#include "support/closing_lines.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::kEnglishEnd;
using testsupport::kEnglishTerminating;
using testsupport::kGermanEnd;
using testsupport::kGermanTerminating;

using testsupport::ConsoleText;
using testsupport::LogLines;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::TemporaryFileWith;
using testsupport::WriteFile;

// Position p of the key starts as the byte p + 99, so every change shows.
int KeyByteBefore(int position) { return (position + 99) % 256; }

struct Outcome {
  bool stopped = false;
  std::string console;
  std::string log;
  std::uint8_t key[257] = {};
};


const char* const kEnglishFormMenu =
    "\n"
    "Is the initial key to be overlayed?\n"
    "   0   no, no overlay of the initial key\n"
    "   1   yes, in form of \"<byteno-dec>:<charactr>,\"\n"
    "   2   yes, in form of \"<byteno-dec>:<hexvalue>,\"\n"
    "   3   yes, in form of \"<byteno-dec>:<decvalue>,\"\n"
    "   4   yes, in form of \"<byteno-hex>:<charactr>,\"\n"
    "   5   yes, in form of \"<byteno-hex>:<hexvalue>,\"\n"
    "   6   yes, in form of \"<byteno-hex>:<decvalue>,\"\n"
    "   7   yes, in form of a serial bytestring\n"
    "   9   terminate the program.\n"
    "Please enter the corresponding number: ";
const char* const kGermanFormMenu =
    "\n"
    "Sollen Schl\x81sselangaben \x81" "berladen werden?\n"
    "   0   nein, keine Schl\x81sselangaben-\x9A" "berladung\n"
    "   1   ja, in der Form \"<bytenr-dez>:<zeichen>,\"\n"
    "   2   ja, in der Form \"<bytenr-dez>:<hexwert>,\"\n"
    "   3   ja, in der Form \"<bytenr-dez>:<dezwert>,\"\n"
    "   4   ja, in der Form \"<bytenr-hex>:<zeichen>,\"\n"
    "   5   ja, in der Form \"<bytenr-hex>:<hexwert>,\"\n"
    "   6   ja, in der Form \"<bytenr-hex>:<dezwert>,\"\n"
    "   7   ja, in Form einer fortlaufenden Zeichenkette\n"
    "   9   Programmabbruch.\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";

const char* const kEnglishModeMenu =
    "\n"
    "In which way you want to enter the overlay information?\n"
    "   0  twice via keyboard  w i t h o u t  echoing the input on the screen\n"
    "       (second time for controlling!)\n"
    "   1  once via keyboard  w i t h  screen control\n"
    "   2  via a dataset containing the overlay information\n"
    "   9  terminate the program.\n"
    "Please enter the corresponding number: ";
const char* const kGermanModeMenu =
    "\n"
    "In welchem Eingabe-Modus m\x94" "chten Sie die \x9A" "berladeinformationen eingeben?\n"
    "   0  zweimal \x81" "ber Tastatur  o h n e  Echo auf dem Bildschirm\n"
    "       (das 2. Mal zur Kontrolle!)\n"
    "   1  einmal \x81" "ber die Tastatur  m i t  Bildschirm-Kontrolle\n"
    "   2  \x81" "ber eine Datei, die die \x9A" "berladeinformation enth\x84lt\n"
    "   9  Programmabbruch.\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";

const char* const kEnglishRepeat =
    "Do you want\n"
    "   1  to repeat the current input process   or\n"
    "   9  to terminate the program ?\n"
    "Please enter the corresponding number: ";

const char* const kFullLimits[] = {"1", "256", "0", "255"};

class OverlayDialogTest : public ::testing::Test {
 protected:
  ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};

  // Runs questions 7 to 12 with `parameters` as parameters 7 onwards, after
  // a key entry that left every position p holding KeyByteBefore(p).
  Outcome Run(int language, const std::vector<std::string>& parameters, const std::string& input) {
    std::vector<const char*> arguments = {"tarvex5", "0", "log.txt", "a.txt", "1", "1", "abc"};
    for (const std::string& parameter : parameters) {
      arguments.push_back(parameter.c_str());
    }
    auto state = std::make_unique<dialog::RunState>();
    std::FILE* in = TemporaryFileWith(input);
    std::FILE* out = TemporaryFileWith("");
    platform::OpenConsole(state->console, fileno(in), fileno(out));
    state->Language = static_cast<std::uint8_t>(language);
    state->arguments = arguments.data();
    state->argumentCount = static_cast<int>(arguments.size()) - 1;
    EXPECT_TRUE(platform::CreateOutputFile(state->ControlLog, scratch.Path("log.txt").c_str()));
    for (int position = 1; position <= 256; ++position) {
      state->InitialKey[position] = static_cast<std::uint8_t>(KeyByteBefore(position));
    }
    Outcome outcome;
    outcome.stopped = overlay::RunOverlay(*state) == dialog::Flow::Stop;
    EXPECT_TRUE(platform::CloseOutputFile(state->ControlLog));
    outcome.console = ConsoleText(out);
    outcome.log = ReadFile(scratch.Path("log.txt"));
    std::copy(std::begin(state->InitialKey), std::end(state->InitialKey), outcome.key);
    std::fclose(in);
    std::fclose(out);
    return outcome;
  }

  // Parameters 7 to 11 for `form` with limits that let every pair through.
  static std::vector<std::string> Open(const std::string& form) {
    return {form, kFullLimits[0], kFullLimits[1], kFullLimits[2], kFullLimits[3]};
  }
  static std::vector<std::string> Open(const std::string& form, const std::string& information) {
    std::vector<std::string> parameters = Open(form);
    parameters.push_back(information);
    return parameters;
  }
};

void ExpectKey(const Outcome& outcome, const std::map<int, int>& changed) {
  for (int position = 1; position <= 256; ++position) {
    const auto found = changed.find(position);
    const int expected = found == changed.end() ? KeyByteBefore(position) : found->second;
    EXPECT_EQ(outcome.key[position], expected) << "position " << position;
  }
}

// What stands on the console from the start of `marker` on.
std::string From(const std::string& text, const std::string& marker) {
  const std::size_t at = text.find(marker);
  return at == std::string::npos ? "(not found: " + marker + ")\n" + text : text.substr(at);
}

TEST_F(OverlayDialogTest, EveryQuestionAskedWithCorrections) {
  struct Case {
    int language;
    std::string expected;
  };
  const Case cases[] = {
      {0, std::string(kEnglishFormMenu) +
              "Wrong input \xAF" "8\xAE, correction: "
              "The overlay information is in form of \"<byteno-dec>:<charactr>,\".\n"
              "\n"
              "\n"
              "Please enter the lower and the upper limit of positions in the key,\n"
              " which may be changed by overlay informations:\n"
              "  lower limit of positions (1 to 256 (0=termination)): "
              "Wrong input \xAFx\xAE, correction: Wrong input \xAF" "300\xAE, correction: "
              "  upper limit of positions (5 to 256 (0=termination)): "
              "Wrong input \xAF" "4\xAE, correction: "
              "The initial key may be changed by overlay informations\n"
              " from position 5 to position 6.\n"
              "\n"
              "\n"
              "Please enter the lower and upper limit of values \n"
              " the key may be changed by overlay informations (in decimal form):\n"
              "  lower limit of values (0 to 255 (-1=termination)): "
              "Wrong input \xAF-2\xAE, correction: "
              "  upper limit of values (97 to 255 (-1=termination)): "
              "Wrong input \xAF" "96\xAE, correction: "
              "The initial key may be changed by overlay informations\n"
              " from value 97 to value 122.\n"
              "\n" +
              kEnglishModeMenu +
              "\n"
              "\n"
              "Please enter the overlay information in form of \"<byteno-dec>:<charactr>,\"\n"
              " (end of overlay information: press only return-button in line):\n"
              "End of input of the overlay information.\n"
              "\n"},
      {1, std::string(kGermanFormMenu) +
              "Falsche Eingabe \xAF" "8\xAE, Korrektur: "
              "Die \x9A" "berladeinformationen liegen in der Form \"<bytenr-dez>:<zeichen>,\" vor.\n"
              "\n"
              "\n"
              "Geben Sie bitte das Intervall zu ber\x81" "cksichtigender Stellen\n"
              " im Schl\x81ssel an, die \x81" "berladen werden d\x81rfen:\n"
              "  kleinste m\x94gliche Stellenangabe (1 bis 256 (0=Abbruch)): "
              "Falsche Eingabe \xAFx\xAE, Korrektur: Falsche Eingabe \xAF" "300\xAE, Korrektur: "
              "  gr\x94\xE1te m\x94gliche Stellenangabe (5 bis 256 (0=Abbruch)): "
              "Falsche Eingabe \xAF" "4\xAE, Korrektur: "
              "Schl\x81ssel-Stellen d\x81rfen von Stelle 5 bis Stelle 6 \x81" "berladen werden.\n"
              "\n"
              "\n"
              "Geben Sie bitte das Intervall zu ber\x81" "cksichtigender Werte an, mit denen\n"
              " die Stellen im Schl\x81ssel \x81" "berladen werden d\x81rfen (in Dezimal-Darstellung):\n"
              "  kleinste m\x94gliche Wertangabe (0 bis 255 (-1=Abbruch)): "
              "Falsche Eingabe \xAF-2\xAE, Korrektur: "
              "  gr\x94\xE1te m\x94gliche Wertangabe (97 bis 255 (-1=Abbruch)): "
              "Falsche Eingabe \xAF" "96\xAE, Korrektur: "
              "Die Werte, mit denen Schl\x81ssel-Stellen \x81" "berladen werden d\x81rfen,\n"
              " liegen im Intervall von 97 bis 122.\n"
              "\n" +
              kGermanModeMenu +
              "\n"
              "\n"
              "Geben Sie bitte Ihre \x9A" "berladeinformation in der Form \"<bytenr-dez>:<zeichen>,\"\n"
              " (Info-Ende: Leerzeile) ein:\n"
              "Ende der \x9A" "berlade-Informations-Eingabe.\n"
              "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    const Outcome outcome =
        Run(c.language, {}, "8\n1\nx\n300\n5\n4\n6\n-2\n97\n96\n122\n1\n1:a,5:b,6:c,7:d,5:z\n\n");
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(outcome.console, c.expected);
    // Only positions 5 and 6 may change, and only to small letters; the later
    // pair for 5 wins.
    ExpectKey(outcome, {{5, 'z'}, {6, 'c'}});
    EXPECT_EQ(outcome.log, "");
  }
}

TEST_F(OverlayDialogTest, LimitParametersAreTakenOrAskedInPairs) {
  const std::string positionsAsked =
      "\nPlease enter the lower and the upper limit of positions in the key,\n";
  const std::string valuesAsked = "\nPlease enter the lower and upper limit of values \n";
  struct Case {
    std::vector<std::string> parameters;
    std::string input;
    std::string expected;  // follows the form's confirmation
  };
  const Case cases[] = {
      {{"3", "10", "5"}, "0\n", "\nThe 8. or 9. commandline-parameter is invalid.\n" + positionsAsked},
      {{"3", "10"}, "0\n", "\nThe 8. or 9. commandline-parameter is invalid.\n" + positionsAsked},
      {{"3", "0", "5"}, "0\n", "\nThe 8. or 9. commandline-parameter is invalid.\n" + positionsAsked},
      {{"3", "", "5"}, "0\n", "\n" + positionsAsked},
      {{"3", "5", "5", "x", "7"}, "-1\n",
       "\nThe initial key may be changed by overlay informations\n"
       " from position 5 to position 5.\n"
       "\n"
       "The 10. or 11. commandline-parameter is invalid.\n" +
           valuesAsked},
      {{"3", " +5", "256", "255", "255", "5:1"}, "",
       "\nThe initial key may be changed by overlay informations\n"
       " from position 5 to position 256.\n"
       "\n"
       "The initial key may be changed by overlay informations\n"
       " from value 255 to value 255.\n"
       "\n"
       "End of input of the overlay information.\n"
       "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters.size() > 1 ? c.parameters[1] : "");
    const Outcome outcome = Run(0, c.parameters, c.input);
    const std::string form = "The overlay information is in form of \"<byteno-dec>:<decvalue>,\".\n";
    EXPECT_EQ(outcome.console.substr(0, form.size() + c.expected.size()), form + c.expected);
  }
}

TEST_F(OverlayDialogTest, TerminationAtEveryQuestion) {
  struct Case {
    int language;
    std::vector<std::string> parameters;
    std::string input;
  };
  const Case cases[] = {
      {0, {}, "9\n"},
      {1, {"9"}, "9\n"},
      {0, {"1"}, "0\n"},
      {0, {"1"}, "5\n0\n"},
      {1, {"1", "1", "256"}, "-1\n"},
      {0, {"1", "1", "256"}, "0\n-1\n"},
      {1, Open("1"), "9\n"},
      {0, Open("1", "(missing.txt)"), "2\n9\n"},
      {0, Open("1"), ""},  // the end of the input ends the program
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    const Outcome outcome = Run(c.language, c.parameters, c.input);
    EXPECT_TRUE(outcome.stopped);
    const std::string termination = c.language == 0 ? kEnglishTerminating : kGermanTerminating;
    EXPECT_EQ(outcome.console.substr(outcome.console.size() - termination.size()), termination);
    EXPECT_EQ(outcome.log, LogLines(termination));
  }
}

TEST_F(OverlayDialogTest, FormParameterNineOrEightIsInvalidAndZeroSkipsTheRest) {
  for (const char* form : {"9", "8", "x"}) {
    SCOPED_TRACE(form);
    const Outcome outcome = Run(0, {form}, "0\n");
    EXPECT_EQ(outcome.console, "The 7. commandline-parameter is invalid.\n" +
                                   std::string(kEnglishFormMenu) +
                                   "There is no overlay information for the initial key.\n\n");
  }
  const Outcome outcome = Run(1, {"0", "x", "y", "z", "w", "1:a"}, "");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(outcome.console, "Es findet keine Schl\x81sselangaben-\x9A" "berladung statt.\n\n");
  ExpectKey(outcome, {});
}

// Parameter 12: each message on the console and in the log, after the
// invalid-parameter line; then the entry mode is asked.
TEST_F(OverlayDialogTest, ParameterMessagesInBothLanguages) {
  struct Case {
    int language;
    std::string form;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {0, "3", "300:1", "The position value \xAF" "300\xAE up to the 3. information character is greater than 256.\n"},
      {1, "3", "300:1", "Die bisherige Stellen-Angabe \xAF" "300\xAE bis zum 3. Info-Zeichen ist gr\x94\xE1" "er 256.\n"},
      {0, "1", "ff:x", "Wrong information character \xAF" "F\xAE as decimal position value\n"
                       " / separate character at position 1.\n"},
      {1, "1", "ff:x", "Falsches dezimales Stellen-/Trennzeichen \xAF" "F\xAE als 1. Info-Zeichen.\n"},
      {0, "4", "1g", "Wrong information character \xAFG\xAE as hexadecimal position value\n"
                     " / separate character at position 2.\n"},
      {1, "4", "1g", "Falsches hexadezimales Stellen-/Trennzeichen \xAFG\xAE als 2. Info-Zeichen.\n"},
      {0, "3", "1:1,0:1", "Wrong overlay information up to the 6. information character.\n"},
      {1, "3", "1:1,0:1", "Ung\x81ltige \x9A" "berladeinformation bis zum 6. Info-Zeichen.\n"},
      {0, "1", "5:A;", "Wrong information character \xAF;\xAE as separate character at position 4.\n"},
      {1, "1", "5:A;", "Falsches Trennzeichen \xAF;\xAE als 4. Info-Zeichen.\n"},
      {0, "3", "12:256", "The value information \xAF" "256\xAE up to the 6. information character is greater than 255.\n"},
      {1, "3", "12:256", "Die bisherige Wert-Angabe \xAF" "256\xAE bis zum 6. Info-Zeichen ist gr\x94\xE1" "er 255.\n"},
      {0, "6", "1:1a", "Wrong information character \xAF" "A\xAE as decimal value character\n"
                       " / separate character at position 4.\n"},
      {1, "6", "1:1a", "Falsches dezimales Wert-/Trennzeichen \xAF" "A\xAE als 4. Info-Zeichen.\n"},
      {0, "5", "1:x", "Wrong information character \xAFX\xAE as hexadecimal value character\n"
                      " / separate character at position 3.\n"},
      {1, "5", "1:x", "Falsches hexadezimales Wert-/Trennzeichen \xAFX\xAE als 3. Info-Zeichen.\n"},
      {0, "7", "ABC", "Missing value character after the 3. information character.\n"},
      {1, "7", "ABC", "Fehlendes Werte-Zeichen hinter dem 3. Info-Zeichen.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Outcome outcome = Run(c.language, Open(c.form, c.text), "9\n");
    const std::string invalid = c.language == 0
                                    ? "The 12. commandline-parameter is invalid.\n"
                                    : "Der 12. in der Befehlszeile \x81" "bergebene Parameter ist ung\x81ltig.\n";
    const std::string menu = c.language == 0 ? kEnglishModeMenu : kGermanModeMenu;
    EXPECT_EQ(From(outcome.console, invalid.substr(0, 7)), invalid + c.message + "\n" + menu +
                                                            (c.language == 0 ? kEnglishTerminating
                                                                             : kGermanTerminating));
    EXPECT_EQ(outcome.log.substr(0, LogLines(invalid + c.message).size()), LogLines(invalid + c.message));
  }
}

// A rejected parameter leaves nothing behind: its pairs before the error are
// undone before the information is asked.
TEST_F(OverlayDialogTest, RejectedParameterIsUndoneAndEmptyParameterIsAccepted) {
  Outcome outcome = Run(0, Open("1", "1:a,2"), "1\n3:c\n\n");
  EXPECT_FALSE(outcome.stopped);
  ExpectKey(outcome, {{3, 'c'}});

  outcome = Run(0, Open("1", ""), "");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(From(outcome.console, " from value"),
            " from value 0 to value 255.\n\nEnd of input of the overlay information.\n\n");
  ExpectKey(outcome, {});

  outcome = Run(0, Open("7", std::string("\x04Q\xFF" "Z", 4)), "");
  ExpectKey(outcome, {{5, 'Q'}, {256, 'Z'}});
}

TEST_F(OverlayDialogTest, TwiceWithoutEchoWithControlInput) {
  // Accepted: the control input repeats only the first pair.
  Outcome outcome = Run(0, Open("1"), "0\n1:a,2:b\n\n1:a\n\n");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(From(outcome.console, "Please enter the overlay"),
            "Please enter the overlay information in form of \"<byteno-dec>:<charactr>,\"\n"
            " (end of overlay information: press only return-button in line) once:\n"
            "\n"
            "Please enter the overlay information in form of \"<byteno-dec>:<charactr>,\"\n"
            " (end of overlay information: press only return-button in line) twice (control input):\n"
            "End of input of the overlay information.\n"
            "\n");
  ExpectKey(outcome, {{1, 'a'}, {2, 'b'}});

  // A control pair for a position the first input left alone passes when it
  // names the key's own byte there.
  outcome = Run(0, Open("3"), "0\n1:7\n\n1:7,9:108\n\n");
  ExpectKey(outcome, {{1, 7}});
  EXPECT_FALSE(outcome.stopped);

  // A differing pair is reported at once; both inputs are made again from the
  // key as it was before the first input.
  outcome = Run(0, Open("1"), "0\n1:a,2:b\n\n1:x,\n1\n3:c\n\n3:c\n\n");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(From(outcome.console, "Control input"),
            "Control input and first input of the overlay information are different.\n" +
                std::string(kEnglishRepeat) +
                "Please reenter the input of the whole overlay information:\n"
                "\n"
                "Please enter the overlay information in form of \"<byteno-dec>:<charactr>,\"\n"
                " (end of overlay information: press only return-button in line) once:\n"
                "\n"
                "Please enter the overlay information in form of \"<byteno-dec>:<charactr>,\"\n"
                " (end of overlay information: press only return-button in line) twice (control input):\n"
                "End of input of the overlay information.\n"
                "\n");
  EXPECT_EQ(outcome.log, "");
  ExpectKey(outcome, {{3, 'c'}});

  outcome = Run(1, Open("1"), "0\n1:a\n\n1:x\n\n9\n");
  EXPECT_EQ(From(outcome.console, "Die Kontroll"),
            "Die Kontroll-Eingabe stimmt nicht mit der 1. Eingabe\n"
            " der \x9A" "berladeinformation \x81" "berein.\n"
            "Wollen Sie\n"
            "   1  den aktuellen Eingabeprozess wiederholen   oder\n"
            "   9  das Programm abbrechen ?\n"
            "Geben Sie bitte die zugeh\x94rige Zahl an: " +
                std::string(kGermanTerminating));
}

// Errors at the keyboard go to the console and the log; an error in the
// control input sends the user back to the first input.
TEST_F(OverlayDialogTest, KeyboardErrorsAreRepeatedFromTheRestoredKey) {
  Outcome outcome = Run(0, Open("1"), "1\n4:d,5:A;\n1\n5:A\n\n");
  EXPECT_FALSE(outcome.stopped);
  const std::string message =
      "Wrong information character \xAF;\xAE as separate character at position 8.\n";
  EXPECT_EQ(From(outcome.console, "Wrong"),
            message + kEnglishRepeat + "Please reenter the input of the whole overlay information:\n"
                      "\n"
                      "Please enter the overlay information in form of \"<byteno-dec>:<charactr>,\"\n"
                      " (end of overlay information: press only return-button in line):\n"
                      "End of input of the overlay information.\n"
                      "\n");
  EXPECT_EQ(outcome.log,
            LogLines(message + "Please reenter the input of the whole overlay information:\n"));
  ExpectKey(outcome, {{5, 'A'}});

  // Without echo, what was typed stays hidden also in the message.
  outcome = Run(0, Open("3"), "0\n1:1\n\n1:1,2:x\n1\n6:6\n\n6:6\n\n");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_NE(outcome.console.find("Wrong information character \xAF*\xAE as decimal value character"
                                 "\n / separate character at position 7.\n" + std::string(kEnglishRepeat) +
                                 "Please reenter the input of the whole overlay information:\n\n"
                                 "Please enter the overlay information in form of \"<byteno-dec>:<decvalue>,\"\n"
                                 " (end of overlay information: press only return-button in line) once:\n"),
            std::string::npos)
      << outcome.console;
  ExpectKey(outcome, {{6, 6}});
  EXPECT_EQ(outcome.log.find("\xAFX\xAE"), std::string::npos);

  outcome = Run(1, Open("3"), "0\n300:1\n9\n");
  EXPECT_NE(outcome.console.find("Die bisherige Stellen-Angabe \xAF*\xAE bis zum 3. Info-Zeichen"),
            std::string::npos);
}

// Line ends may stand anywhere, also inside a number; one empty line at the
// start is skipped, a second one ends the information.
TEST_F(OverlayDialogTest, KeyboardLineEnds) {
  struct Case {
    std::string form;
    std::string typed;
    std::map<int, int> changed;
  };
  const Case cases[] = {
      {"3", "1\r\n2:7,\r\n\r\n", {{12, 7}}},
      {"3", "\n1:1,\n2:2\n\n3:3\n\n", {{1, 1}, {2, 2}}},
      {"1", "1:a,\n2:b,\n\n", {{1, 'a'}, {2, 'b'}}},
      {"1", "1:\n,\n\n", {{1, ','}}},
      {"3", "\n\n1:1\n\n", {}},
      {"7", "AB\nCD\n\n", {{'A' + 1, 'B'}, {'C' + 1, 'D'}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    const Outcome outcome = Run(0, Open(c.form), "1\n" + c.typed);
    EXPECT_FALSE(outcome.stopped);
    ExpectKey(outcome, c.changed);
  }
}

// A bytestring typed with an odd number of bytes keeps its pairs; the message
// reaches the log only outside a control input.
TEST_F(OverlayDialogTest, OddBytestringAtTheKeyboard) {
  const std::string message =
      "Missing value character after the 3. information character.\n"
      " Position value up to the 3. information character ignored.\n";
  Outcome outcome = Run(0, Open("7"), "1\nABC\n\n");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(From(outcome.console, "Missing"), message + "End of input of the overlay information.\n\n");
  EXPECT_EQ(outcome.log, LogLines(message));
  ExpectKey(outcome, {{'A' + 1, 'B'}});

  outcome = Run(1, Open("7"), "0\nAB\n\nABC\n\n");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_NE(outcome.console.find("Fehlendes Werte-Zeichen hinter dem 3. Info-Zeichen.\n"
                                 " Stellen-Angabe bis zum 3. Info-Zeichen ignoriert.\n"),
            std::string::npos);
  EXPECT_EQ(outcome.log, "");
  ExpectKey(outcome, {{'A' + 1, 'B'}});
}

TEST_F(OverlayDialogTest, DatasetNameTypedTwiceWithoutEcho) {
  WriteFile(scratch.Path("ov.txt"), "1:a,\r\n2:b\r\n");
  struct Case {
    int language;
    std::string expected;
  };
  const Case cases[] = {
      {0, "\n"
          "In which way you want to enter the datasetname\n"
          "containing the overlay information?\n"
          "   0  twice via keyboard  w i t h o u t  echoing the input on the screen\n"
          "       (second time for controlling!)\n"
          "   1  once via keyboard  w i t h  screen control\n"
          "   9  terminate the program.\n"
          "Please enter the corresponding number: \n"
          "\n"
          "Please enter the name of the dataset containing the overlay information\n"
          " the first time (empty input terminates the program):\n"
          "Please enter the name of the dataset\n"
          " containing the overlay information the second time (control input):\n"
          "Control input and first input of the datasetname are different.\n"
          " Please repeat the whole input process for the datasetname.\n"
          "\n"
          "Please enter the name of the dataset containing the overlay information\n"
          " the first time (empty input terminates the program):\n"
          "Please enter the name of the dataset\n"
          " containing the overlay information the second time (control input):\n"
          "The specified dataset doesn't exist!\n"
          "Please repeat the whole input process for the datasetname.\n"
          "\n"
          "Please enter the name of the dataset containing the overlay information\n"
          " the first time (empty input terminates the program):\n"
          "Please enter the name of the dataset\n"
          " containing the overlay information the second time (control input):\n"
          "\n"
          "End of input of the overlay information.\n"
          "\n"},
      {1, "\n"
          "Wie m\x94" "chten Sie den Namen der Datei, die die \x9A" "berladeinformation\n"
          "enth\x84lt, eingeben?\n"
          "   0  zweimal \x81" "ber Tastatur  o h n e  Echo auf dem Bildschirm\n"
          "       (das 2. Mal zur Kontrolle!)\n"
          "   1  einmal \x81" "ber Tastatur  m i t  Bildschirm-Kontrolle\n"
          "   9  Programmabbruch.\n"
          "Geben Sie bitte die zugeh\x94rige Zahl an: \n"
          "\n"
          "Geben Sie bitte den Namen der Datei, die die \x9A" "berladeinformation\n"
          " enth\x84lt, das 1. Mal an (Leereingabe = Programmabbruch):\n"
          "Geben Sie bitte den Namen der Datei, die die \x9A" "berladeinformation\n"
          " enth\x84lt, das 2. Mal an (Kontroll-Eingabe):\n"
          "Die Kontroll-Eingabe stimmt nicht mit der 1. Eingabe des Dateinamens \x81" "berein.\n"
          " Wiederholen Sie bitte den gesamten Eingabe-Vorgang des Dateinamens.\n"
          "\n"
          "Geben Sie bitte den Namen der Datei, die die \x9A" "berladeinformation\n"
          " enth\x84lt, das 1. Mal an (Leereingabe = Programmabbruch):\n"
          "Geben Sie bitte den Namen der Datei, die die \x9A" "berladeinformation\n"
          " enth\x84lt, das 2. Mal an (Kontroll-Eingabe):\n"
          "Die angegebene Datei existiert nicht!\n"
          " Wiederholen Sie bitte den gesamten Eingabe-Vorgang des Dateinamens.\n"
          "\n"
          "Geben Sie bitte den Namen der Datei, die die \x9A" "berladeinformation\n"
          " enth\x84lt, das 1. Mal an (Leereingabe = Programmabbruch):\n"
          "Geben Sie bitte den Namen der Datei, die die \x9A" "berladeinformation\n"
          " enth\x84lt, das 2. Mal an (Kontroll-Eingabe):\n"
          "\n"
          "Ende der \x9A" "berlade-Informations-Eingabe.\n"
          "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    const Outcome outcome =
        Run(c.language, Open("1"), "2\n0\nov.txt\nOV.txt\nno.txt\nno.txt\nov.txt\nov.txt\n");
    EXPECT_FALSE(outcome.stopped);
    const std::string menu = c.language == 0 ? kEnglishModeMenu : kGermanModeMenu;
    EXPECT_EQ(From(outcome.console, menu), menu + "\n" + c.expected);
    EXPECT_EQ(outcome.log, "");
    ExpectKey(outcome, {{1, 'a'}, {2, 'b'}});
  }
  const Outcome empty = Run(0, Open("1"), "2\n0\n\n");
  EXPECT_TRUE(empty.stopped);
}

TEST_F(OverlayDialogTest, DatasetNameTypedOnceWithEcho) {
  WriteFile(scratch.Path("ov.txt"), "AB");
  Outcome outcome = Run(0, Open("7"), "2\n1\nno.txt\nov.txt\n");
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(From(outcome.console, "screen control\n   9"),
            "screen control\n"
            "   9  terminate the program.\n"
            "Please enter the corresponding number: \n"
            "\n"
            "Please enter the name of the dataset containing the overlay information\n"
            " (empty input terminates the program):\n"
            "The specified dataset doesn't exist!\n"
            "Please enter a valid datasetname:"
            "End of input of the overlay information.\n"
            "\n");
  ExpectKey(outcome, {{'A' + 1, 'B'}});

  outcome = Run(1, Open("7"), "2\n1\nno.txt\n\n");
  EXPECT_TRUE(outcome.stopped);
  EXPECT_NE(outcome.console.find("Die angegebene Datei existiert nicht!\n"
                                 "Geben Sie bitte einen g\x81ltigen Dateinamen an: " +
                                 std::string(kGermanTerminating)),
            std::string::npos);
}

TEST_F(OverlayDialogTest, DatasetFromParameterWithOrWithoutClosingBracket) {
  WriteFile(scratch.Path("ov.txt"), "\r\n1\r\n2:7,\r\n\r\n");
  for (const char* parameter : {"(ov.txt", "(ov.txt)rest"}) {
    SCOPED_TRACE(parameter);
    const Outcome outcome = Run(0, Open("3", parameter), "");
    EXPECT_FALSE(outcome.stopped);
    const std::string completion = parameter[7] == '\0'
                                       ? "\")\" at the end of 12. commandline-parameter completed !\n"
                                       : "";
    EXPECT_EQ(From(outcome.console, " from value"),
              " from value 0 to value 255.\n\n" + completion + "End of input of the overlay information.\n\n");
    ExpectKey(outcome, {{12, 7}});
  }
  const Outcome missing = Run(0, Open("3", "(none.txt)"), "9\n");
  EXPECT_NE(missing.console.find("The 12. commandline-parameter is invalid.\n" + std::string(kEnglishModeMenu)),
            std::string::npos);
}

// An error in the overlay dataset ends the program; the message names the
// dataset instead of ending with a full stop.
TEST_F(OverlayDialogTest, DatasetErrorsEndTheProgram) {
  const std::string path = scratch.Path("ov.txt");
  struct Case {
    int language;
    std::string form;
    std::string content;
    std::string expected;
  };
  const Case cases[] = {
      {0, "3", "1:1,\r\n2:x",
       "Wrong information character \xAFX\xAE as decimal value character\n"
       " / separate character at position 7\n"
       " in the dataset " + path + " containing the overlay information.\n"
       "Therefore no datasets will be processed.\n"},
      {1, "3", "1:1,\r\n2:x",
       "Falsches dezimales Wert-/Trennzeichen \xAFX\xAE als 7. Info-Zeichen\n"
       " in der \x9A" "berlade-Datei " + path + ".\n"
       "Es werden daher keine Dateien bearbeitet.\n"},
      {0, "1", "1:ab",
       "Wrong information character \xAF" "b\xAE as separate character at position 4\n"
       " in the dataset " + path + " containing the overlay information.\n"
       "Therefore no datasets will be processed.\n"},
      {0, "3", "1:1,\r\n\r\n2:",
       "Wrong overlay information up to the 6. information character\n"
       " in the dataset " + path + " containing the overlay information.\n"
       "Therefore no datasets will be processed.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    WriteFile(path, c.content);
    const Outcome outcome = Run(c.language, Open(c.form, "(ov.txt)"), "");
    EXPECT_TRUE(outcome.stopped);
    const std::string termination = c.language == 0 ? kEnglishTerminating : kGermanTerminating;
    EXPECT_EQ(From(outcome.console, c.expected.substr(0, 10)), c.expected + termination);
    EXPECT_EQ(outcome.log, LogLines(c.expected + termination));
  }
}

// The whole program: the overlay sits between the key and the processing run,
// which hands over with an empty line in the log.
TEST_F(OverlayDialogTest, WholeProgramHandsTheOverlaidKeyToTheProcessingRun) {
  WriteFile(scratch.Path("a.txt"), "abc");
  const auto result = testsupport::RunDialog(
      {"0", "log.txt", "a.txt", "1", "1", "abc", "1", "1", "256", "0", "255", "1:x"}, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.output.find("End of input of the initial key.\n"
                               "\n"
                               "The overlay information is in form of \"<byteno-dec>:<charactr>,\".\n"
                               "\n"
                               "The initial key may be changed by overlay informations\n"),
            std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("End of input of the overlay information.\n\nBegin of process: "),
            std::string::npos);
  EXPECT_NE(ReadFile(scratch.Path("log.txt")).find("\r\n\r\nBegin of process: "), std::string::npos);
}

// The overlaid key is the one the cipher takes: what was encoded with an
// overlay decodes with the same overlay, from any source, and not without it.
TEST_F(OverlayDialogTest, EncodedWithAnOverlayDecodesOnlyWithIt) {
  const std::string original = "The overlay changes the key the cipher takes, " + std::string(700, 'x');
  WriteFile(scratch.Path("a.txt"), original);
  WriteFile(scratch.Path("ov.bin"), std::string("\x00" "x\r\n\xFE" "y", 6));
  auto run = [](const char* form, const std::vector<std::string>& overlay) {
    std::vector<std::string> parameters = {"0", "log.txt", "a.txt", form, "1", "abc"};
    parameters.insert(parameters.end(), overlay.begin(), overlay.end());
    EXPECT_EQ(testsupport::RunDialog(parameters, "").status, 0);
  };
  run("1", {"3", "1", "256", "0", "255", "1:120,255:121"});
  const std::string encoded = ReadFile(scratch.Path("a.txt"));
  EXPECT_EQ(encoded.size(), original.size());
  EXPECT_NE(encoded, original);

  run("2", {"0"});
  EXPECT_NE(ReadFile(scratch.Path("a.txt")), original);
  run("1", {"0"});
  EXPECT_EQ(ReadFile(scratch.Path("a.txt")), encoded);

  // The same two pairs as a bytestring in a dataset, with a line end between.
  run("2", {"7", "1", "256", "0", "255", "(ov.bin)"});
  EXPECT_EQ(ReadFile(scratch.Path("a.txt")), original);
}

}  // namespace
