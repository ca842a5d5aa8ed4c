#include "dialog/schedule_ahead.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "cipher/block_schedule.h"
#include "dialog/processing.h"
#include "platform/interrupt.h"
#include "platform/wipe.h"

namespace dialog {

namespace {

// Schedules in the ring: half a chunk ahead, so that the helper thread runs
// on while the other one reads and writes.
constexpr int kSlots = 8;

struct AheadSlot {
  cipher::BlockSchedule schedule;
  bool endsChunk = false;        // the last schedule of its chunk
  cipher::CipherState after;     // when it ends a chunk: the state after the chunk
};

}  // namespace

// Who writes what: the helper thread fills the slots it has not yet handed
// over and owns `cipher` while a dataset is in hand; the processing thread
// reads the slots handed over and not yet given back. Handing a slot over
// and giving it back are atomic counts, which also order the slots'
// contents; a thread that finds nothing to do waits a moment and then
// sleeps on its condition, which is signalled under `mutex`.
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
  std::uint64_t length = 0;              // of the dataset in hand
  cipher::CipherState cipher;            // runs ahead of the data
  std::uint64_t chunksRunAhead = 0;      // by the processing thread, in the whole run
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

// The next slot to fill; null when the dataset is dropped meanwhile.
AheadSlot* WaitForFreeSlot(ScheduleAhead& ahead) {
  WaitFor(ahead, ahead.toHelper,
          [&] { return ahead.dropDataset || ahead.handedOver - ahead.givenBack < kSlots; });
  return ahead.dropDataset ? nullptr : &ahead.slots[ahead.handedOver % kSlots];
}

void HandOver(ScheduleAhead& ahead) {
  ahead.handedOver += 1;
  Signal(ahead, ahead.toProcessing);
}

// Schedules the dataset's chunks in file order; a schedule ends where its
// chunk ends, so that the state after each chunk can be handed over with it.
void RunDatasetAhead(ScheduleAhead& ahead) {
  Chunk chunk;
  while (NextChunk(ahead.length, chunk)) {
    int blocksLeft = static_cast<int>(chunk.size / static_cast<std::size_t>(chunk.blockLength));
    while (blocksLeft > 0) {
      AheadSlot* slot = WaitForFreeSlot(ahead);
      if (slot == nullptr) {
        return;
      }
      cipher::BeginSchedule(ahead.cipher, slot->schedule);
      blocksLeft -= cipher::ScheduleBlocks(ahead.cipher, slot->schedule, chunk.blockLength, blocksLeft);
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

int ThreadsFor(int requested) {
  if (requested > 0) {
    return requested;
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

void StartScheduleAhead(RunState& state) {
  if (state.ahead != nullptr || ThreadsFor(state.processingThreads) < 2) {
    return;
  }
  auto ahead = std::make_unique<ScheduleAhead>();
  if (platform::StartThreadWithoutInterrupts(ahead->thread, RunHelper, ahead.get())) {
    state.ahead = ahead.release();
  }
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
  platform::WipeBytes(ahead.slots, sizeof ahead.slots);
  delete state.ahead;
  state.ahead = nullptr;
}

void BeginAheadDataset(ScheduleAhead& ahead, const cipher::CipherState& from, std::uint64_t length) {
  {
    std::lock_guard lock(ahead.mutex);
    ahead.cipher = from;
    ahead.length = length;
    ahead.handedOver = 0;
    ahead.givenBack = 0;
    ahead.dropDataset = false;
    ahead.datasetInHand = true;
  }
  ahead.toHelper.notify_one();
}

void TransformChunkAhead(ScheduleAhead& ahead, std::uint8_t* data, std::size_t size,
                         cipher::CipherState& cipher) {
  std::size_t transformed = 0;
  bool endsChunk = false;
  while (!endsChunk) {
    WaitFor(ahead, ahead.toProcessing, [&] { return ahead.handedOver > ahead.givenBack; });
    const AheadSlot* slot = &ahead.slots[ahead.givenBack % kSlots];
    cipher::ApplySchedule(slot->schedule, data + transformed);
    transformed += static_cast<std::size_t>(slot->schedule.dataBytes);
    endsChunk = slot->endsChunk;
    if (endsChunk) {
      cipher = slot->after;
    }
    ahead.givenBack += 1;
    Signal(ahead, ahead.toHelper);
  }
  assert(transformed == size);
  (void)size;
  ahead.chunksRunAhead += 1;
}

void EndAheadDataset(ScheduleAhead& ahead) {
  ahead.dropDataset = true;
  Signal(ahead, ahead.toHelper);
  std::unique_lock lock(ahead.mutex);
  ahead.toProcessing.wait(lock, [&] { return !ahead.datasetInHand; });
}

std::uint64_t ChunksRunAhead(const ScheduleAhead& ahead) { return ahead.chunksRunAhead; }

}  // namespace dialog
