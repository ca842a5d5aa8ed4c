// The dialog of questions 1 to 4 run in-process, compared byte for byte.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/file.h"

#include "platform/intro_screen.h"
#include "support/closing_lines.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

// A log written in UTF-8: with a byte-order mark where the platform writes one.
std::string Utf8LogOf(const std::string& codePage) {
  return (platform::kUtf8TextFilesHaveBom ? std::string(platform::kUtf8Bom) : std::string()) +
         testsupport::Utf8Of(codePage);
}

using testsupport::kEnglishEnd;
using testsupport::kEnglishTerminating;
using testsupport::kGermanEnd;
using testsupport::kGermanTerminating;

using testsupport::DialogResult;
using testsupport::DirectoryGuard;
using testsupport::LogLines;
using testsupport::ReadFile;
using testsupport::RunDialog;
using testsupport::ScratchDir;
using testsupport::Utf8Of;

// The intro screen as redirected output shows it: 24 rows, each ending the line.
std::string IntroRows(int language) {
  std::uint8_t plain[platform::kScreenSize];
  platform::Decipher(platform::StoredIntroImage(language), platform::kScreenSize, plain);
  std::string rows;
  for (std::size_t row = 0; row < platform::kScreenRows; ++row) {
    rows.append(reinterpret_cast<const char*>(plain) + row * platform::kScreenColumns,
                platform::kScreenColumns);
    rows += '\n';
  }
  return rows;
}

std::string Description(int language) {
  std::uint8_t plain[platform::kDescriptionSize];
  platform::Decipher(platform::StoredParameterDescription(language), platform::kDescriptionSize, plain);
  return std::string(reinterpret_cast<const char*>(plain), platform::kDescriptionSize);
}

const char* const kLanguageQuestion = "Language / Sprache:\n  english    -->  0\n  deutsch    -->  1\n";

const char* const kEnglishSelectionMenu =
    "Which datasets should be processed?\n"
    "   1  one dataset and all by wild cards addressed datasets respectively,\n"
    "      which name is given in the following input\n"
    "   2  all datasets (possibly addressed by wild card informations),\n"
    "      which names are listed in the dataset given in the following input\n"
    "   3  all datasets of the directory given in the following input\n"
    "   4  all datasets of the directory given in the following input\n"
    "       a n d  these of all subdirectories of lower steps\n"
    "   9  terminate the program.\n"
    "Please enter the corresponding number: ";
const char* const kGermanSelectionMenu =
    "Welche Dateien sollen bearbeitet werden?\n"
    "   1  eine Datei bzw. bei \"Wild-Card\"-Angaben alle angesprochenen\n"
    "      Dateien, deren Name nachfolgend angegeben wird\n"
    "   2  alle Dateien (ggf. mit \"Wild-Card\"-Angaben), deren Namen in der\n"
    "      nachfolgend angegebenen Datei stehen\n"
    "   3  alle Dateien des nachfolgend angegebenen Verzeichnisses\n"
    "   4  alle Dateien des nachfolgend angegebenen Verzeichnisses  u n d\n"
    "      aller Unterverzeichnisse darunter liegender Stufen\n"
    "   9  Programmabbruch.\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";
const char* const kEnglishFormMenu =
    "In which form the dataset(s) will be processed?\n"
    "   1  encoding of single dataset(s)\n"
    "   2  decoding of single dataset(s)\n"
    "   3  encoding of dataset(s) as  o n e  unit\n"
    "   4  decoding of dataset(s) as  o n e  unit\n"
    "   9  terminate the program.\n"
    "Please enter the corresponding number: ";
const char* const kGermanFormMenu =
    "Wie soll(en) die Datei(en) bearbeitet werden?\n"
    "   1  verschl\x81sseln der Datei(en) einzeln\n"
    "   2  entschl\x81sseln der Datei(en) einzeln\n"
    "   3  verschl\x81sseln der Datei(en) als  e i n e  Datenmenge\n"
    "   4  entschl\x81sseln der Datei(en) als  e i n e  Datenmenge\n"
    "   9  Programmabbruch.\n"
    "Geben Sie bitte die zugeh\x94rige Zahl an: ";

class DialogTest : public ::testing::Test {
 protected:
  ScratchDir scratch;
  DirectoryGuard inScratch{scratch.path};

  std::string Log() const { return ReadFile(scratch.Path("log.txt")); }
  static std::string LogHead(int language) { return LogLines(IntroRows(language) + "\n"); }
};

// Where the console speaks UTF-8, the same dialog and log carry the
// program's own letters in UTF-8.
TEST_F(DialogTest, WholeConsoleDialogInEnglish) {
  testsupport::WriteFile(scratch.Path("a.txt"), "abc");
  const std::string input = "x\n2\n0\nlog.txt\n9\n1\nabc\n7\n1\nnone.txt\na.txt\n9\n";
  const std::string expected =
      std::string(kLanguageQuestion) + kLanguageQuestion + kLanguageQuestion + IntroRows(0) +
      "\n"
      "Please enter the name of the dataset for control informations\n"
      " (empty input terminates the program):\n"
      "\n"
      "Should a parameter description of this program be written\n"
      " to this dataset for control informations ?\n"
      "   0    - no, the program has to continue,\n"
      "   1    - yes, after that the program has to continue,\n"
      "   2    - yes, after that the program has to terminate.\n"
      "Please enter the corresponding number: Wrong input \xAF" "9\xAE, correction: "
      "\n" +
      kEnglishSelectionMenu + "Wrong input \xAF" "abc\xAE, correction: Wrong input \xAF" "7\xAE, correction: "
      "\n\n"
      "Please enter the identification of the dataset(s), which should be processed\n"
      " (empty input terminates the program):\n"
      "The specified dataset doesn't exist!\n"
      "Please enter a valid datasetname:"
      "The dataset(s) \xAF" "a.txt\xAE will be processed.\n"
      "\n" +
      kEnglishFormMenu + "  T e r m i n a t i n g   p r o g r a m !  \n" + kEnglishEnd;
  const std::string log = LogHead(0) + Description(0) +
                          LogLines("The dataset(s) \xAF" "a.txt\xAE will be processed.\n"
                                   "  T e r m i n a t i n g   p r o g r a m !  \n" +
                                   std::string(kEnglishEnd));
  const DialogResult result = RunDialog({}, input);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, expected);
  EXPECT_EQ(Log(), log);
  const DialogResult utf8 = RunDialog({}, input, platform::TextCharset::Utf8);
  EXPECT_EQ(utf8.output, Utf8Of(expected));
  EXPECT_EQ(Log(), Utf8LogOf(log));
}

TEST_F(DialogTest, GermanParametersInvalidThenAskedAtTheConsole) {
  std::filesystem::create_directory(scratch.Path("sub"));
  const DialogResult result = RunDialog({"1", "log.txt", "(nolist"}, "3\nnodir\nsub\n9\n");
  const std::string expected =
      IntroRows(1) +
      "\n"
      "Kontrollmeldungen werden (zus\x84tzlich) in die Datei\n"
      " \xAFlog.txt\xAE geschrieben.\n"
      "\n"
      "\")\" am Ende des 3. Befehlszeilen-Parameters erg\x84nzt !\n"
      "Der 3. in der Befehlszeile \x81" "bergebene Parameter ist ung\x81ltig.\n" +
      kGermanSelectionMenu +
      "\n\n"
      "Geben Sie bitte den Namen des Verzeichnisses an, in dem die\n"
      " zu bearbeitenden Dateien aufgef\x81hrt sind\n"
      " (Leereingabe = Programmabbruch):\n"
      "Das angegebene Verzeichnis existiert nicht!\n"
      "Geben Sie bitte einen g\x81ltigen Verzeichnisnamen an: "
      "Die Dateien des Verzeichnisses \xAFsub\xAE sollen bearbeitet werden.\n"
      "\n" +
      kGermanFormMenu + "  P r o g r a m m a b b r u c h !  \n" + kGermanEnd;
  EXPECT_EQ(result.output, expected);
  EXPECT_EQ(Log(), LogHead(1) + LogLines("Die Dateien des Verzeichnisses \xAFsub\xAE sollen bearbeitet werden.\n"
                                         "  P r o g r a m m a b b r u c h !  \n" +
                                         std::string(kGermanEnd)));
}

// Parameters 3 and 4 from the command line, each confirmed on both streams.
TEST_F(DialogTest, SelectionAndFormFromParameters) {
  std::filesystem::create_directory(scratch.Path("sub"));
  testsupport::WriteFile(scratch.Path("list.txt"), "");
  struct Case {
    std::vector<std::string> parameters;
    std::string console;  // the lines after the log announcement
    std::string log;
  };
  const std::string tree = "\xAEsub";
  const Case cases[] = {
      {{"0", "log.txt", "[sub]", "1"}, "",
       "The datasets of the directory \xAFsub\xAE will be processed.\n"
       "The dataset(s) will be encoded as single units.\n"},
      {{"0", "log.txt", tree, "2"}, "\"\xAF\" at the end of 3. commandline-parameter completed !\n",
       "The datasets of the directory \xAFsub\xAE\n"
       " and these of all subdirectories of lower steps will be processed.\n"
       "The dataset(s) will be decoded as single units.\n"},
      {{"0", "log.txt", "(list.txt)", "4"}, "",
       "The dataset \xAFlist.txt\xAE contains the names of the datasets to process.\n"
       "The dataset(s) will be decoded all together as one unit.\n"},
      {{"1", "log.txt", "[sub", "3"}, "\"]\" am Ende des 3. Befehlszeilen-Parameters erg\x84nzt !\n",
       "Die Dateien des Verzeichnisses \xAFsub\xAE sollen bearbeitet werden.\n"
       "Die Datei(en) soll(en) gemeinsam verschl\x81sselt werden.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameters[2]);
    const int language = c.parameters[0] == "1" ? 1 : 0;
    const DialogResult result = RunDialog(c.parameters, "");
    const std::size_t confirmation = result.output.find(c.console + c.log.substr(0, c.log.find('\n')));
    EXPECT_NE(confirmation, std::string::npos) << result.output;
    EXPECT_EQ(Log().substr(0, LogHead(language).size() + LogLines(c.log).size()),
              LogHead(language) + LogLines(c.log));
  }
}

TEST_F(DialogTest, InvalidFormParameterIsNamedAndAskedAtTheConsole) {
  testsupport::WriteFile(scratch.Path("a.txt"), "abc");
  for (const char* form : {"5", "x", "0"}) {
    SCOPED_TRACE(form);
    const DialogResult result = RunDialog({"0", "log.txt", "a.txt", form}, "9\n");
    EXPECT_NE(result.output.find("The dataset(s) \xAF" "a.txt\xAE will be processed.\n"
                                 "\n"
                                 "The 4. commandline-parameter is invalid.\n" +
                                 std::string(kEnglishFormMenu)),
              std::string::npos)
        << result.output;
  }
}

TEST_F(DialogTest, EmptyLogNameEndsWithoutALog) {
  const DialogResult english = RunDialog({"0"}, "\n");
  EXPECT_EQ(english.output, IntroRows(0) +
                                "\n"
                                "Please enter the name of the dataset for control informations\n"
                                " (empty input terminates the program):\n"
                                "  T e r m i n a t i o n !!\n" +
                                kEnglishEnd);
  const DialogResult german = RunDialog({"1"}, "\n");
  EXPECT_EQ(german.output, IntroRows(1) +
                               "\n"
                               "Geben Sie bitte den Namen der Kontrollausgabedatei an\n"
                               " (Leereingabe = Programmabbruch):\n"
                               "  A b b r u c h !!\n" +
                               kGermanEnd);
  EXPECT_TRUE(std::filesystem::is_empty(scratch.path));
}

TEST_F(DialogTest, DescriptionAndEndWritesTheWholeDescriptionToTheLog) {
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    const DialogResult result = RunDialog({std::to_string(language)}, "log.txt\n2\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(Log(), LogHead(language) + Description(language) +
                         LogLines(language == 0 ? kEnglishEnd : kGermanEnd));
    const std::string end = language == 0 ? kEnglishEnd : kGermanEnd;
    EXPECT_EQ(result.output.substr(result.output.size() - end.size()), end);
    EXPECT_EQ(result.output.find("T e r m i n"), std::string::npos);
  }
}

TEST_F(DialogTest, LogThatCannotBeCreatedIsAskedForAgain) {
  const DialogResult result = RunDialog({"0", "missing/log.txt"}, "log.txt\n0\n");
  EXPECT_NE(result.output.find("Control informations will (additionaly) be written to the dataset\n"
                               " \xAFmissing/log.txt\xAE.\n"
                               "The control-information dataset \xAFmissing/log.txt\xAE cannot be created!\n"
                               "The 2. commandline-parameter is invalid.\n"
                               "Please enter the name of the dataset for control informations\n"),
            std::string::npos)
      << result.output;
  EXPECT_EQ(Log().substr(0, LogHead(0).size()), LogHead(0));
}

// The console input may end at any question: the program ends, never loops,
// and its exit status says that the dialog was left incomplete.
TEST_F(DialogTest, EndOfInputEndsTheProgramAtEveryQuestion) {
  const std::string inputs[] = {"", "0\n", "0\nlog.txt\n", "0\nlog.txt\n0\n", "0\nlog.txt\n0\n1\n"};
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    const DialogResult result = RunDialog({}, input);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.output.substr(result.output.size() - std::string(kEnglishEnd).size()), kEnglishEnd);
  }
}

TEST_F(DialogTest, LanguageParameterOutOfRangeLeadsToTheQuestion) {
  for (const char* language : {"2", "x", "-1", "256", ""}) {
    SCOPED_TRACE(language);
    const DialogResult result = RunDialog({language}, "1\n\n");
    EXPECT_EQ(result.output.substr(0, std::string(kLanguageQuestion).size()), kLanguageQuestion);
    EXPECT_NE(result.output.find("  A b b r u c h !!"), std::string::npos);
  }
}

TEST_F(DialogTest, WholeConsoleDialogInGerman) {
  testsupport::WriteFile(scratch.Path("a.txt"), "abc");
  testsupport::WriteFile(scratch.Path("list.txt"), "a.txt\n");
  const std::string input = "1\nlog.txt\n3\n1\n2\nnolist\nlist.txt\n9\n";
  const std::string expected =
      std::string(kLanguageQuestion) + IntroRows(1) +
      "\n"
      "Geben Sie bitte den Namen der Kontrollausgabedatei an\n"
      " (Leereingabe = Programmabbruch):\n"
      "\n"
      "Soll eine Parameter-Beschreibung des Programms\n"
      " in diese Kontrollausgabedatei ausgegeben werden ?\n"
      "   0    - Nein, das Programm soll fortgesetzt werden,\n"
      "   1    - Ja, danach soll das Programm fortgesetzt werden,\n"
      "   2    - Ja, danach soll das Programm beendet werden.\n"
      "Geben Sie bitte die zugeh\x94rige Zahl an: Falsche Eingabe \xAF" "3\xAE, Korrektur: "
      "\n" +
      kGermanSelectionMenu +
      "\n\n"
      "Geben Sie bitte den Dateinamen der Datei an, in der die Namen\n"
      " der zu bearbeitenden Dateien enthalten sind\n"
      " (Leereingabe = Programmabbruch):\n"
      "Die angegebene Datei existiert nicht!\n"
      "Geben Sie bitte einen g\x81ltigen Dateinamen an: "
      "Die Datei \xAFlist.txt\xAE enth\x84lt die Namen der zu bearbeitenden Dateien.\n"
      "\n" +
      kGermanFormMenu + "  P r o g r a m m a b b r u c h !  \n" + kGermanEnd;
  const std::string log =
      LogHead(1) + Description(1) +
      LogLines("Die Datei \xAFlist.txt\xAE enth\x84lt die Namen der zu bearbeitenden Dateien.\n"
               "  P r o g r a m m a b b r u c h !  \n" +
               std::string(kGermanEnd));
  const DialogResult result = RunDialog({}, input);
  EXPECT_EQ(result.output, expected);
  EXPECT_EQ(Log(), log);
  const DialogResult utf8 = RunDialog({}, input, platform::TextCharset::Utf8);
  EXPECT_EQ(utf8.output, Utf8Of(expected));
  EXPECT_EQ(Log(), Utf8LogOf(log));
  EXPECT_NE(utf8.output.find("zugehörige"), std::string::npos);
  for (const char* letters : {"Schlüssel", "größte", "enthält die", "»list.txt«"}) {
    EXPECT_NE(Log().find(letters), std::string::npos) << letters;
  }
}

TEST_F(DialogTest, NamePromptOfModeOneAndTerminationByAnEmptyName) {
  struct Case {
    int language;
    std::string prompt;
    std::string termination;
  };
  const Case cases[] = {
      {0,
       "Please enter the identification of the dataset(s), which should be processed\n"
       " (empty input terminates the program):\n",
       "  T e r m i n a t i n g   p r o g r a m !  \n"},
      {1,
       "Geben Sie bitte die Dateiidentifikation der zu bearbeitenden\n"
       "  Datei(en) an (Leereingabe = Programmabbruch):\n",
       "  P r o g r a m m a b b r u c h !  \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    const DialogResult result = RunDialog({std::to_string(c.language), "log.txt"}, "1\n\n");
    EXPECT_NE(result.output.find("\n\n" + c.prompt + c.termination), std::string::npos) << result.output;
    EXPECT_NE(Log().find(LogLines(c.termination)), std::string::npos);
  }
}

}  // namespace

// --help, -h and -? as the only parameter: the English description without
// its padding, lines ending in "\n", in the console's character set, then
// the exit statuses; --version: the banner. Neither shows the intro or
// creates a log.
TEST_F(DialogTest, HelpAndVersionAnswerAtOnce) {
  const std::string description = Description(0);
  for (const auto charset : {platform::TextCharset::CodePage, platform::TextCharset::Utf8}) {
    const auto inCharset = [&](const std::string& text) {
      return charset == platform::TextCharset::Utf8 ? Utf8Of(text) : text;
    };
    for (const char* option : {"--help", "-h", "-?", "/?"}) {
      SCOPED_TRACE(option);
      const DialogResult help = RunDialog({option}, "", charset);
      EXPECT_EQ(help.status, 0);
      EXPECT_TRUE(help.output.starts_with("TARVEX5 1.0, the en-/decoding program: the command-line "
                                          "parameters\n=====")) << help.output;
      EXPECT_NE(help.output.find(inCharset("      \xAE" "directory\xAF   the same")), std::string::npos);
      const std::size_t exitStatuses = help.output.find("\n\nExit status");
      ASSERT_NE(exitStatuses, std::string::npos);
      EXPECT_TRUE(help.output.ends_with("  When several of these happen, 2 goes before 130, and 130 before 1.\n"));
      const std::string described = help.output.substr(0, exitStatuses + 1);
      EXPECT_NE(described[described.size() - 2], ' ') << "no padding";
      // The description as the log holds it, less its padding of blanks and line ends.
      const std::string asLog = LogLines(described);
      const std::string whole = inCharset(description);
      EXPECT_EQ(whole.substr(0, asLog.size()), asLog);
      EXPECT_EQ(whole.find_first_not_of(" \r\n", asLog.size()), std::string::npos);
    }
    const DialogResult version = RunDialog({"--version"}, "", charset);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "En-/decoding program  T A R V E X 5  1.0\n");
  }
  EXPECT_TRUE(std::filesystem::is_empty(scratch.path));
  // Only as the only parameter; otherwise an invalid language, as before.
  const DialogResult notAlone = RunDialog({"--help", "log.txt"}, "");
  EXPECT_TRUE(notAlone.output.starts_with(kLanguageQuestion)) << notAlone.output;
}
