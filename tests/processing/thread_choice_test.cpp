// The choice between the helper thread and one thread alone, chunk by chunk:
// the first chunk alone, four chunks with the helper judged together, a
// stretch alone that doubles while the helper keeps losing and shrinks back
// when it wins, and now and then one chunk alone.
#include "processing/thread_choice.h"

#include <string>

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t kChunk = 1 << 20;

// Runs `chunks` chunks, each alone taking 1 ms and with the helper
// `helperNs`; returns the choices as a string, 'h' with the helper, '.' alone.
std::string Choices(dialog::ThreadChoice& choice, int chunks, std::int64_t helperNs) {
  std::string made;
  for (int c = 0; c < chunks; ++c) {
    const bool withHelper = dialog::HelperPays(choice);
    made += withHelper ? 'h' : '.';
    dialog::NoteChunkTime(choice, withHelper, kChunk, withHelper ? helperNs : 1'000'000);
  }
  return made;
}

TEST(ThreadChoice, StretchesAloneDoubleWhileTheHelperLosesAndShrinkWhenItWins) {
  dialog::ThreadChoice choice;
  EXPECT_EQ(Choices(choice, 1 + 4 + 8 + 4 + 16 + 4, 1'100'000),
            "." + std::string(4, 'h') + std::string(8, '.') + std::string(4, 'h') +
                std::string(16, '.') + std::string(4, 'h'));
  // Winning once brings the first stretch back.
  EXPECT_EQ(Choices(choice, 32 + 4 + 4, 500'000), std::string(32, '.') + std::string(8, 'h'));
  EXPECT_EQ(Choices(choice, 4 + 8, 1'100'000), std::string(4, 'h') + std::string(8, '.'));
}

TEST(ThreadChoice, OneChunkAloneAfterEvery128WithTheHelperAndShortChunksUntimed) {
  dialog::ThreadChoice choice;
  EXPECT_EQ(Choices(choice, 1 + 128 + 1 + 3, 500'000),
            "." + std::string(128, 'h') + "." + std::string(3, 'h'));
  dialog::ThreadChoice fresh;
  dialog::NoteChunkTime(fresh, false, dialog::kShortestTimedChunk - 1, 1);
  EXPECT_FALSE(dialog::HelperPays(fresh));  // still no time alone
}

}  // namespace
