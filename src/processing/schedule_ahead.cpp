#include "processing/schedule_ahead.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "cipher/block_schedule.h"
#include "platform/interrupt.h"
#include "platform/process.h"
#include "platform/record_memory.h"
#include "platform/wipe.h"
#include "processing/processing.h"

namespace dialog {

namespace {

// Schedules in the ring: half a chunk ahead, so that the helper thread runs
// on while the other one reads and writes.
constexpr int kSlots = 8;

// Where a slot handed over stands: its blocks are still to be transformed,
// one thread has taken them on, or they are transformed.
enum SlotWork : int { kToApply, kApplying, kApplied };

struct AheadSlot {
  cipher::BlockSchedule schedule;
  std::uint64_t chunk = 0;       // the number of its chunk in the dataset, from 1
  std::size_t offset = 0;        // of its first block in the chunk
  bool endsChunk = false;        // the last schedule of its chunk
  cipher::CipherState after;     // when it ends a chunk: the state after the chunk
  std::atomic<int> work = kApplied;
};

}  // namespace

// Who writes what: the helper thread fills the slots it has not yet handed
// over and owns `cipher` while a dataset is in hand; the processing thread
// gives the slots back in the order they were handed over. A slot's blocks
// are transformed by the processing thread, or by the helper when its ring
// is full and the slot's chunk is in the buffer: whichever takes the slot's
// `work` first. Handing a slot over, taking it and giving it back are atomic,
// which also orders the slots' contents and the buffer's bytes; a thread
// that finds nothing to do waits a moment and then sleeps on its condition,
// which is signalled under `mutex`.
struct ScheduleAhead {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable toHelper;      // a dataset, a slot given back, the end of a dataset or of the run
  std::condition_variable toProcessing;  // a slot handed over, a dataset ended
  bool datasetInHand = false;            // under `mutex`: set by the processing thread, cleared by the helper when done
  bool quit = false;                     // under `mutex`
  std::atomic<bool> dropDataset = false;  // the processing thread needs no more schedules of this dataset
  std::atomic<std::uint64_t> handedOver = 0;  // slots filled so far in this dataset
  std::atomic<std::uint64_t> givenBack = 0;   // slots applied so far in this dataset
  std::atomic<std::uint64_t> chunkInBuffer = 0;  // the number of the chunk read into `buffer`; 0: none
  std::uint64_t length = 0;              // of the dataset in hand
  Chunk done;                            // the helper begins after this chunk of it
  std::uint8_t* buffer = nullptr;        // where the processing thread reads the dataset's chunks
  std::uint64_t chunksBegun = 0;         // by the processing thread, in this dataset
  cipher::CipherState cipher;            // runs ahead of the data
  std::uint64_t chunksRunAhead = 0;      // by the processing thread, in the whole run
  ThreadChoice choice;                   // by the processing thread
  AheadSlot slots[kSlots];
};

namespace {

// How long a thread that finds nothing to do keeps looking before it sleeps.
// A thread that goes to sleep for every slot would be woken on the core of
// the thread that wakes it, whenever the other core is busy with another
// process, and then the two threads would take turns instead of working
// side by side.
constexpr auto kWaitBeforeSleeping = std::chrono::microseconds(500);

template <typename Ready>
void WaitFor(ScheduleAhead& ahead, std::condition_variable& condition, Ready ready) {
  const auto until = std::chrono::steady_clock::now() + kWaitBeforeSleeping;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) {
      std::unique_lock lock(ahead.mutex);
      condition.wait(lock, ready);
      return;
    }
    std::this_thread::yield();
  }
}

// After a change that the other thread may be sleeping for: passing through
// the mutex makes sure that a thread between its test and its sleep hears it.
void Signal(ScheduleAhead& ahead, std::condition_variable& condition) {
  { std::lock_guard lock(ahead.mutex); }
  condition.notify_one();
}

// Transforms the slot's blocks in the chunk at `buffer` unless another
// thread has taken them on; true if this thread did.
bool ApplyUnlessTaken(AheadSlot& slot, std::uint8_t* buffer) {
  int toApply = kToApply;
  if (!slot.work.compare_exchange_strong(toApply, kApplying)) {
    return false;
  }
  cipher::ApplySchedule(slot.schedule, buffer + slot.offset);
  slot.work = kApplied;
  return true;
}

// A slot of the chunk in the buffer that no one has taken on, the last
// handed over first: the processing thread takes them from the first on.
AheadSlot* SlotToTakeOn(ScheduleAhead& ahead) {
  const std::uint64_t inBuffer = ahead.chunkInBuffer;
  for (std::uint64_t n = ahead.handedOver; inBuffer != 0 && n > ahead.givenBack; --n) {
    AheadSlot& slot = ahead.slots[(n - 1) % kSlots];
    if (slot.chunk == inBuffer && slot.work == kToApply) {
      return &slot;
    }
  }
  return nullptr;
}

// The next slot to fill; null when the dataset is dropped meanwhile. While
// the ring is full, the helper transforms blocks of the chunk in the buffer:
// where the byte work is the larger part, both threads share it.
AheadSlot* WaitForFreeSlot(ScheduleAhead& ahead) {
  const auto slotFree = [&] { return ahead.dropDataset || ahead.handedOver - ahead.givenBack < kSlots; };
  while (!slotFree()) {
    AheadSlot* slot = SlotToTakeOn(ahead);
    if (slot != nullptr && ApplyUnlessTaken(*slot, ahead.buffer)) {
      Signal(ahead, ahead.toProcessing);
      continue;
    }
    WaitFor(ahead, ahead.toHelper, [&] { return slotFree() || SlotToTakeOn(ahead) != nullptr; });
  }
  return ahead.dropDataset ? nullptr : &ahead.slots[ahead.handedOver % kSlots];
}

void HandOver(ScheduleAhead& ahead) {
  ahead.handedOver += 1;
  Signal(ahead, ahead.toProcessing);
}

// Schedules the dataset's chunks in file order; a schedule ends where its
// chunk ends, so that the state after each chunk can be handed over with it.
void RunDatasetAhead(ScheduleAhead& ahead) {
  Chunk chunk = ahead.done;
  for (std::uint64_t number = 1; NextChunk(ahead.length, chunk); ++number) {
    int blocksLeft = static_cast<int>(chunk.size / static_cast<std::size_t>(chunk.blockLength));
    std::size_t offset = 0;
    while (blocksLeft > 0) {
      AheadSlot* slot = WaitForFreeSlot(ahead);
      if (slot == nullptr) {
        return;
      }
      cipher::BeginSchedule(ahead.cipher, slot->schedule);
      blocksLeft -= cipher::ScheduleBlocks(ahead.cipher, slot->schedule, chunk.blockLength, blocksLeft);
      slot->chunk = number;
      slot->offset = offset;
      offset += static_cast<std::size_t>(slot->schedule.dataBytes);
      slot->work = kToApply;
      slot->endsChunk = blocksLeft == 0;
      if (slot->endsChunk) {
        slot->after = ahead.cipher;
      }
      HandOver(ahead);
    }
  }
}

void RunHelper(void* context) {
  ScheduleAhead& ahead = *static_cast<ScheduleAhead*>(context);
  for (;;) {
    {
      std::unique_lock lock(ahead.mutex);
      ahead.toHelper.wait(lock, [&] { return ahead.datasetInHand || ahead.quit; });
      if (ahead.quit) {
        return;
      }
    }
    RunDatasetAhead(ahead);
    {
      std::lock_guard lock(ahead.mutex);
      ahead.datasetInHand = false;
    }
    ahead.toProcessing.notify_one();
  }
}

int ThreadsFor(int requested) { return requested > 0 ? requested : platform::UsableCores(); }

// Ends the helper's record: unlocked, destroyed and given back.
void FreeAheadRecord(ScheduleAhead* ahead) {
  platform::UnlockMemory(ahead, sizeof *ahead);
  ahead->~ScheduleAhead();
  platform::FreeRecordMemory(ahead, sizeof *ahead);
}

}  // namespace

void StartScheduleAhead(RunState& state) {
  if (state.ahead != nullptr || ThreadsFor(state.processingThreads) < 2) {
    return;
  }
  // Without room for its record the run goes on with one thread.
  void* memory = platform::AllocateRecordMemory(sizeof(ScheduleAhead));
  if (memory == nullptr) {
    return;
  }
  ScheduleAhead* ahead = new (memory) ScheduleAhead();
  // The schedules hold key bytes and tables, the slots states of the cipher.
  platform::LockMemory(ahead, sizeof *ahead);
  if (platform::StartThreadWithoutInterrupts(ahead->thread, RunHelper, ahead)) {
    state.ahead = ahead;
    return;
  }
  FreeAheadRecord(ahead);
}

void StopScheduleAhead(RunState& state) {
  if (state.ahead == nullptr) {
    return;
  }
  ScheduleAhead& ahead = *state.ahead;
  {
    std::lock_guard lock(ahead.mutex);
    ahead.quit = true;
  }
  ahead.toHelper.notify_one();
  ahead.thread.join();
  platform::WipeBytes(&ahead.cipher, sizeof ahead.cipher);
  for (AheadSlot& slot : ahead.slots) {
    platform::WipeBytes(&slot.schedule, sizeof slot.schedule);
    platform::WipeBytes(&slot.after, sizeof slot.after);
  }
  FreeAheadRecord(state.ahead);
  state.ahead = nullptr;
}

void BeginAheadDataset(ScheduleAhead& ahead, const cipher::CipherState& from, std::uint64_t length,
                       std::uint8_t* buffer, const Chunk& done) {
  {
    // The helper may still be finishing the schedule in hand of a dataset
    // dropped before (EndAheadDataset).
    std::unique_lock lock(ahead.mutex);
    ahead.toProcessing.wait(lock, [&] { return !ahead.datasetInHand; });
    ahead.cipher = from;
    ahead.length = length;
    ahead.done = done;
    ahead.buffer = buffer;
    ahead.chunksBegun = 0;
    ahead.chunkInBuffer = 0;
    ahead.handedOver = 0;
    ahead.givenBack = 0;
    ahead.dropDataset = false;
    ahead.datasetInHand = true;
  }
  ahead.toHelper.notify_one();
}

void TransformChunkAhead(ScheduleAhead& ahead, std::size_t size, cipher::CipherState& cipher) {
  ahead.chunksBegun += 1;
  ahead.chunkInBuffer = ahead.chunksBegun;
  Signal(ahead, ahead.toHelper);
  bool endsChunk = false;
  while (!endsChunk) {
    WaitFor(ahead, ahead.toProcessing, [&] { return ahead.handedOver > ahead.givenBack; });
    AheadSlot& slot = ahead.slots[ahead.givenBack % kSlots];
    if (!ApplyUnlessTaken(slot, ahead.buffer)) {
      WaitFor(ahead, ahead.toProcessing, [&] { return slot.work == kApplied; });
    }
    endsChunk = slot.endsChunk;
    if (endsChunk) {
      assert(slot.offset + static_cast<std::size_t>(slot.schedule.dataBytes) == size);
      cipher = slot.after;
    }
    ahead.givenBack += 1;
    Signal(ahead, ahead.toHelper);
  }
  (void)size;
  ahead.chunkInBuffer = 0;
  ahead.chunksRunAhead += 1;
}

void EndAheadDataset(ScheduleAhead& ahead) {
  ahead.dropDataset = true;
  Signal(ahead, ahead.toHelper);
}

ThreadChoice& ChoiceOf(ScheduleAhead& ahead) { return ahead.choice; }

std::uint64_t ChunksRunAhead(const ScheduleAhead& ahead) { return ahead.chunksRunAhead; }

}  // namespace dialog
