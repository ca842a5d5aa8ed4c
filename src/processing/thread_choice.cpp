#include "processing/thread_choice.h"

#include <algorithm>

namespace dialog {

namespace {

// Chunks alone at the start of the run: the first is not compared.
constexpr int kFirstChunksAlone = 3;
// Chunks with the helper that win together: they took a sixteenth less time
// than they would alone, or less still. A helper that gains less than that is
// not worth the second core's work (half again the CPU time for the run), and
// where the two threads share one core's units, as hardware threads do, a
// near tie is all it reaches. A helper that loses clearly, by more than a
// chunk's time, is left at once: each of its chunks costs more than a chunk
// alone gains. One chunk that another process slowed is forgiven where the
// others make up for it.
constexpr int kWinningChunks = 4;
constexpr double kWinningShare = 1.0 - 1.0 / 16;
// Each loss makes the next stretch four times as long: a try costs up to a
// few chunks' time, so a helper that keeps losing costs a few chunks in all,
// and a helper that lost once by chance comes back soon.
constexpr int kFirstStretch = 4;
constexpr int kStretchGrowth = 4;
constexpr int kLongestStretch = 256;
// After this many chunks with the helper, one alone; the first time after
// kFirstAloneEvery, twice as many each time up to kAloneEvery, so that the
// yardstick of the run's first chunks is soon replaced.
constexpr int kFirstAloneEvery = 8;
constexpr int kAloneEvery = 128;

// After each chunk with the helper, the latest of `latestBytes`: a loss as
// soon as the chunks so far took longer than they would alone and one chunk
// more, or after kWinningChunks more than kWinningShare of the time alone;
// otherwise a win then.
void Judge(ThreadChoice& choice, std::uint64_t latestBytes) {
  const double aloneNs = choice.aloneRate * static_cast<double>(choice.judgedBytes);
  const double allowedNs = choice.judgedChunks < kWinningChunks
                               ? aloneNs + choice.aloneRate * static_cast<double>(latestBytes)
                               : aloneNs * kWinningShare;
  if (static_cast<double>(choice.judgedNs) > allowedNs) {
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
  return choice.aloneTimed >= kFirstChunksAlone && choice.aloneLeft == 0 &&
         choice.sinceAlone < std::max(choice.aloneEvery, kFirstAloneEvery);
}

void NoteChunkTime(ThreadChoice& choice, bool withHelper, std::uint64_t bytes,
                   std::int64_t nanoseconds) {
  if (bytes < kShortestTimedChunk) {
    return;
  }
  if (!withHelper) {
    const double rate = static_cast<double>(std::max<std::int64_t>(nanoseconds, 1)) /
                        static_cast<double>(bytes);
    if (choice.aloneTimed > 0) {
      choice.aloneRate = choice.latestAloneRate > 0 ? std::min(rate, choice.latestAloneRate) : rate;
      choice.latestAloneRate = rate;
    }
    choice.aloneTimed = std::min(choice.aloneTimed + 1, kFirstChunksAlone);
    if (choice.sinceAlone >= std::max(choice.aloneEvery, kFirstAloneEvery)) {
      choice.aloneEvery = std::min(2 * std::max(choice.aloneEvery, kFirstAloneEvery), kAloneEvery);
    }
    choice.aloneLeft = std::max(choice.aloneLeft - 1, 0);
    choice.sinceAlone = 0;
    return;
  }
  choice.sinceAlone += 1;
  choice.judgedNs += nanoseconds;
  choice.judgedBytes += bytes;
  choice.judgedChunks += 1;
  Judge(choice, bytes);
}

}  // namespace dialog
