#pragma once
// The processing run: the begin stamp, the prepared cipher, every dataset of
// the selection rewritten in place, the statistics and the end stamp.

#include <cstdint>

#include "dialog/questions.h"
#include "dialog/run_state.h"

namespace dialog {

// The most that 32767 batches of 32767 blocks of 512 bytes can address.
inline constexpr std::uint64_t kMaxDatasetLength = 32767ull * 32767ull * 512ull;

// Runs the whole processing run. Stop when an interrupt ended it (the
// termination line is written after the statistics and the end stamp).
[[nodiscard]] Flow RunProcessing(RunState& state);

// Encodes or decodes the dataset `name` (relative to the current directory)
// in place and reports it on the console and in the log. A dataset whose
// rewriting failed part-way is reported as not completely processed and not
// counted.
void ProcessDataset(RunState& state, const char* name);

// The two console lines for a dataset item that does not exist.
void ReportMissingDataset(RunState& state, const char* name);

}  // namespace dialog
