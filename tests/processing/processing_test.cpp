// The processing run on real directories: every selection mode and form,
// the datasets never processed, failures and interrupts.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog/run_state.h"
#include "platform/dataset_file.h"
#include "platform/file_system.h"
#include "platform/intro_screen.h"
#include "processing/processing.h"
#include "support/dialog_run.h"
#include "support/platform.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::ScratchDir;
using testsupport::WithoutStamps;
using testsupport::WriteFile;

struct RunOutput {
  std::string console;
  std::string log;
  double bytes = 0;
  double datasets = 0;
  double directories = 0;
  bool stopped = false;
};

class ProcessingTest : public ::testing::Test {
 protected:
  ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};
  int threads = 0;  // processing threads, as the program's surroundings give them

  // Runs the processing run alone, as the dialog would after its questions.
  RunOutput Run(int mode, const std::string& selection, int form, int language = 0,
                const std::string& key = "secret") {
    auto state = std::make_unique<dialog::RunState>();
    std::FILE* in = testsupport::TemporaryFileWith("");
    std::FILE* out = testsupport::TemporaryFileWith("");
    platform::OpenConsole(state->console, fileno(in), fileno(out));
    state->Language = static_cast<std::uint8_t>(language);
    platform::Decipher(platform::StoredIntroImage(language), platform::kScreenSize, state->StartupScreenCopy);
    platform::Assign(state->ControlLogName, scratch.Path("log.txt"));
    EXPECT_TRUE(platform::CreateOutputFile(state->ControlLog, state->ControlLogName.chars));
    platform::FullPath(state->ControlLogName.chars, state->ControlLogPath);
    (void)platform::CurrentDirectory(state->StartDirectory);
    state->SelectionMode = static_cast<std::uint8_t>(mode);
    platform::Assign(mode <= 2 ? state->SelectionText : state->SelectionDirectory, selection);
    if (mode > 2) {
      platform::Assign(state->SelectionText, "*.*");
    }
    state->ProcessingForm = static_cast<std::uint8_t>(form);
    state->processingThreads = threads;
    state->cipher.encode = form == 1 || form == 3;
    state->cipher.oneUnit = form >= 3;
    for (int position = 1; position <= 256; ++position) {
      state->InitialKey[position] = static_cast<std::uint8_t>(key[(position - 1) % key.size()]);
    }
    RunOutput result;
    result.stopped = dialog::RunProcessing(*state) == dialog::Flow::Stop;
    EXPECT_TRUE(platform::CloseOutputFile(state->ControlLog));
    result.bytes = state->byteCount;
    result.datasets = state->datasetCount;
    result.directories = state->directoryCount;
    std::fflush(out);
    result.console = WithoutStamps(testsupport::ConsoleText(out));
    result.log = WithoutStamps(ReadFile(scratch.Path("log.txt")));
    std::fclose(in);
    std::fclose(out);
    return result;
  }
};

TEST_F(ProcessingTest, EncodingThenDecodingRestoresEveryLengthInEveryForm) {
  const std::size_t lengths[] = {0, 1, 7, 511, 512, 513, 1023, 1024, 1025, (3u << 20) + 517};
  fs::create_directory("data");
  std::vector<std::string> originals;
  for (std::size_t i = 0; i < std::size(lengths); ++i) {
    originals.push_back(RandomBytes(lengths[i], static_cast<unsigned>(i)));
    WriteFile("data/f" + std::to_string(i), originals.back());
  }
  for (const int encodeForm : {1, 3}) {
    SCOPED_TRACE(encodeForm);
    const RunOutput encoded = Run(3, "data", encodeForm);
    EXPECT_EQ(encoded.datasets, static_cast<double>(std::size(lengths)));
    for (std::size_t i = 0; i < std::size(lengths); ++i) {
      const std::string now = ReadFile("data/f" + std::to_string(i));
      EXPECT_EQ(now.size(), lengths[i]);
      if (lengths[i] > 0) {
        EXPECT_TRUE(now != originals[i]) << "length " << lengths[i];
      }
    }
    Run(3, "data", encodeForm + 1);
    for (std::size_t i = 0; i < std::size(lengths); ++i) {
      EXPECT_TRUE(ReadFile("data/f" + std::to_string(i)) == originals[i]) << "length " << lengths[i];
    }
  }
}

TEST_F(ProcessingTest, DirectoryRunReportsEachDatasetAndTheStatistics) {
  fs::create_directory("data");
  WriteFile("data/a.txt", "hello");
  WriteFile("data/b.txt", "");
  WriteFile("data/.hidden", "not me");
  fs::create_directory("data/sub");
  const RunOutput english = Run(3, "data", 1);
  const std::string expectedLog =
      "\r\n"
      "Begin of process: STAMP\r\n"
      "The dataset \xAF.hidden\xAE is hidden and is left out.\r\n"
      "The dataset \xAF" "a.txt\xAE is just processed ...\r\n"
      "The dataset \xAF" "a.txt\xAE has been encoded.\r\n"
      "The dataset \xAF" "b.txt\xAE is just processed ...\r\n"
      "The dataset \xAF" "b.txt\xAE has been encoded.\r\n"
      "              5 Bytes in        2 dataset(s) in      1 directories processed.\r\n"
      "End of process: STAMP\r\n";
  EXPECT_EQ(english.log, expectedLog);
  EXPECT_EQ(english.console,
            "Begin of process: STAMP\n"
            "The dataset \xAF" "a.txt\xAE is just processed ...\n"
            "The dataset \xAF" "a.txt\xAE has been encoded.\n"
            "The dataset \xAF" "b.txt\xAE is just processed ...\n"
            "The dataset \xAF" "b.txt\xAE has been encoded.\n"
            "              5 Bytes in        2 dataset(s) in      1 directories processed.\n"
            "End of process: STAMP\n");
  EXPECT_EQ(ReadFile("data/.hidden"), "not me");

  const RunOutput german = Run(1, "data/a.txt", 2, 1);
  EXPECT_EQ(german.log,
            "\r\n"
            "Beginn der Bearbeitung: STAMP\r\n"
            "Die Datei \xAF" "a.txt\xAE wird gerade bearbeitet ...\r\n"
            "Die Datei \xAF" "a.txt\xAE wurde entschl\x81sselt.\r\n"
            "              5 Bytes in        1 Datei(en) bearbeitet.\r\n"
            "Ende der Bearbeitung: STAMP\r\n");
  EXPECT_EQ(ReadFile("data/a.txt"), "hello");
}

TEST_F(ProcessingTest, EmptySelectionGivesZeroStatistics) {
  fs::create_directory("empty");
  WriteFile("list.txt", "");
  EXPECT_NE(Run(3, "empty", 1).log.find("              0 Bytes in        0 dataset(s) in      1 directories processed.\r\n"),
            std::string::npos);
  EXPECT_NE(Run(2, "list.txt", 1, 1).log.find("              0 Bytes in        0 Datei(en) bearbeitet.\r\n"),
            std::string::npos);
}

// The log, the list and the key are never encoded, also not through a link
// named exactly (a link found by wild cards is never a dataset at all).
TEST_F(ProcessingTest, SkipNamesAreIgnoredUnderAnyName) {
  WriteFile("a.txt", "data");
  WriteFile("list.txt", "*.*\nloglink\n");
  const bool linked = testsupport::MakeFileLink("log.txt", "loglink");
  fs::create_hard_link("list.txt", "listcopy");
  const RunOutput result = Run(2, "list.txt", 1);
  EXPECT_NE(result.console.find("The dataset \xAF" "list.txt\xAE will be ignored!\n"), std::string::npos);
  EXPECT_NE(result.console.find("The dataset \xAF" "log.txt\xAE will be ignored!\n"), std::string::npos);
  if (linked) {
    EXPECT_NE(result.console.find("The dataset \xAF" "loglink\xAE will be ignored!\n"), std::string::npos);
  }
  const std::string listcopy = testsupport::kOpenFilesOpenAgain ? "will be ignored!\n" : "doesn't exist!\n";
  EXPECT_NE(result.console.find("The dataset \xAF" "listcopy\xAE " + listcopy), std::string::npos);
  EXPECT_EQ(result.datasets, 1);
  EXPECT_EQ(ReadFile("list.txt"), "*.*\nloglink\n");
  EXPECT_EQ(result.log.find("will be ignored!"), std::string::npos) << "the ignore message is for the console";
}

TEST_F(ProcessingTest, ListEntriesCountFromThePreviousLinesDirectory) {
  fs::create_directories("x/y");
  WriteFile("x/one.txt", "1");
  WriteFile("x/y/two.txt", "22");
  WriteFile("top.txt", "333");
  WriteFile("list.txt", scratch.Path("x") + "/*.txt   a remark\r\ny/two.txt\r\n\r\nnodir/*.txt\nzzz.txt\n");
  const RunOutput result = Run(2, "list.txt", 1);
  EXPECT_EQ(result.datasets, 2);
  EXPECT_EQ(result.bytes, 3);
  EXPECT_EQ(ReadFile("top.txt"), "333");
  for (const char* missing : {"nodir/*.txt", "zzz.txt"}) {
    EXPECT_NE(result.console.find("The dataset \xAF" + std::string(missing) +
                                  "\xAE doesn't exist!\n"
                                  " This dataset item will be ignored.\n"),
              std::string::npos)
        << missing;
  }
}

// Lists as Notepad (UTF-8, with or without a mark) and PowerShell 5.1's ">"
// (UTF-16LE with a mark) write them, and in UTF-16BE.
TEST_F(ProcessingTest, ListsWithAByteOrderMarkNameTheirDatasets) {
  struct Case {
    std::string content;
    const char* named;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF" "a.txt\r\n", "a.txt"},
      {"b.txt\r\n", "b.txt"},
      {std::string("\xFF\xFE" "c\0.\0t\0x\0t\0\r\0\n\0", 16), "c.txt"},
      {std::string("\xFE\xFF\0d\0.\0t\0x\0t", 12), "d.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    WriteFile(c.named, "plain");
    WriteFile("list.txt", c.content);
    EXPECT_EQ(Run(2, "list.txt", 1).datasets, 1);
    EXPECT_NE(ReadFile(c.named), "plain");
  }
}

TEST_F(ProcessingTest, DeepTreeRoundTrip) {
  std::string path = "deep";
  std::vector<std::string> files;
  for (int level = 0; level < 40; ++level) {
    path += "/d";
    fs::create_directories(path);
    files.push_back(path + "/f");
    WriteFile(files.back(), RandomBytes(static_cast<std::size_t>(level) * 37, static_cast<unsigned>(level)));
  }
  EXPECT_EQ(Run(4, "deep", 3).directories, 41);
  EXPECT_TRUE(ReadFile(files.back()) != RandomBytes(39 * 37, 39));
  const RunOutput decoded = Run(4, "deep", 4);
  EXPECT_EQ(decoded.datasets, 40);
  for (std::size_t level = 0; level < files.size(); ++level) {
    EXPECT_TRUE(ReadFile(files[level]) == RandomBytes(level * 37, static_cast<unsigned>(level))) << level;
  }
}

TEST_F(ProcessingTest, TreeIsWalkedDepthFirstInNameOrder) {
  fs::create_directories("tree/b");
  fs::create_directories("tree/a/a1");
  fs::create_directories("tree/.hidden");
  WriteFile("tree/top", "t");
  WriteFile("tree/a/in-a", "a");
  WriteFile("tree/a/a1/in-a1", "a1");
  WriteFile("tree/b/in-b", "b");
  WriteFile("tree/.hidden/secret", "s");
  (void)testsupport::MakeDirectoryLink(scratch.Path("tree"), "tree/b/loop");  // never walked
  const RunOutput result = Run(4, "tree", 1);
  const std::string root = fs::canonical("tree").string();
  const std::string separator(1, platform::kSeparator);
  std::string order;
  std::istringstream lines(result.log);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("Subdirectory") != std::string::npos || line.find("encoded") != std::string::npos) {
      order += line.substr(0, line.size() - 1) + "\n";
    }
  }
  EXPECT_EQ(order, " --- Subdirectory: " + root + " --- \n"
                   "The dataset \xAFtop\xAE has been encoded.\n"
                   " --- Subdirectory: " + root + separator + "a --- \n"
                   "The dataset \xAFin-a\xAE has been encoded.\n"
                   " --- Subdirectory: " + root + separator + "a" + separator + "a1 --- \n"
                   "The dataset \xAFin-a1\xAE has been encoded.\n"
                   " --- Subdirectory: " + root + separator + "b --- \n"
                   "The dataset \xAFin-b\xAE has been encoded.\n");
  EXPECT_EQ(result.directories, 4);
  EXPECT_EQ(ReadFile("tree/.hidden/secret"), "s");
}

// Forms 3 and 4 chain the datasets in name order, whatever order the
// directory entries were created in: a copied tree decodes.
TEST_F(ProcessingTest, OneUnitTreeDecodesAfterCopyingInAnotherOrder) {
  fs::create_directories("orig/s");
  const char* names[] = {"c", "a", "s/z", "b", "s/y"};
  for (const char* name : names) {
    WriteFile(std::string("orig/") + name, RandomBytes(700, static_cast<unsigned>(name[0])));
  }
  Run(4, "orig", 3);
  fs::create_directories("copy/s");
  for (auto it = std::rbegin(names); it != std::rend(names); ++it) {
    fs::copy_file(std::string("orig/") + *it, std::string("copy/") + *it);
  }
  Run(4, "copy", 4);
  for (const char* name : names) {
    EXPECT_TRUE(ReadFile(std::string("copy/") + name) == RandomBytes(700, static_cast<unsigned>(name[0]))) << name;
  }
}

TEST_F(ProcessingTest, ReadOnlyAndUnwritableDatasetsAreNotTouched) {
  fs::create_directory("data");
  WriteFile("data/ro", "read only");
  fs::permissions("data/ro", fs::perms::owner_read);
  testsupport::MakeSystemEntry("data/fifo");
  const RunOutput result = Run(3, "data", 1);
  EXPECT_EQ(ReadFile("data/ro"), "read only");
  EXPECT_NE(result.console.find("The dataset \xAFro\xAE doesn't exist!\n This dataset item will be ignored.\n"),
            std::string::npos);
  EXPECT_EQ(result.console.find("fifo"), std::string::npos);
  EXPECT_EQ(result.datasets, 0);
}

TEST_F(ProcessingTest, FailedWriteIsReportedAndTheRunGoesOn) {
  fs::create_directory("data");
  WriteFile("data/a", RandomBytes(5000, 1));
  WriteFile("data/b", "bbb");
  platform::DatasetFaults faults;
  faults.failWrite = 1;
  platform::gDatasetFaults = &faults;
  const RunOutput result = Run(3, "data", 1, 1);
  platform::gDatasetFaults = nullptr;
  EXPECT_NE(result.log.find("Die Datei \xAF" "a\xAE konnte nicht vollst\x84ndig bearbeitet werden!\r\n"
                            " Die ersten 0 Bytes wurden bearbeitet, der Rest ist unver\x84ndert.\r\n"
                            "Die Datei \xAF" "b\xAE wird gerade bearbeitet ...\r\n"
                            "Die Datei \xAF" "b\xAE wurde verschl\x81sselt.\r\n"),
            std::string::npos)
      << result.log;
  EXPECT_EQ(result.datasets, 1);
  EXPECT_EQ(result.bytes, 3);
}

// A dataset cut short by a failed read or write or by a second interrupt
// ends as with one thread: whole chunks transformed, the rest unchanged, the
// same log. Single datasets go on with the next (a second interrupt ends the
// run); in a unit the run ends there, with a line that says so, and the
// datasets after it stay as they were: the state they would start from is one
// that no decoding of the selection reaches.
TEST_F(ProcessingTest, DatasetCutShortEndsAsWithOneThreadAndEndsAUnit) {
  constexpr std::size_t kChunk = dialog::kChunkBytes;
  const std::string a = RandomBytes(3 * kChunk + 700, 9);
  const std::string b = RandomBytes(200000, 10);
  const auto interruptTwice = [](int write) {
    if (write == 2) {
      testsupport::SendInterrupt();
      testsupport::SendInterrupt();
    }
  };
  struct Cut {
    const char* name;
    platform::DatasetFaults faults;
    std::size_t transformed;
    bool endsEveryRun;
  };
  const Cut cuts[] = {{"read", {.failRead = 3}, 2 * kChunk, false},
                      {"write", {.failWrite = 2}, kChunk, false},
                      {"interrupt", {.beforeWrite = interruptTwice}, 2 * kChunk, true}};
  const std::string unitEnds[2] = {
      "Processing as one unit ends here; the datasets after it remain unchanged.",
      "Die Bearbeitung als eine Datenmenge endet hier; die Dateien danach bleiben unver\x84ndert."};
  const std::string restUnchanged[2] = {" bytes have been processed, the rest is unchanged.\r\n",
                                        " Bytes wurden bearbeitet, der Rest ist unver\x84ndert.\r\n"};
  for (const int form : {1, 3}) {
    for (const Cut& cut : cuts) {
      SCOPED_TRACE(std::string(cut.name) + ", form " + std::to_string(form));
      const int language = cut.endsEveryRun ? 1 : 0;
      std::string results[2];
      for (threads = 1; threads <= 2; ++threads) {
        fs::remove_all("data");
        fs::create_directory("data");
        WriteFile("data/a", a);
        WriteFile("data/b", b);
        platform::DatasetFaults faults = cut.faults;
        platform::gDatasetFaults = &faults;
        const RunOutput result = Run(3, "data", form, language);
        platform::gDatasetFaults = nullptr;
        results[threads - 1] = result.log + ReadFile("data/a") + ReadFile("data/b");
        const std::string now = ReadFile("data/a");
        EXPECT_TRUE(now.substr(cut.transformed) == a.substr(cut.transformed));
        EXPECT_TRUE(now.substr(cut.transformed - kChunk, kChunk) != a.substr(cut.transformed - kChunk, kChunk));
        const bool goesOn = form == 1 && !cut.endsEveryRun;
        EXPECT_EQ(ReadFile("data/b") != b, goesOn);
        EXPECT_EQ(result.stopped, !goesOn);
        const std::string unitLine = unitEnds[language];
        EXPECT_EQ(result.log.find(restUnchanged[language] + unitLine + "\r\n") != std::string::npos, form == 3)
            << result.log;
        EXPECT_EQ(result.console.find(unitLine + "\n") != std::string::npos, form == 3);
      }
      EXPECT_TRUE(results[0] == results[1]);
    }
  }
}

TEST_F(ProcessingTest, InterruptCompletesTheDatasetInHandThenEnds) {
  fs::create_directory("data");
  const std::string big = RandomBytes((4u << 20) + 100, 2);
  WriteFile("data/a", big);
  WriteFile("data/b", "bbb");
  platform::DatasetFaults faults;
  faults.beforeWrite = [](int write) {
    if (write == 2) {
      testsupport::SendInterrupt();
    }
  };
  platform::gDatasetFaults = &faults;
  const RunOutput result = Run(3, "data", 1);
  platform::gDatasetFaults = nullptr;
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.datasets, 1);
  EXPECT_EQ(ReadFile("data/b"), "bbb");
  EXPECT_NE(result.log.find("The dataset \xAF" "a\xAE has been encoded.\r\n"
                            "        4194404 Bytes in        1 dataset(s) in      1 directories processed.\r\n"
                            "End of process: STAMP\r\n"
                            "  T e r m i n a t i n g   p r o g r a m !  \r\n"),
            std::string::npos)
      << result.log;
  Run(3, "data", 2);  // b is decoded in vain, a comes back
  EXPECT_TRUE(ReadFile("data/a") == big);
}

TEST_F(ProcessingTest, DatasetOverTheMaximumLengthIsRefused) {
  if (!testsupport::MakeSparseFile("huge", dialog::kMaxDatasetLength + 1)) {
    GTEST_SKIP() << "this file system takes no sparse file of that size";
  }
  const RunOutput english = Run(1, "huge", 1);
  EXPECT_NE(english.console.find(
                "The length of  5.497222599690000E+011 of the dataset  \xAFhuge\xAE\n"
                "just processed exceeds the maximum length of 5.497222599680000E+011.\n"
                "Therefore this dataset will  n o t  be modified!\n"),
            std::string::npos)
      << english.console;
  EXPECT_NE(english.log.find("Length error: The dataset \xAFhuge\xAE will  n o t  be modified.\r\n"),
            std::string::npos);
  const RunOutput german = Run(1, "huge", 1, 1);
  EXPECT_NE(german.console.find("Die L\x84nge von  5.497222599690000E+011 der zu bearbeitenden Datei\n"
                                "\xAFhuge\xAE \x81" "bersteigt den maximalen Wert von 5.497222599680000E+011.\n"
                                "Diese Datei wird daher  n i c h t  bearbeitet!\n"),
            std::string::npos)
      << german.console;
  EXPECT_NE(german.log.find("L\x84ngenfehler: Die Datei \xAFhuge\xAE wird  n i c h t  bearbeitet.\r\n"),
            std::string::npos);
  EXPECT_EQ(english.datasets, 0);
}

}  // namespace
