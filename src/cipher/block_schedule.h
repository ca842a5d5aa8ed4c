#pragma once
// The block transform in two parts: the schedule, which runs the cipher state
// through a series of blocks without their data (pending stirs and rekeys,
// the generators' key bytes, the check), and its application to the data.
// Nothing of the schedule depends on the data, so one thread can run the
// state ahead while another transforms the blocks already scheduled.
// Scheduling a series of blocks and applying the schedule gives the bytes and
// leaves the state that TransformBlock gives block by block.

#include <cstdint>

#include "cipher/cipher_state.h"
#include "cipher/generator.h"

namespace cipher {

inline constexpr int kScheduleBlocks = 128;                      // blocks of one schedule
inline constexpr int kScheduleKeyBytes = kScheduleBlocks * 512;  // key bytes of each pass
// The tables as the schedule began, and one set for each block that began
// with a stir or a rekey (about one block in 64).
inline constexpr int kScheduleTables = 16;

struct ScheduledBlock {
  std::int32_t keyOffset;  // of its key bytes in `pass1` and `pass2`
  std::int16_t length;     // 1..1023
  std::int16_t tables;     // index of its table set
};

// The tables a block's byte work reads.
struct ScheduleTables {
  std::uint8_t lookup[256];  // S when encoding, Si when decoding
  std::uint8_t work[256];    // W[1..256]
};

// A fixed-size record (about 140 KiB): nothing is allocated per block.
struct BlockSchedule {
  bool encode = true;
  BytePath bytePath = BytePath::kScalar;  // resolved: never kFastest
  int blockCount = 0;
  int tableCount = 0;
  int keyBytes = 0;   // used of `pass1` and of `pass2`
  int dataBytes = 0;  // the blocks' lengths added up
  ScheduledBlock blocks[kScheduleBlocks];
  ScheduleTables tables[kScheduleTables];
  alignas(64) std::uint8_t pass1[kScheduleKeyBytes];
  alignas(64) std::uint8_t pass2[kScheduleKeyBytes];
};

// The data-independent part of the next block of `n` bytes (1..1023): runs
// the pending stir or rekey, writes both passes' key bytes to `keys` (n
// rounded up to a whole group of 8) and makes the check.
void AdvanceBlock(CipherState& state, int n, const BlockKeys& keys);

// Empties `schedule` and takes the direction, the byte path (as
// UsableBytePath resolves it, once for all its blocks) and the tables of
// `state`.
void BeginSchedule(const CipherState& state, BlockSchedule& schedule);

// Advances `state` by the next block of `n` bytes (1..1023) and appends the
// block to `schedule`. Returns false, and changes neither, when the schedule
// has no room for it.
bool ScheduleBlock(CipherState& state, BlockSchedule& schedule, int n);

// Schedules up to `count` blocks of `n` bytes; returns how many found room.
int ScheduleBlocks(CipherState& state, BlockSchedule& schedule, int n, int count);

// Transforms in place the scheduled blocks, which lie one after the other at
// `data` (`schedule.dataBytes` bytes in all). Reads nothing but the schedule
// and the data, so it may run beside the scheduling of the next series.
void ApplySchedule(const BlockSchedule& schedule, std::uint8_t* data);

}  // namespace cipher
