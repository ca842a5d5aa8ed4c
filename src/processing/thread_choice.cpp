#include "processing/thread_choice.h"

#include <algorithm>

namespace dialog {

namespace {

// Chunks with the helper that win together. A loss is taken at once: each
// chunk with a losing helper costs more than a chunk alone gains.
constexpr int kWinningChunks = 4;
// Each loss makes the next stretch four times as long: a loss costs about a
// chunk's time, so a helper that keeps losing costs a few chunks in all.
constexpr int kFirstStretch = 16;
constexpr int kStretchGrowth = 4;
constexpr int kLongestStretch = 256;
// After this many chunks with the helper, one alone.
constexpr int kAloneEvery = 128;

// After each chunk with the helper: a loss as soon as the chunks so far took
// longer than they would alone, a win after kWinningChunks without one.
void Judge(ThreadChoice& choice) {
  const double aloneNs = choice.aloneRate * static_cast<double>(choice.judgedBytes);
  if (static_cast<double>(choice.judgedNs) > aloneNs) {
    choice.stretch =
        choice.stretch == 0 ? kFirstStretch : std::min(kStretchGrowth * choice.stretch, kLongestStretch);
    choice.aloneLeft = choice.stretch;
  } else if (choice.judgedChunks == kWinningChunks) {
    choice.stretch = 0;
  } else {
    return;
  }
  choice.judgedNs = 0;
  choice.judgedBytes = 0;
  choice.judgedChunks = 0;
}

}  // namespace

bool HelperPays(const ThreadChoice& choice) {
  return choice.aloneRate > 0 && choice.aloneLeft == 0 && choice.sinceAlone < kAloneEvery;
}

void NoteChunkTime(ThreadChoice& choice, bool withHelper, std::uint64_t bytes,
                   std::int64_t nanoseconds) {
  if (bytes < kShortestTimedChunk) {
    return;
  }
  if (!withHelper) {
    const double rate = static_cast<double>(std::max<std::int64_t>(nanoseconds, 1)) /
                        static_cast<double>(bytes);
    if (choice.warm) {
      choice.aloneRate = choice.latestAloneRate > 0 ? std::min(rate, choice.latestAloneRate) : rate;
      choice.latestAloneRate = rate;
    }
    choice.warm = true;
    choice.aloneLeft = std::max(choice.aloneLeft - 1, 0);
    choice.sinceAlone = 0;
    return;
  }
  choice.sinceAlone += 1;
  choice.judgedNs += nanoseconds;
  choice.judgedBytes += bytes;
  choice.judgedChunks += 1;
  Judge(choice);
}

}  // namespace dialog
