#include "cipher/block_schedule.h"

#include <cassert>
#include <cstring>

#include "cipher/byte_transform.h"

namespace cipher {

namespace {

void AddTables(const CipherState& state, BlockSchedule& schedule) {
  ScheduleTables& tables = schedule.tables[schedule.tableCount++];
  std::memcpy(tables.lookup, schedule.encode ? state.subst : state.inverse, sizeof tables.lookup);
  std::memcpy(tables.work, state.work + 1, sizeof tables.work);
}

int KeyBytesOf(int n) { return (n + kGroupLength - 1) / kGroupLength * kGroupLength; }

}  // namespace

void BeginSchedule(const CipherState& state, BlockSchedule& schedule) {
  schedule.encode = state.encode;
  schedule.bytePath = UsableBytePath(state.bytePath);
  schedule.blockCount = 0;
  schedule.tableCount = 0;
  schedule.keyBytes = 0;
  schedule.dataBytes = 0;
  AddTables(state, schedule);
}

bool ScheduleBlock(CipherState& state, BlockSchedule& schedule, int n) {
  assert(n >= 1 && n <= kMaxBlockLength);
  // A pending stir or rekey changes the tables before the block.
  const bool newTables = state.stirPending;
  if (schedule.blockCount == kScheduleBlocks ||
      schedule.keyBytes + KeyBytesOf(n) > kScheduleKeyBytes ||
      (newTables && schedule.tableCount == kScheduleTables)) {
    return false;
  }
  AdvanceBlock(state, n, {schedule.pass1 + schedule.keyBytes, schedule.pass2 + schedule.keyBytes});
  if (newTables) {
    AddTables(state, schedule);
  }
  schedule.blocks[schedule.blockCount++] = {schedule.keyBytes, static_cast<std::int16_t>(n),
                                            static_cast<std::int16_t>(schedule.tableCount - 1)};
  schedule.keyBytes += KeyBytesOf(n);
  schedule.dataBytes += n;
  return true;
}

int ScheduleBlocks(CipherState& state, BlockSchedule& schedule, int n, int count) {
  int scheduled = 0;
  while (scheduled < count && ScheduleBlock(state, schedule, n)) {
    ++scheduled;
  }
  return scheduled;
}

void ApplySchedule(const BlockSchedule& schedule, std::uint8_t* data) {
  for (int b = 0; b < schedule.blockCount; ++b) {
    const ScheduledBlock& block = schedule.blocks[b];
    const ScheduleTables& tables = schedule.tables[block.tables];
    const ByteWork work{tables.lookup, tables.work, schedule.pass1 + block.keyOffset,
                        schedule.pass2 + block.keyOffset};
    TransformBytes(schedule.bytePath, schedule.encode, work, data, block.length);
    data += block.length;
  }
}

}  // namespace cipher
