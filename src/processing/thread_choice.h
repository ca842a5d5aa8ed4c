#pragma once
// Whether a dataset's next chunk goes to the helper thread or is done by the
// processing thread alone. Two threads pay only where the second one has a
// core of its own: on a busy machine the helper gets a share of one, the
// processing thread waits for it, and the two lose against one. So the run
// times every chunk (read, transform, write) either way and keeps to what
// is faster: where the chunks with the helper took longer than they would
// alone (four of them, or fewer by more than a chunk's time), or saved less
// than a sixteenth of that time (a second core's work for next to nothing),
// the run goes on alone for a stretch, which grows fourfold each time the
// helper loses again and shrinks back when it has won over four chunks. So a
// helper that loses costs about one chunk's time at each try, and the tries
// soon grow rare.
// The run's first chunks are slower than the rest (the first by far: its
// buffer's pages, the caches; the next ones by up to a quarter), so the first
// three go alone, the first is not compared, the time alone is the faster of
// the latest two, and a chunk alone now and then keeps it up to date (after 8
// chunks with the helper, then 16, and so on up to 128): a chunk alone that
// was slow does not let a losing helper go on for long. The cipher state is
// whole at every chunk boundary, so the bytes never depend on the choice.

#include <cstdint>

namespace dialog {

struct ThreadChoice {
  int aloneTimed = 0;            // chunks alone timed so far (the first is not compared)
  double latestAloneRate = 0;    // nanoseconds per byte of the latest chunk alone after the first
  double aloneRate = 0;          // what the helper is held against: the faster of the latest two
  std::int64_t judgedNs = 0;     // chunks with the helper since the last win or loss: their time
  std::uint64_t judgedBytes = 0; // and their bytes
  int judgedChunks = 0;
  int aloneLeft = 0;             // chunks still to be done alone before the helper is tried again
  int stretch = 0;               // chunks alone after the helper loses next; 0: the first stretch
  int sinceAlone = 0;            // chunks with the helper since the last one alone
  int aloneEvery = 0;            // chunks with the helper before the next one alone; 0: the first time
};

// Chunks shorter than this are neither timed nor judged: their time is
// mostly the system's.
inline constexpr std::uint64_t kShortestTimedChunk = 64 * 1024;

// Whether the next chunk goes to the helper thread.
[[nodiscard]] bool HelperPays(const ThreadChoice& choice);

// Notes that a chunk of `bytes` took `nanoseconds`, with the helper thread or
// alone.
void NoteChunkTime(ThreadChoice& choice, bool withHelper, std::uint64_t bytes,
                   std::int64_t nanoseconds);

}  // namespace dialog
