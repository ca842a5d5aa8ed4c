// Datasets processed with the helper thread that runs the cipher ahead give
// the bytes of the step-by-step reference encoder, on every byte path, both
// ways, in a chain of datasets with natural stirs and a full rekey where one
// chunk meets the next.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cipher/cipher_test_support.h"
#include "dialog/run_state.h"
#include "processing/processed_files.h"
#include "processing/processing.h"
#include "processing/schedule_ahead.h"
#include "support/dialog_run.h"
#include "support/platform.h"
#include "support/scratch_dir.h"

namespace {

using cipher::BytePath;
using cipher::CipherState;
using testsupport::ReadFile;

constexpr std::size_t kChunk = dialog::kChunkBytes;
// Chunks, a tail, short datasets done without the helper, and one just above
// where the helper takes over.
constexpr std::size_t kLengths[] = {2 * kChunk + 700, 300, 100000, kChunk, 0, 1023};
constexpr int kRekeyDataset = 0;
constexpr int kRekeyBlock = 2048;  // the first block of the second chunk

// Generator 1 comes back to its reference value at the last step of the
// block before kRekeyBlock (one step per 8 bytes), so that a full rekey
// begins the second chunk.
CipherState Prepared(bool encode) {
  CipherState state;
  cipher_test::Prepare(state, "threads", encode);
  cipher_test::ForceReturnAfter(state, 1, kRekeyBlock * 512 / 8);
  state.oneUnit = true;
  return state;
}

struct Expected {
  std::vector<std::string> plain;
  std::vector<std::string> encoded;
  std::vector<CipherState> statesAfter;  // after each dataset
  int stirs = 0;
  bool rekeyAtTheChunkBoundary = false;
};

// Cuts each dataset as dataset processing does and encodes its blocks one
// operation after the other.
const Expected& ReferenceChain() {
  static const Expected* expected = [] {
    auto* result = new Expected;
    CipherState state = Prepared(true);
    for (std::size_t d = 0; d < std::size(kLengths); ++d) {
      result->plain.push_back(testsupport::RandomBytes(kLengths[d], static_cast<unsigned>(d + 40)));
      std::string data = result->plain.back();
      dialog::Chunk chunk;
      int block = 0;
      while (dialog::NextChunk(kLengths[d], chunk)) {
        for (std::size_t start = 0; start < chunk.size; start += static_cast<std::size_t>(chunk.blockLength)) {
          result->stirs += state.stirPending ? 1 : 0;
          if (d == kRekeyDataset && block++ == kRekeyBlock) {
            result->rekeyAtTheChunkBoundary = state.rekeyPending;
          }
          cipher_test::ReferenceEncodeBlock(
              state, reinterpret_cast<std::uint8_t*>(data.data()) + chunk.offset + start, chunk.blockLength);
        }
      }
      result->encoded.push_back(data);
      result->statesAfter.push_back(state);
    }
    return result;
  }();
  return *expected;
}

// Chunk clocks on which the helper thread pays, or is slow: a chunk with it
// takes no time (whatever its length, it wins), or four times as long as one
// alone. Each advances by the chunk's time at either reading, so that a chunk
// takes that time.
std::int64_t HelperPaysClock(bool withHelper) {
  static std::int64_t now = 0;
  return now += withHelper ? 0 : 1'000'000;
}

std::int64_t HelperSlowClock(bool withHelper) {
  static std::int64_t now = 0;
  return now += withHelper ? 4'000'000 : 1'000'000;
}

class ThreadedProcessingTest : public ::testing::Test {
 protected:
  testsupport::ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};

  // Processes the datasets "d0", "d1", ... in order as one unit, as forms 3
  // and 4 do, and expects the state after each to be the reference one.
  void ProcessChain(int threads, BytePath path, bool encode) {
    auto state = std::make_unique<dialog::RunState>();
    state->chunkClock = HelperPaysClock;
    std::FILE* sink = testsupport::TemporaryFile();
    platform::OpenConsole(state->console, -1, fileno(sink));
    state->cipher = Prepared(encode);
    state->cipher.bytePath = path;
    state->processingThreads = threads;
    dialog::StartScheduleAhead(*state);
    EXPECT_EQ(state->ahead != nullptr, threads == 2);
    for (std::size_t d = 0; d < std::size(kLengths); ++d) {
      dialog::ProcessDataset(*state, ("d" + std::to_string(d)).c_str(), true);
      SCOPED_TRACE(d);
      cipher_test::ExpectSameRunningState(ReferenceChain().statesAfter[d], state->cipher);
    }
    if (state->ahead != nullptr) {
      // The run times three chunks alone first (d0's two and d2's first;
      // d0's last block, too short to be timed, goes alone between them):
      // the helper takes d2's last block and d3.
      EXPECT_EQ(dialog::ChunksRunAhead(*state->ahead), 2u);
    }
    dialog::StopScheduleAhead(*state);
    dialog::ReleaseProcessed(state->processed);
    EXPECT_EQ(state->datasetCount, static_cast<double>(std::size(kLengths)));
    std::fclose(sink);
  }

  void ExpectDatasets(const std::vector<std::string>& expected) {
    for (std::size_t d = 0; d < expected.size(); ++d) {
      EXPECT_TRUE(ReadFile("d" + std::to_string(d)) == expected[d]) << "dataset " << d;
    }
  }
};

TEST_F(ThreadedProcessingTest, ChainHasStirsAndARekeyWhereChunksMeet) {
  EXPECT_GT(ReferenceChain().stirs, 40);
  EXPECT_TRUE(ReferenceChain().rekeyAtTheChunkBoundary);
}

TEST_F(ThreadedProcessingTest, OneAndTwoThreadsGiveTheReferenceBytesOnEveryPathBothWays) {
  const Expected& expected = ReferenceChain();
  for (BytePath path : cipher_test::AvailableBytePaths()) {
    for (int threads : {1, 2}) {
      SCOPED_TRACE("byte path " + std::to_string(static_cast<int>(path)) + ", threads " + std::to_string(threads));
      for (std::size_t d = 0; d < std::size(kLengths); ++d) {
        testsupport::WriteFile("d" + std::to_string(d), expected.plain[d]);
      }
      ProcessChain(threads, path, true);
      ExpectDatasets(expected.encoded);
      ProcessChain(threads, path, false);
      ExpectDatasets(expected.plain);
      if (HasFailure()) {
        return;
      }
    }
  }
}

// Where the helper thread is slow, the run goes on alone from the next chunk
// boundary and tries the helper again after a stretch; where it pays, the
// run keeps it. The bytes and the state after are those of one thread.
TEST_F(ThreadedProcessingTest, SlowHelperIsLeftAtAChunkBoundaryWithTheSameBytes) {
  constexpr std::size_t kLength = 20 * kChunk + 700;
  const std::string plain = testsupport::RandomBytes(kLength, 7);
  struct Case {
    int threads;
    std::int64_t (*clock)(bool);
    std::uint64_t chunksRunAhead;
  };
  // With the slow helper: the first three chunks alone, one with the
  // helper, a stretch of four alone, one with the helper again, and the rest
  // alone (a stretch of sixteen). Where it pays: three alone, eight with it, one alone, the rest
  // (eight and the last block) with it.
  const Case kCases[] = {{1, nullptr, 0}, {2, HelperSlowClock, 1 + 1}, {2, HelperPaysClock, 8 + 9}};
  std::string expected;
  CipherState expectedState;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.chunksRunAhead);
    testsupport::WriteFile("d", plain);
    auto state = std::make_unique<dialog::RunState>();
    std::FILE* sink = testsupport::TemporaryFile();
    platform::OpenConsole(state->console, -1, fileno(sink));
    state->cipher = Prepared(true);
    state->processingThreads = c.threads;
    state->chunkClock = c.clock;
    dialog::StartScheduleAhead(*state);
    dialog::ProcessDataset(*state, "d", true);
    if (c.threads == 1) {
      expected = ReadFile("d");
      expectedState = state->cipher;
    } else {
      ASSERT_NE(state->ahead, nullptr);
      EXPECT_EQ(dialog::ChunksRunAhead(*state->ahead), c.chunksRunAhead);
      EXPECT_TRUE(ReadFile("d") == expected);
      cipher_test::ExpectSameRunningState(expectedState, state->cipher);
    }
    dialog::StopScheduleAhead(*state);
    dialog::ReleaseProcessed(state->processed);
    std::fclose(sink);
  }
}

}  // namespace
