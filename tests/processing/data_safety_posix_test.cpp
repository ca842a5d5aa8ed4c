// Data safety at the edges, through the whole program: long paths, the same
// file reached twice, links, runs cut short, and the program's own files.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dataset_file.h"
#include "platform/short_text.h"
#include "platform/walk.h"
#include "processing/data_safety_fixture.h"
#include "program/driver.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Contains;
using testsupport::kChunk;
using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::WriteFile;
using Result = testsupport::DataSafetyResult;

std::string Tree(const std::string& directory) { return "\xAE" + directory + "\xAF"; }

class DataSafetyTest : public testsupport::DataSafetyFixture {
 protected:
  // Makes a chain of `levels` directories `name` below `top`, by relative
  // steps (it may be deeper than any path can name), with `content` in a
  // dataset "f" at the bottom unless it is empty.
  void MakeChain(const std::string& top, const std::string& name, int levels, const std::string& content) {
    fs::create_directory(top);
    ASSERT_EQ(chdir(top.c_str()), 0);
    for (int level = 0; level < levels; ++level) {
      ASSERT_EQ(mkdir(name.c_str(), 0700), 0);
      ASSERT_EQ(chdir(name.c_str()), 0);
    }
    if (!content.empty()) {
      WriteFile("f", content);
    }
    ASSERT_EQ(chdir(scratch.path.c_str()), 0);
  }

  // Runs with fewer descriptors than the walk of the deep chain "chain"
  // needs, so that some directory of it cannot be entered.
  Result RunShortOfDescriptors(int language) {
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    const int lowestFree = dup(0);
    close(lowestFree);
    const rlimit few{static_cast<rlim_t>(lowestFree + 12), saved.rlim_max};
    setrlimit(RLIMIT_NOFILE, &few);
    Result result = Run(Tree("chain"), 1, language);
    setrlimit(RLIMIT_NOFILE, &saved);
    return result;
  }

  std::string ReadChainBottom(const std::string& top, const std::string& name, int levels) {
    EXPECT_EQ(chdir(top.c_str()), 0);
    for (int level = 0; level < levels; ++level) {
      EXPECT_EQ(chdir(name.c_str()), 0);
    }
    const std::string content = ReadFile("f");
    EXPECT_EQ(chdir(scratch.path.c_str()), 0);
    return content;
  }
};

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// A tree encoded as one unit and moved so that a subdirectory's path grows
// beyond 255 bytes still decodes: no subdirectory is left out.
TEST_F(DataSafetyTest, OneUnitTreeDecodesAfterMovingUnderALongerPath) {
  const std::size_t nameLength = 250 - (fs::canonical(".").string().size() + sizeof "/tree/");
  const std::string first = "tree/" + std::string(nameLength, 'a');
  fs::create_directories(first);
  fs::create_directories("tree/b");
  WriteFile(first + "/f1", RandomBytes(900, 1));
  WriteFile("tree/b/f2", RandomBytes(1500, 2));
  Run(Tree("tree"), 3);
  fs::create_directory(std::string(40, 'm'));
  fs::rename("tree", std::string(40, 'm') + "/tree");
  const Result decoded = Run(Tree(std::string(40, 'm') + "/tree"), 4);
  EXPECT_TRUE(ReadFile(std::string(40, 'm') + "/" + first + "/f1") == RandomBytes(900, 1));
  EXPECT_TRUE(ReadFile(std::string(40, 'm') + "/tree/b/f2") == RandomBytes(1500, 2)) << decoded.log;
}

// A name is never cut into another name: a long one is held whole, and one
// longer than any path the platform can name is invalid as a whole, as a
// parameter, as a console answer and as a line of a list dataset.
TEST_F(DataSafetyTest, LongNamesAreHeldWholeOrInvalidNeverCut) {
  const std::string directory(200, 'X');
  fs::create_directory(directory);
  WriteFile(directory + "/" + std::string(60, 'y'), "sixty");
  WriteFile(directory + "/" + std::string(54, 'y'), "fifty-four");
  Run(directory + "/" + std::string(60, 'y'), 1);
  EXPECT_NE(ReadFile(directory + "/" + std::string(60, 'y')), "sixty");
  EXPECT_EQ(ReadFile(directory + "/" + std::string(54, 'y')), "fifty-four");

  WriteFile("a.txt", "plain");
  std::string longest;
  while (longest.size() + 5 < platform::kPathTextCapacity) {
    longest += "./";
  }
  longest += "a.txt";  // the longest name there is; cut after it, a longer one would name a.txt
  ASSERT_EQ(longest.size(), platform::kPathTextCapacity);
  const std::string tooLong = longest + "-not";
  const Result typed = Run(tooLong, 1, 0, "1\n" + tooLong + "\n\n");
  EXPECT_TRUE(Contains(typed.console, "The 3. commandline-parameter is invalid.\n"));
  EXPECT_TRUE(Contains(typed.console, "The specified dataset doesn't exist!\nPlease enter a valid datasetname:"));
  WriteFile("list", tooLong + "\n");
  const Result listed = Run("(list)", 1);
  EXPECT_TRUE(Contains(listed.console, "The dataset \xAF" + longest + "\xAE doesn't exist!\n"));
  EXPECT_EQ(ReadFile("a.txt"), "plain");
  Run(longest, 1);
  EXPECT_NE(ReadFile("a.txt"), "plain");
}

// The walk enters directories by handle: deeper than any path the platform
// can name, every directory is entered, announced with its whole path and
// counted, and its datasets are processed.
TEST_F(DataSafetyTest, WalkGoesDeeperThanThePlatformCanName) {
  const std::string step(250, 's');
  const int levels = static_cast<int>(platform::kPathTextCapacity / step.size()) + 2;
  MakeChain("deep", step, levels, "bottom");
  const Result encoded = Run(Tree("deep"), 1);
  std::string bottom = fs::canonical("deep").string();
  for (int level = 0; level < levels; ++level) {
    bottom += "/" + step;
  }
  ASSERT_GT(bottom.size(), platform::kPathTextCapacity);
  EXPECT_TRUE(Contains(encoded.log, " --- Subdirectory: " + bottom + " --- \r\n"
                                    "The dataset \xAF" "f\xAE is just processed ...\r\n"));
  EXPECT_TRUE(Contains(encoded.log, "1 dataset(s) in     " + std::to_string(levels + 1) + " directories processed."));
  EXPECT_NE(ReadChainBottom("deep", step, levels), "bottom");
  Run(Tree("deep"), 2);
  EXPECT_EQ(ReadChainBottom("deep", step, levels), "bottom");
}

// A directory that cannot be entered is named on the console and in the
// log, never passed over in silence; the directories counted are those
// announced.
TEST_F(DataSafetyTest, DirectoryThatCannotBeEnteredIsNamed) {
  MakeChain("chain", "c", 30, "");
  const std::string messages[2][2] = {{"The directory \xAF", "\xAE cannot be entered!"},
                                      {"In das Verzeichnis \xAF", "\xAE kann nicht gewechselt werden!"}};
  for (int language = 0; language < 2; ++language) {
    SCOPED_TRACE(language);
    const Result result = RunShortOfDescriptors(language);
    const std::string announce = language == 0 ? " --- Subdirectory: " : " --- Unterverzeichnis: ";
    const std::size_t at = result.log.find(messages[language][0]);
    ASSERT_NE(at, std::string::npos) << result.log;
    const std::size_t last = result.log.rfind(announce, at);
    const std::string lastEntered =
        result.log.substr(last + announce.size(), result.log.find(" --- \r\n", last) - last - announce.size());
    const std::string expected = messages[language][0] + lastEntered + "/c" + messages[language][1];
    EXPECT_EQ(result.log.substr(at, expected.size() + 2), expected + "\r\n");
    EXPECT_TRUE(Contains(result.console, expected + "\n"));
    const std::size_t announced = Count(result.log, announce);
    EXPECT_GT(announced, 2u);
    EXPECT_LT(announced, 31u);
    EXPECT_TRUE(Contains(result.log, "     " + std::to_string(announced) + (language == 0 ? " directories" : " Verzeichnissen")));
  }
}

// The walk goes no deeper than its limit, so that a hostile nest of
// directories cannot use up its stack; the first directory below is named.
TEST_F(DataSafetyTest, WalkStopsAtItsDepthLimitAndSaysWhere) {
  rlimit saved{};
  getrlimit(RLIMIT_NOFILE, &saved);
  const rlim_t needed = platform::kMaxWalkDepth + 100;
  if (saved.rlim_max < needed) {
    GTEST_SKIP() << "fewer descriptors than the walk's depth limit needs";
  }
  const rlimit enough{std::max(saved.rlim_cur, needed), saved.rlim_max};
  setrlimit(RLIMIT_NOFILE, &enough);
  MakeChain("nest", "n", platform::kMaxWalkDepth + 1, "");
  testsupport::RunDialog({"0", "run.log", Tree("nest"), "1", "1", "secret", "0"}, "");
  setrlimit(RLIMIT_NOFILE, &saved);
  const std::string log = ReadFile("run.log");
  std::string tooDeep = fs::canonical("nest").string();
  for (int level = 0; level <= platform::kMaxWalkDepth; ++level) {
    tooDeep += "/n";
  }
  EXPECT_TRUE(Contains(log, "The directory \xAF" + tooDeep + "\xAE cannot be entered!\r\n"));
  EXPECT_TRUE(Contains(log, " 0 dataset(s) in   1001 directories processed.\r\n"));
}

// Every file is processed at most once per run, whatever leads to it twice:
// a symbolic link beside its target, a hard link, overlapping list lines.
// The reproduction in forms 3 and 4 comes back byte for byte.
TEST_F(DataSafetyTest, NoFileIsProcessedTwiceInOneRun) {
  fs::create_directory("t");
  WriteFile("t/a.bin", RandomBytes(3000, 3));
  WriteFile("t/c.bin", RandomBytes(2000, 4));
  fs::create_symlink("a.bin", "t/b_link");
  fs::create_hard_link("t/c.bin", "t/d_hard");
  const Result encoded = Run(Tree("t"), 3);
  EXPECT_TRUE(Contains(encoded.log, "The dataset \xAF" "d_hard\xAE has already been processed and will be ignored!\r\n"));
  EXPECT_TRUE(Contains(encoded.console, "The dataset \xAF" "d_hard\xAE has already been processed and will be ignored!\n"));
  EXPECT_TRUE(Contains(encoded.log, "The dataset \xAF" "b_link\xAE is a link and is left out.\r\n"));
  EXPECT_FALSE(Contains(encoded.console, "b_link"));
  Run(Tree("t"), 4);
  EXPECT_TRUE(ReadFile("t/a.bin") == RandomBytes(3000, 3));
  EXPECT_TRUE(ReadFile("t/c.bin") == RandomBytes(2000, 4));

  WriteFile("list", "t/a.bin\n*.bin\nb_link\n");
  const Result german = Run("(list)", 1, 1);
  EXPECT_TRUE(Contains(german.log, "Die Datei \xAF" "a.bin\xAE wurde bereits bearbeitet und wird ignoriert!\r\n"
                                   "Die Datei \xAF" "c.bin\xAE wird gerade bearbeitet ...\r\n"));
  EXPECT_TRUE(Contains(german.log, "Die Datei \xAF" "b_link\xAE wurde bereits bearbeitet und wird ignoriert!\r\n"));
  Run("(list)", 2);
  EXPECT_TRUE(ReadFile("t/a.bin") == RandomBytes(3000, 3));
  EXPECT_TRUE(ReadFile("t/c.bin") == RandomBytes(2000, 4));
}

// A link found by a search leads nowhere; a link named exactly is followed,
// because the user named it.
TEST_F(DataSafetyTest, LinksFoundByASearchAreNotFollowed) {
  WriteFile("outside.txt", "outside");
  fs::create_directory("t");
  WriteFile("t/a.txt", "inside");
  fs::create_symlink(scratch.Path("outside.txt"), "t/zz_link");
  Run("[t]", 1);
  Run(Tree("t"), 3);
  Run("t/*", 1);
  EXPECT_EQ(ReadFile("outside.txt"), "outside");
  Run("t/zz_link", 1);
  EXPECT_NE(ReadFile("outside.txt"), "outside");
}

// A second interrupt stops the dataset in hand at the next chunk boundary;
// the run ends through the statistics, the end stamp and the termination.
// So it does with the helper thread that runs the cipher ahead, which the
// program's surroundings allow or not.
TEST_F(DataSafetyTest, SecondInterruptStopsAtAChunkBoundary) {
  const std::string big = RandomBytes(3 * kChunk + 700, 5);
  // The process's threads while a dataset is processed, by the threads allowed.
  static std::size_t threadsSeen[3];
  static int threads;
  for (threads = 1; threads <= 2; ++threads) {
    SCOPED_TRACE(threads);
    fs::remove_all("data");
    fs::create_directory("data");
    WriteFile("data/a", big);
    WriteFile("data/b", "bbb");
    platform::DatasetFaults faults;
    faults.beforeWrite = [](int write) {
      if (write == 1) {
        threadsSeen[threads] = static_cast<std::size_t>(
            std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator()));
        std::raise(SIGINT);
        std::raise(SIGINT);
      }
    };
    platform::gDatasetFaults = &faults;
    const testsupport::DialogResult run = testsupport::RunDialog(
        {"0", scratch.Path("run.log"), "[data]", "1", "1", "secret", "0"}, "", platform::TextCharset::CodePage, -1,
        threads);
    platform::gDatasetFaults = nullptr;
    std::signal(SIGINT, SIG_DFL);
    const std::string log = testsupport::WithoutStamps(ReadFile(scratch.Path("run.log")));
    EXPECT_TRUE(Contains(log, "The dataset \xAF" "a\xAE is just processed ...\r\n"
                              "The dataset \xAF" "a\xAE could not be processed completely!\r\n"
                              " The first 1048576 bytes have been processed, the rest is unchanged.\r\n"
                              "              0 Bytes in        0 dataset(s) in      1 directories processed.\r\n"
                              "End of process: STAMP\r\n"
                              "  T e r m i n a t i n g   p r o g r a m !  \r\n"))
        << log;
    const std::string now = ReadFile("data/a");
    EXPECT_TRUE(now.substr(kChunk) == big.substr(kChunk));
    EXPECT_TRUE(now.substr(0, kChunk) != big.substr(0, kChunk));
    EXPECT_EQ(ReadFile("data/b"), "bbb");
  }
  EXPECT_GT(threadsSeen[2], threadsSeen[1]);  // a sanitizer may start a thread of its own
}

// A third interrupt ends the program at once; its log names the dataset in
// hand, which was written there before the dataset was touched.
TEST_F(DataSafetyTest, ThirdInterruptEndsAtOnceAndTheLogNamesTheDatasetInHand) {
  WriteFile("big", RandomBytes(3 * kChunk, 6));
  const pid_t child = fork();
  if (child == 0) {
    platform::DatasetFaults faults;
    faults.beforeWrite = [](int write) {
      if (write == 2) {
        std::raise(SIGINT);
        std::raise(SIGINT);
        std::raise(SIGINT);
      }
    };
    platform::gDatasetFaults = &faults;
    Run("big", 1);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
  const std::string log = ReadFile(scratch.Path("run.log"));
  const std::string inHand = "The dataset \xAF" "big\xAE is just processed ...\r\n";
  ASSERT_GE(log.size(), inHand.size());
  EXPECT_EQ(log.substr(log.size() - inHand.size()), inHand);
}

// Beyond a file-size limit the write fails and is reported like any other,
// with how far the dataset is transformed; so is a dataset whose length
// changed while it was processed. The run goes on with the next dataset.
TEST_F(DataSafetyTest, DatasetsCutShortTellHowFarTheyAreTransformed) {
  fs::create_directory("data");
  WriteFile("data/big", RandomBytes(2 * kChunk + 100, 7));
  WriteFile("data/small", "small");
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit limited{kChunk + kChunk / 2, saved.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limited);
  const Result limitedRun = Run("[data]", 1);
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_TRUE(Contains(limitedRun.log, "The dataset \xAF" "big\xAE could not be processed completely!\r\n"
                                       " The first 1572864 bytes have been processed, the rest is unchanged.\r\n"
                                       "The dataset \xAF" "small\xAE is just processed ...\r\n"
                                       "The dataset \xAF" "small\xAE has been encoded.\r\n"))
      << limitedRun.log;

  static std::string grows;
  grows = scratch.Path("grows");
  WriteFile(grows, RandomBytes(5000, 8));
  platform::DatasetFaults faults;
  faults.beforeWrite = [](int) { WriteFile(grows, RandomBytes(6000, 8)); };
  platform::gDatasetFaults = &faults;
  const Result grown = Run("grows", 1);
  platform::gDatasetFaults = nullptr;
  EXPECT_TRUE(Contains(grown.log, "The dataset \xAF" "grows\xAE could not be processed completely!\r\n"
                                  " The first 5000 bytes have been processed, the rest is unchanged.\r\n"))
      << grown.log;
}

// The files behind the console's input and output are never processed, also
// when they lie inside the selection.
TEST_F(DataSafetyTest, TheProgramsOwnInputAndOutputAreNeverProcessed) {
  fs::create_directory("data");
  WriteFile("data/a.txt", "a");
  WriteFile("data/in.txt", "");
  const int input = open("data/in.txt", O_RDONLY);
  const int output = open("data/out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string log = scratch.Path("run.log");
  const char* arguments[] = {"tarvex5", "0", log.c_str(), "[data]", "1", "1", "secret", "0", nullptr};
  EXPECT_EQ(dialog::RunProgram(7, arguments, {.input = input, .output = output, .introPauseMs = 0}), 0);
  close(input);
  close(output);
  const std::string console = ReadFile("data/out.txt");
  EXPECT_TRUE(Contains(console, "The dataset \xAF" "in.txt\xAE will be ignored!\n"));
  EXPECT_TRUE(Contains(console, "The dataset \xAF" "out.txt\xAE will be ignored!\n"));
  EXPECT_TRUE(Contains(console, "En-/decoding program  T A R V E X 5  1.0  terminated.\n"));
  EXPECT_NE(ReadFile("data/a.txt"), "a");
}

}  // namespace
