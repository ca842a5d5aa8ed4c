// The choice between the helper thread and one thread alone, chunk by chunk:
// the first three chunks alone, a loss where the chunks with the helper took
// longer than alone (at once where by more than a chunk) or saved less than a
// sixteenth, a win after four, a stretch alone that grows fourfold while the
// helper keeps losing and shrinks back when it wins, and now and then one
// chunk alone.
#include "processing/thread_choice.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kChunk = 1 << 20;

// Runs chunks that each take 1 ms alone and, with the helper, the times of
// `helperUs` in turn (microseconds, repeated); returns the choices as a
// string, 'h' with the helper, '.' alone.
std::string Choices(dialog::ThreadChoice& choice, int chunks, const std::vector<int>& helperUs) {
  std::string made;
  std::size_t next = 0;
  for (int c = 0; c < chunks; ++c) {
    const bool withHelper = dialog::HelperPays(choice);
    made += withHelper ? 'h' : '.';
    const std::int64_t us = withHelper ? helperUs[next++ % helperUs.size()] : 1'000;
    dialog::NoteChunkTime(choice, withHelper, kChunk, 1'000 * us);
  }
  return made;
}

std::string Alone(int n) { return std::string(n, '.'); }
std::string Helper(int n) { return std::string(n, 'h'); }

TEST(ThreadChoice, ClearLossesAreTakenAtOnceAndStretchesGrowUntilAWin) {
  struct Case {
    const char* what;
    std::vector<int> helperUs;
    int chunks;
    std::string expected;
  };
  const Case kCases[] = {
      {"a helper a tenth slower loses after four chunks, the stretches grow", {1'100},
       3 + 4 + 4 + 4 + 16 + 4 + 64,
       "..." + Helper(4) + Alone(4) + Helper(4) + Alone(16) + Helper(4) + Alone(64)},
      {"one that saves less than a sixteenth is not worth a second core", {960}, 3 + 4 + 4 + 4,
       "..." + Helper(4) + Alone(4) + Helper(4)},
      {"one that saves a sixteenth wins", {935}, 3 + 9, "..." + Helper(8) + "."},
      {"one twice as slow loses after one", {2'100}, 3 + 1 + 4 + 1 + 16,
       "..." + Helper(1) + Alone(4) + Helper(1) + Alone(16)},
      {"a slow chunk is forgiven where the others make up for it", {500, 500, 1'900, 500}, 3 + 8,
       "..." + Helper(8)},
      {"a chunk that eats what the helper won and a chunk more is a loss", {500, 2'600}, 3 + 2 + 4 + 2,
       "..." + Helper(2) + Alone(4) + Helper(2)},
      {"one chunk alone after 8 with the helper, 16, 32, and so on up to 128", {500},
       3 + 8 + 1 + 16 + 1 + 32 + 1 + 64 + 1 + 128 + 1 + 128 + 1 + 3,
       "..." + Helper(8) + "." + Helper(16) + "." + Helper(32) + "." + Helper(64) + "." + Helper(128) +
           "." + Helper(128) + "." + Helper(3)},
  };
  for (const Case& c : kCases) {
    dialog::ThreadChoice choice;
    EXPECT_EQ(Choices(choice, c.chunks, c.helperUs), c.expected) << c.what;
  }
}

TEST(ThreadChoice, AWinBringsTheFirstStretchBackAndTheLongestIs256) {
  dialog::ThreadChoice choice;
  std::string expected = "...";
  for (int stretch = 4; stretch <= 256; stretch *= 4) {
    expected += "h" + Alone(stretch);
  }
  expected += "h" + Alone(256);
  EXPECT_EQ(Choices(choice, static_cast<int>(expected.size()), {2'100}), expected);
  EXPECT_EQ(Choices(choice, 4 + 1 + 4 + 1, {500, 500, 500, 500, 2'100}),
            Helper(4) + Helper(1) + Alone(4) + Helper(1));
}

// The first chunk alone is not compared (its buffer's pages are new, the
// caches cold); the time alone is that of the faster of the latest two.
TEST(ThreadChoice, TheHelperIsHeldAgainstTheFasterOfTheLatestTwoChunksAloneAfterTheFirst) {
  dialog::ThreadChoice choice;
  const auto chunk = [&](std::int64_t us) {
    const bool withHelper = dialog::HelperPays(choice);
    dialog::NoteChunkTime(choice, withHelper, kChunk, 1'000 * us);
    return withHelper ? 'h' : '.';
  };
  std::string made;
  for (std::int64_t us : {3'000, 1'000, 1'200, 2'500}) {
    made += chunk(us);  // the helper's 2.5 ms lose against 1 ms, not against 3 ms
  }
  for (int c = 0; c < 3; ++c) {
    made += chunk(1'000);
  }
  for (std::int64_t us : {2'000, 2'500}) {
    made += chunk(us);  // 2.5 ms lose against the 1 ms before the 2 ms
  }
  EXPECT_EQ(made, "..." + Helper(1) + Alone(4) + Helper(1));
  EXPECT_FALSE(dialog::HelperPays(choice));
}

TEST(ThreadChoice, ShortChunksAreNotTimed) {
  dialog::ThreadChoice fresh;
  dialog::NoteChunkTime(fresh, false, kChunk, 1);
  dialog::NoteChunkTime(fresh, false, kChunk, 1);
  dialog::NoteChunkTime(fresh, false, dialog::kShortestTimedChunk - 1, 1);
  EXPECT_FALSE(dialog::HelperPays(fresh));  // two chunks alone timed, not three
}

}  // namespace
