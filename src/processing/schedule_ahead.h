#pragma once
// The second core at work while a dataset is rewritten: a helper thread runs
// a copy of the cipher state ahead through the dataset's blocks (pending
// stirs and rekeys, key bytes, checks; nothing of it reads the data) and
// hands the schedules over through a ring of fixed records, while the thread
// that processes the datasets reads each chunk, applies the schedules to it
// and writes it back; when the ring is full, the helper applies schedules
// to the chunk too. The bytes are those of TransformBlock block by block.
//
// The helper thread is started once per run and lives until StopScheduleAhead.
// Everything it holds is fixed in size, whatever the datasets' lengths.

#include <cstddef>
#include <cstdint>

#include "cipher/cipher_state.h"
#include "dialog/run_state.h"
#include "processing/processing.h"
#include "processing/thread_choice.h"

namespace dialog {

struct ScheduleAhead;

// Starts the helper thread where `state.processingThreads` allows a second
// thread (0: where the process may use a second core) and the system starts
// it; `state.ahead` then points to it, and stays null otherwise.
void StartScheduleAhead(RunState& state);

// Ends the helper thread, wipes its key material and frees it.
void StopScheduleAhead(RunState& state);

// Sets the helper thread to run `from` ahead through the chunks of a dataset
// of `length` bytes (cut as NextChunk cuts it) that follow `done` (Chunk{}:
// from the start), which are read one after the other into `buffer`.
void BeginAheadDataset(ScheduleAhead& ahead, const cipher::CipherState& from, std::uint64_t length,
                       std::uint8_t* buffer, const Chunk& done = Chunk{});

// Transforms the dataset's next chunk, just read into the buffer (`size`
// bytes), by the helper thread's schedules, and sets `cipher` to the state
// after the chunk. The helper may transform some of the chunk's blocks
// itself meanwhile; all are done on return.
void TransformChunkAhead(ScheduleAhead& ahead, std::size_t size, cipher::CipherState& cipher);

// Ends the dataset, also one left part-way: whatever the helper thread ran
// ahead beyond the chunks transformed is dropped. Returns at once: the
// helper touches neither the buffer nor the caller's state any more, and
// finishes the schedule in hand while the caller goes on alone (on a busy
// machine it may wait a while for the core); BeginAheadDataset and
// StopScheduleAhead wait for it.
void EndAheadDataset(ScheduleAhead& ahead);

// Whether the helper thread pays, kept for the whole run.
[[nodiscard]] ThreadChoice& ChoiceOf(ScheduleAhead& ahead);

// The chunks transformed so far by the helper thread's schedules (for tests).
[[nodiscard]] std::uint64_t ChunksRunAhead(const ScheduleAhead& ahead);

}  // namespace dialog
