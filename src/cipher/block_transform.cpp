// The block transform: the data-independent part of a block (pending work,
// key bytes, check) first, since the keystream never depends on the data,
// then the byte work (byte_transform.h).

#include <cassert>

#include "cipher/block_schedule.h"
#include "cipher/byte_transform.h"
#include "cipher/cipher_state.h"
#include "cipher/generator.h"
#include "cipher/key_schedule.h"
#include "cipher/keystream.h"

namespace cipher {

namespace {

void FullRekey(CipherState& state) {
  Rekey(state);
  ShuffleSubst(state);
  Rekey(state);
  std::int16_t p = static_cast<std::int16_t>(state.subst[2] + 1);
  ReducePos(p);
  SeedGenerator(state, 1, p);
  const double keptA = state.gen1.a;
  const double keptB = state.gen1.b;
  SeedGenerator(state, 2, p);
  Rekey(state);
  state.gen1 = {keptA, keptB, keptA};
  state.check1 = ByteOf(keptA, 2) & 0x3F;
  state.pos = p;
}

// What the previous block requested: one stir of W, or a full rekey.
void RunPendingWork(CipherState& state) {
  if (!state.stirPending) {
    return;
  }
  if (state.rekeyPending) {
    FullRekey(state);
    return;
  }
  state.stirPending = false;
  if ((ByteOf(state.gen1.b, 2) & 0x3F) > (ByteOf(state.gen1.a, 2) & 0x3F)) {
    StirForward(state, 1);
  } else {
    StirBackward(state, 1);
  }
}

// Requests a stir for the next block when generator 1's 6 check bits are back
// at check1, and a full rekey if generator 1 is back at its reference value.
void ApplyCheck(CipherState& state) {
  if ((ByteOf(state.gen1.a, 2) & 0x3F) == state.check1) {
    state.stirPending = true;
    if (state.gen1.a == state.gen1.ref) {
      state.rekeyPending = true;
    }
  }
}

}  // namespace

void AdvanceBlock(CipherState& state, int n, const BlockKeys& keys) {
  RunPendingWork(state);
  GenerateBlockKeys(state, n, keys);
  ApplyCheck(state);
}

void TransformBlock(CipherState& state, std::uint8_t* block, int n) {
  assert(n >= 1 && n <= kMaxBlockLength);
  BlockKeyBuffer keys;
  AdvanceBlock(state, n, {keys.pass1, keys.pass2});
  const ByteWork work{state.encode ? state.subst : state.inverse, state.work + 1, keys.pass1,
                      keys.pass2};
  TransformBytes(UsableBytePath(state.bytePath), state.encode, work, block, n);
}

// While a block's byte work runs, the next block's key bytes are generated
// beside it: nothing of the one waits for the other. A block that begins
// with a stir or a rekey changes the tables, so the block before it is
// transformed first.
void TransformBlocks(CipherState& state, std::uint8_t* data, int n, int count) {
  assert(n >= 1 && n <= kMaxBlockLength);
  if (count <= 0) {
    return;
  }
  const BytePath bytePath = UsableBytePath(state.bytePath);
  const ProductPath productPath = BestProductPath();
  BlockKeyBuffer keys[2];
  AdvanceBlock(state, n, {keys[0].pass1, keys[0].pass2});
  for (int k = 0; k < count; ++k) {
    const BlockKeyBuffer& current = keys[k % 2];
    BlockKeyBuffer& next = keys[(k + 1) % 2];
    const ByteWork work{state.encode ? state.subst : state.inverse, state.work + 1,
                        current.pass1, current.pass2};
    std::uint8_t* block = data + static_cast<std::ptrdiff_t>(k) * n;
    if (k + 1 == count || state.stirPending) {
      TransformBytes(bytePath, state.encode, work, block, n);
      if (k + 1 < count) {
        AdvanceBlock(state, n, {next.pass1, next.pass2});
      }
      continue;
    }
    GenerateBlockKeysBeside(productPath, state, n, {next.pass1, next.pass2},
                            {bytePath, state.encode, work, block, n});
    ApplyCheck(state);
  }
}

}  // namespace cipher
