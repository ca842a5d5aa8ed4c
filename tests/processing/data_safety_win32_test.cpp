// Data safety on Windows, through the whole program: a second interrupt, a
// file reached twice, and the files behind the console.
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/dataset_file.h"
#include "processing/data_safety_fixture.h"
#include "program/driver.h"
#include "support/platform.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Contains;
using testsupport::kChunk;
using testsupport::RandomBytes;
using testsupport::ReadFile;
using testsupport::WriteFile;
using DataSafetyTest = testsupport::DataSafetyFixture;

// Two Ctrl-C: the dataset in hand stops at the next chunk boundary.
TEST_F(DataSafetyTest, SecondInterruptStopsAtAChunkBoundary) {
  fs::create_directory("data");
  const std::string big = RandomBytes(3 * kChunk + 700, 5);
  WriteFile("data\\a", big);
  platform::DatasetFaults faults;
  faults.beforeWrite = [](int write) {
    if (write == 1) {
      testsupport::SendInterrupt();
      testsupport::SendInterrupt();
    }
  };
  platform::gDatasetFaults = &faults;
  const std::string log = Run("[data]", 1).log;
  platform::gDatasetFaults = nullptr;
  EXPECT_TRUE(Contains(log, "The dataset \xAF" "a\xAE could not be processed completely!\r\n"
                            " The first 1048576 bytes have been processed, the rest is unchanged.\r\n"))
      << log;
  EXPECT_TRUE(ReadFile("data\\a").substr(kChunk) == big.substr(kChunk));
}

// A hard link and the same name in either case lead to one file, processed
// once; the run decodes byte for byte. (Each line of a list counts from the
// directory of the line before.)
TEST_F(DataSafetyTest, NoFileIsProcessedTwiceInOneRun) {
  fs::create_directory("t");
  WriteFile("t\\a.bin", RandomBytes(3000, 3));
  fs::create_hard_link("t\\a.bin", "t\\b_hard");
  WriteFile("list", "t\\a.bin\nA.BIN\n*\n");
  const std::string encoded = Run("(list)", 3).log;
  EXPECT_TRUE(Contains(encoded, "The dataset \xAF" "a.bin\xAE has already been processed and will be ignored!\r\n"));
  EXPECT_TRUE(Contains(encoded, "The dataset \xAF" "b_hard\xAE has already been processed and will be ignored!\r\n"));
  Run("(list)", 4);
  EXPECT_TRUE(ReadFile("t\\a.bin") == RandomBytes(3000, 3));
}

// The files behind the console's input and output (handles of the C
// run-time) are never processed, also when they lie inside the selection:
// the input is ignored, the output, open for writing, cannot be opened again.
TEST_F(DataSafetyTest, TheProgramsOwnInputAndOutputAreNeverProcessed) {
  fs::create_directory("data");
  WriteFile("data\\a.txt", "a");
  WriteFile("data\\in.txt", "");
  std::FILE* input = std::fopen("data\\in.txt", "rb");
  std::FILE* output = std::fopen("data\\out.txt", "wb");
  ASSERT_TRUE(input != nullptr && output != nullptr);
  const std::string log = scratch.Path("run.log");
  const char* arguments[] = {"tarvex5", "0", log.c_str(), "[data]", "1", "1", "secret", "0", nullptr};
  EXPECT_EQ(dialog::RunProgram(7, arguments, {.input = fileno(input), .output = fileno(output), .introPauseMs = 0}), 0);
  std::fclose(input);
  std::fclose(output);
  const std::string console = testsupport::WithPlainLineEnds(ReadFile("data\\out.txt"));
  EXPECT_TRUE(Contains(console, "The dataset \xAF" "in.txt\xAE will be ignored!\n"));
  EXPECT_TRUE(Contains(console, "The dataset \xAF" "out.txt\xAE doesn't exist!\n"));
  EXPECT_NE(ReadFile("data\\a.txt"), "a");
}

}  // namespace
