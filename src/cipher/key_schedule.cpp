#include "cipher/key_schedule.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "cipher/generator.h"

namespace cipher {

namespace {

// The `width`-bit number (1..8) at bit `bit` of W, most significant bit first;
// W[1]'s top bit is bit 0. A field may span two neighbouring bytes.
int ReadBits(const std::uint8_t* work, int bit, int width) {
  const int index = bit / 8 + 1;
  const int window = (work[index] << 8) | work[index + 1];
  return (window >> (16 - bit % 8 - width)) & ((1 << width) - 1);
}

void BuildInverse(CipherState& state) {
  for (int x = 0; x < 256; ++x) {
    state.inverse[state.subst[x]] = static_cast<std::uint8_t>(x);
  }
}

// Rotates W[1..256] right by `amount` places: the new W[k] is the old
// W[(k - 1 - amount) mod 256 + 1].
void RotateWork(std::uint8_t* work, int amount) {
  if (amount != 0) {
    std::rotate(work + 1, work + 1 + kKeySize - amount, work + 1 + kKeySize);
  }
}

// pos = S[index] + 1, reduced once.
std::int16_t PositionFrom(const CipherState& state, int index) {
  auto p = static_cast<std::int16_t>(state.subst[index] + 1);
  ReducePos(p);
  return p;
}

}  // namespace

std::uint8_t ExpByteOf(const std::uint8_t* introExcerpt) {
  const int k2 = introExcerpt[1];
  const int k9 = introExcerpt[8];
  return static_cast<std::uint8_t>((((k9 * 4) % 256) ^ k2) / 2 + 1);
}

void BuildBaseSubst(CipherState& state, const std::uint8_t* baseTable,
                    const std::uint8_t* introExcerpt) {
  for (int j = 0; j < 255; ++j) {
    state.subst[j] = baseTable[j] ^ introExcerpt[j % kExcerptLength];
  }
  state.subst[255] = baseTable[255];
}

void ShuffleSubst(CipherState& state) {
  int bit = 0;
  int count = 1;
  for (int width = 1; width <= 8; ++width) {
    for (int step = 0; step < (1 << (width - 1)); ++step) {
      ++count;
      const int amount = ReadBits(state.work, bit, width) % count;
      if (amount != 0) {
        std::rotate(state.subst, state.subst + count - amount, state.subst + count);
      }
      bit += width;
    }
  }
  if (!state.encode) {
    BuildInverse(state);
  }
}

void WhitenWork(CipherState& state, int g) {
  Generator& gen = GeneratorOf(state, g);
  std::uint8_t* w = state.work;
  const std::uint8_t* s = state.subst;
  for (int q = 1; q <= kKeySize; q += 8) {
    const double a = gen.a;
    const double b = gen.b;
    w[q] ^= ByteOf(b, 1);
    w[q + 4] ^= ByteOf(a, 1);
    for (int m = 1; m <= 4; ++m) {
      w[q + m - 1] = s[w[q + m - 1] ^ ByteOf(a, 6 - m)];
      w[q + m + 3] = s[w[q + m + 3] ^ ByteOf(b, 6 - m)];
    }
    StepGenerator(state, g);
    if (gen.a == gen.ref) {
      SeedGenerator(state, g, state.pos);
    }
  }
}

void StirForward(CipherState& state, int times) {
  std::uint8_t* w = state.work;
  const std::uint8_t* s = state.subst;
  for (int t = 0; t < times; ++t) {
    for (int i = 1; i <= 255; ++i) {
      w[i + 1] ^= w[i];
    }
    w[256] = s[w[256]];
    const int amount = w[256] ^ ByteOf(state.gen1.a, 0);
    for (int i = 256; i >= 2; --i) {
      w[i - 1] = s[w[i - 1]] ^ w[i];
      w[i] = s[w[i]];
    }
    w[1] = s[w[1]];
    RotateWork(w, amount);
  }
}

void StirBackward(CipherState& state, int times) {
  std::uint8_t* w = state.work;
  const std::uint8_t* s = state.subst;
  for (int t = 0; t < times; ++t) {
    for (int i = 256; i >= 2; --i) {
      w[i - 1] ^= w[i];
    }
    w[1] = s[w[1]];
    const int amount = w[1] ^ ByteOf(state.gen1.b, 0);
    for (int i = 1; i <= 255; ++i) {
      w[i + 1] = s[w[i + 1]] ^ w[i];
      w[i] = s[w[i]];
    }
    w[256] = s[w[256]];
    RotateWork(w, amount);
  }
}

void Rekey(CipherState& state) {
  SeedGenerator(state, 1, state.pos);
  SeedGenerator(state, 2, state.pos);
  state.stirPending = false;
  state.rekeyPending = false;
  WhitenWork(state, 1);
  StirForward(state, 2);
  WhitenWork(state, 2);
  StirBackward(state, 2);
}

void PrepareKey(CipherState& state, std::uint8_t* initialKey, const std::uint8_t* baseTable,
                const std::uint8_t* introExcerpt) {
  state.expByte = ExpByteOf(introExcerpt);
  assert(state.expByte >= 48 && state.expByte <= 79);
  BuildBaseSubst(state, baseTable, introExcerpt);
  std::memcpy(state.work + 1, initialKey, kKeySize);
  ShuffleSubst(state);
  state.pos = PositionFrom(state, 1);
  Rekey(state);

  ShuffleSubst(state);
  std::memcpy(state.savedSubst, state.subst, sizeof state.subst);
  std::memcpy(state.savedInverse, state.inverse, sizeof state.inverse);
  state.pos = PositionFrom(state, 1);
  Rekey(state);

  std::int16_t p = PositionFrom(state, 2);
  SeedGenerator(state, 1, p);
  state.savedGen1[0] = state.gen1.a;
  state.savedGen1[1] = state.gen1.b;
  SeedGenerator(state, 2, p);
  state.savedGen2[0] = state.gen2.a;
  state.savedGen2[1] = state.gen2.b;
  state.savedPos = p;

  state.pos = PositionFrom(state, 3);
  Rekey(state);
  std::memcpy(state.savedWork, state.work, sizeof state.work);
  std::memcpy(initialKey, state.work + 1, kKeySize);
}

void ResetCipher(CipherState& state) {
  std::memcpy(state.subst, state.savedSubst, sizeof state.subst);
  std::memcpy(state.inverse, state.savedInverse, sizeof state.inverse);
  std::memcpy(state.work, state.savedWork, sizeof state.work);
  state.gen1 = {state.savedGen1[0], state.savedGen1[1], state.savedGen1[0]};
  state.check1 = ByteOf(state.gen1.a, 2) & 0x3F;
  state.gen2 = {state.savedGen2[0], state.savedGen2[1], state.savedGen2[0]};
  state.pos = state.savedPos;
  // Every dataset of the single forms starts from the same state, so it
  // decodes on its own, whatever the previous dataset requested.
  state.stirPending = false;
  state.rekeyPending = false;
}

}  // namespace cipher
