#pragma once
// The two keystream generators. Each holds two doubles `a` and `b`; only their
// fraction bits reach the data. Every value a generator holds is the square of
// a double whose top byte is the state's expByte and whose low exponent bits
// are zero, so for expByte 48..79 every value, square and product is a normal
// double.

#include <bit>
#include <cstdint>
#include <cstring>

#include "cipher/cipher_state.h"

namespace cipher {

inline constexpr int kGroupLength = 8;
inline constexpr int kMaxGroups = (kMaxBlockLength + kGroupLength - 1) / kGroupLength;  // 128

// Byte `k` (0..7) of `x`: byte k of its IEEE-754 representation in little-endian
// order, whatever the host's byte order (byte 0 holds the lowest fraction bits,
// byte 7 the sign and the top exponent bits).
inline std::uint8_t ByteOf(double x, int k) {
  return static_cast<std::uint8_t>(std::bit_cast<std::uint64_t>(x) >> (8 * k));
}

// Replaces byte `k` of `x` by `value`; the other 56 bits stay.
inline void SetByte(double& x, int k, std::uint8_t value) {
  const std::uint64_t mask = std::uint64_t{0xFF} << (8 * k);
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  x = std::bit_cast<double>((bits & ~mask) | (std::uint64_t{value} << (8 * k)));
}

// Generator `g` (1 or 2) of `state`.
inline Generator& GeneratorOf(CipherState& state, int g) {
  return g == 1 ? state.gen1 : state.gen2;
}

// If `p` > 122, lowers it by 122 (once). Positions 1..122 keep every index a
// seeding reads within W[1..256].
void ReducePos(std::int16_t& p);

// Loads generator `g` from W at position `p` (after ReducePos): `a` from the
// odd positions 2p-1 .. 2p+11, `b` from the even positions 2p .. 2p+12, then
// squares both, takes one step and makes the new `a` the reference value.
// Generator 1 also sets check1. Advances `p` by 7.
void SeedGenerator(CipherState& state, int g, std::int16_t& p);

// Advances generator `g` by one step: a, b = a*b, a; both get expByte as their
// top byte and lose their low exponent bits; both are squared. Every product is
// the extended product.
void StepGenerator(CipherState& state, int g);

// The eight key bytes of one group of 8 bytes, from the generator values `a`,
// `b` at the start of the group: a.b5 a.b4 a.b3 a.b2 b.b5 b.b4 b.b3 b.b2, with
// b.b1 folded into byte 0 and a.b1 into byte 4. Byte t of the result (counted
// from the low end) belongs to offset t of the group.
inline std::uint64_t GroupKey(double a, double b) {
  const std::uint64_t aBits = std::bit_cast<std::uint64_t>(a);
  const std::uint64_t bBits = std::bit_cast<std::uint64_t>(b);
  const auto reversed = [](std::uint64_t bits) {  // bytes 5, 4, 3, 2 to bytes 0..3
#if defined(__GNUC__) || defined(__clang__)
    return (__builtin_bswap64(bits) >> 16) & 0xFFFFFFFF;  // one instruction for the four shifts
#else
    return ((bits >> 40) & 0xFF) | ((bits >> 24) & 0xFF00) | ((bits >> 8) & 0xFF0000) |
           ((bits << 8) & 0xFF000000);
#endif
  };
  const std::uint64_t low = reversed(aBits) ^ ((bBits >> 8) & 0xFF);
  const std::uint64_t high = reversed(bBits) ^ ((aBits >> 8) & 0xFF);
  return low | (high << 32);
}

// Writes the eight bytes of `key` to `destination`, byte 0 first.
inline void StoreGroupKey(std::uint8_t* destination, std::uint64_t key) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(destination, &key, sizeof key);
  } else {
    for (int t = 0; t < kGroupLength; ++t) {
      destination[t] = static_cast<std::uint8_t>(key >> (8 * t));
    }
  }
}

// Where the key bytes of one block go, for both passes: byte i belongs to
// byte i of the block (counted from 0). A block of n bytes fills n rounded up
// to a whole group; bytes past the block length are unspecified.
struct BlockKeys {
  std::uint8_t* pass1;
  std::uint8_t* pass2;
};

// Room for the key bytes of one block of any length.
struct BlockKeyBuffer {
  alignas(64) std::uint8_t pass1[kMaxGroups * kGroupLength];
  alignas(64) std::uint8_t pass2[kMaxGroups * kGroupLength];
};

// Runs both generators through a block of `n` bytes (1..1023), one step per
// group and one for a non-empty tail, writing their key bytes to `keys`.
// Generator 1 runs first: after each group step whose `a` has come back to its
// reference value it is reseeded from `pos` and both pending flags are set (not
// after the tail step). Generator 2 then does the same after every step,
// including the tail's, without touching the flags. Both directions of the
// block transform call this before they touch the data, so they reseed from the
// same positions.
void GenerateBlockKeys(CipherState& state, int n, const BlockKeys& keys);

}  // namespace cipher
