#pragma once
// The cipher's state and the key schedule.

#include <cstdint>

namespace cipher {

inline constexpr int kKeySize = 256;
inline constexpr int kExcerptLength = 15;
inline constexpr int kMaxBlockLength = 1023;

// The way the block transform does its byte work: the portable loops, or
// vectors of 32 (AVX2) or 64 bytes (AVX-512 with byte permutes). Every way
// gives the same bytes. kFastest takes AVX-512 where the processor has it and
// the portable loops elsewhere; a path the processor lacks falls back to the
// portable loops.
enum class BytePath : std::uint8_t { kFastest, kScalar, kAvx2, kAvx512 };

struct Generator {
  double a = 0;
  double b = 0;
  double ref = 0;  // the value of `a` right after the last seeding
};

struct CipherState {
  std::uint8_t subst[256] = {};    // substitution table S
  std::uint8_t inverse[256] = {};  // its inverse Si, built only when decoding
  std::uint8_t work[257] = {};     // working key block W, positions 1..256 (index 0 unused)
  Generator gen1;
  Generator gen2;
  std::uint16_t check1 = 0;  // 6-bit check value of gen1
  std::int16_t pos = 0;      // position counter into W for reseeding
  bool stirPending = false;
  bool rekeyPending = false;
  bool encode = true;        // forms 1 and 3
  bool oneUnit = false;      // forms 3 and 4
  BytePath bytePath = BytePath::kFastest;  // forced to one way only by tests and benchmarks
  std::uint8_t expByte = 0;  // byte 7 of every generator value
  std::uint8_t savedSubst[256] = {};
  std::uint8_t savedInverse[256] = {};
  std::uint8_t savedWork[257] = {};
  double savedGen1[2] = {};
  double savedGen2[2] = {};
  std::int16_t savedPos = 0;
};

// Builds the whole state from `initialKey` (256 bytes, overwritten with the
// prepared key block), the fixed `baseTable` (256 bytes) and `introExcerpt`
// (15 bytes). `state.encode` must be set before.
void PrepareKey(CipherState& state, std::uint8_t* initialKey, const std::uint8_t* baseTable,
                const std::uint8_t* introExcerpt);

// Restores the starting state that PrepareKey saved.
void ResetCipher(CipherState& state);

// Encodes or decodes (by `state.encode`) the first `n` bytes of `block` in
// place, 1 <= n <= 1023.
void TransformBlock(CipherState& state, std::uint8_t* block, int n);

// TransformBlock for `count` blocks of `n` bytes that lie one after the other
// at `data`; the same bytes and state.
void TransformBlocks(CipherState& state, std::uint8_t* data, int n, int count);

}  // namespace cipher
