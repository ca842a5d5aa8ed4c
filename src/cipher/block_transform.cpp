// The block transform. A block is encoded in four layers:
//   pass 1     u[i] = S[d[i]] ^ k1[i]            (generator 1's key bytes)
//   forward    f[i] = T(u[i], i) ^ f[i-1]         with T(x, i) = S[S[x] ^ W[w(i)]]
//   backward   g[n] = S[f[n]], g[i-1] = S[f[i-1]] ^ g[i]   (for n = 1, g = f)
//   pass 2     c[i] = S[T(g[i], i) ^ k2[i]]      (generator 2's key bytes)
// The first mixing of byte 1 is T at i = 1 of the forward layer, the second
// one T at i = 1 of the last layer. Since the keystream never depends on the
// data, both generators run first (GenerateBlockKeys), and the layers fuse into
// one loop forward and one backward. Decoding inverts pass 2 and the backward
// layer's T in one loop, the rest in a second one that looks one byte ahead
// (f[i] = Si[g[i] ^ g[i+1]]).

#include <cassert>

#include "cipher/cipher_state.h"
#include "cipher/generator.h"
#include "cipher/key_schedule.h"

namespace cipher {

namespace {

// The position of W that belongs to byte `i` of the block (from 0).
inline int WorkIndex(int i) { return (i & (kKeySize - 1)) + 1; }

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

void EncodeBytes(const CipherState& state, std::uint8_t* d, int n, const BlockKeys& keys) {
  const std::uint8_t* s = state.subst;
  const std::uint8_t* w = state.work;
  const auto t = [s, w](int x, int i) { return s[s[x] ^ w[WorkIndex(i)]]; };

  std::uint8_t f = 0;
  for (int i = 0; i < n; ++i) {
    f ^= t(s[d[i]] ^ keys.pass1[i], i);
    d[i] = f;
  }
  std::uint8_t g = n > 1 ? s[d[n - 1]] : d[0];
  for (int i = n - 1; i >= 1; --i) {
    const std::uint8_t previous = s[d[i - 1]] ^ g;
    d[i] = s[t(g, i) ^ keys.pass2[i]];
    g = previous;
  }
  d[0] = s[t(g, 0) ^ keys.pass2[0]];
}

void DecodeBytes(const CipherState& state, std::uint8_t* d, int n, const BlockKeys& keys) {
  const std::uint8_t* si = state.inverse;
  const std::uint8_t* w = state.work;
  const auto tInverse = [si, w](int x, int i) { return si[si[x] ^ w[WorkIndex(i)]]; };
  for (int i = 0; i < n; ++i) {
    d[i] = tInverse(si[d[i]] ^ keys.pass2[i], i);
  }
  if (n == 1) {
    d[0] = si[tInverse(d[0], 0) ^ keys.pass1[0]];
    return;
  }
  std::uint8_t fPrevious = 0;
  for (int i = 0; i < n - 1; ++i) {
    const std::uint8_t f = si[d[i] ^ d[i + 1]];
    d[i] = si[tInverse(f ^ fPrevious, i) ^ keys.pass1[i]];
    fPrevious = f;
  }
  const std::uint8_t f = si[d[n - 1]];
  d[n - 1] = si[tInverse(f ^ fPrevious, n - 1) ^ keys.pass1[n - 1]];
}

}  // namespace

void TransformBlock(CipherState& state, std::uint8_t* block, int n) {
  assert(n >= 1 && n <= kMaxBlockLength);
  RunPendingWork(state);
  BlockKeys keys;
  GenerateBlockKeys(state, n, keys);
  ApplyCheck(state);
  if (state.encode) {
    EncodeBytes(state, block, n, keys);
  } else {
    DecodeBytes(state, block, n, keys);
  }
}

}  // namespace cipher
