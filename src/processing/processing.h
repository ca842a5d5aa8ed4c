#pragma once
// The processing run: the begin stamp, the prepared cipher, every dataset of
// the selection rewritten in place, the statistics and the end stamp.

#include <cstddef>
#include <cstdint>

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace dialog {

// The most that 32767 batches of 32767 blocks of 512 bytes can address.
inline constexpr std::uint64_t kMaxDatasetLength = 32767ull * 32767ull * 512ull;

inline constexpr std::uint64_t kBlockLength = 512;

// A part of a dataset that is read, transformed and written back at once:
// whole blocks, as many as the run's chunk holds, or the dataset's last
// block. The last block joins the partial block with the whole block before
// it, so that it holds 513 to 1023 bytes; a dataset shorter than a block is
// one block of its own length.
struct Chunk {
  std::uint64_t offset = 0;
  std::size_t size = 0;  // 0: before the first chunk
  int blockLength = 0;   // kBlockLength, or the length of the last block
};

// The bytes of the dataset's whole blocks, those before its last block.
[[nodiscard]] std::uint64_t WholeBlockBytes(std::uint64_t length);

// Moves `chunk` on to the next chunk of a dataset of `length` bytes (from a
// Chunk{} to the first); false after the last one.
[[nodiscard]] bool NextChunk(std::uint64_t length, Chunk& chunk);

// Runs the whole processing run. Stop when an interrupt ended it (the
// termination line is written after the statistics and the end stamp).
[[nodiscard]] Flow RunProcessing(RunState& state);

// Encodes or decodes the dataset `name` (relative to the current directory)
// in place and reports it on the console and in the log. `followLink` false
// (a dataset found by wild cards) opens no symbolic link. A file that is one
// of the files never processed, or that was processed in this run already
// under any name, is passed over with its message. A dataset whose rewriting
// failed part-way, was stopped by a second interrupt or changed its length
// meanwhile is reported as not completely processed, with the number of
// bytes from its start that are transformed, and not counted.
void ProcessDataset(RunState& state, const char* name, bool followLink);

// The two lines, console and log, for a dataset item that does not exist or
// cannot be opened for reading and writing.
void ReportMissingDataset(RunState& state, const char* name);

// The console line for a dataset that is never processed.
void ReportIgnoredDataset(RunState& state, const char* name);

}  // namespace dialog
