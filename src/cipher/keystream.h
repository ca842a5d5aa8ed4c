#pragma once
// The bulk stepping of both generators through one block, in each of the ways
// a processor may allow. Every way gives the same key bytes and values; the
// tests hold them against each other and against StepGenerator.
//
// Here the generator values are held at a working exponent: scaled by a power
// of two into [1, 4). The fraction bits and the results of comparisons are
// those of the true values, because no true value is subnormal or overflows;
// and the fused multiply-add path stays exact whatever the expByte (near the
// true exponents of expByte 48 its error terms would be subnormal).

#include <bit>
#include <cstdint>

#include "cipher/byte_transform.h"
#include "cipher/exact_product.h"
#include "cipher/generator.h"

namespace cipher {

// Inside a path's loop the values are held loosely: each is its true value
// times an even power of two. A step is x = a * b, a' = x * x, b' = a * a:
// only every fourth step takes the fractions of x and a first (FractionOf),
// as the generators' own step does each time. Rounding does not see a power
// of two, and the mask only ever takes one out of x or a (the square makes it
// even), so every product keeps its fraction bits and its need for the
// integer path, and the key bytes, which come from the fraction alone, stay
// the same. The chain from a to a' is then two products, without the mask
// between them in three steps of four. After a step with the fractions the
// values are the true ones again; three steps without them keep every value
// below 2^128.
inline constexpr int kLooseSteps = 4;

// Whether step `i` of a block takes the fractions of x and a.
inline bool TakesFractions(int i) { return i % kLooseSteps == kLooseSteps - 1; }

// The fraction of `v` as a double in [1, 2).
inline double FractionOf(double v) {
  return std::bit_cast<double>((std::bit_cast<std::uint64_t>(v) & kFractionMask) |
                               0x3FF0000000000000u);
}

// The bits that LooseEquals compares.
inline constexpr std::uint64_t kLooseCompareMask = kFractionMask | (std::uint64_t{1} << 52);

// Whether the loosely held `a` is the value `ref` (a true value in [1, 4)):
// the same fraction, and the same lowest exponent bit (the even power keeps
// it, and it tells [1, 2) from [2, 4)).
inline bool LooseEquals(double a, double ref) {
  return ((std::bit_cast<std::uint64_t>(a) ^ std::bit_cast<std::uint64_t>(ref)) &
          kLooseCompareMask) == 0;
}

// The true value, in [1, 4), of a loosely held one.
inline double Tightened(double v) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  return std::bit_cast<double>((std::uint64_t{0x400} << 52) + (bits & kFractionMask) -
                               (bits & (std::uint64_t{1} << 52)));
}

enum class ProductPath {
  kInteger,      // the integer extended product (every processor)
  kFused,        // scalar fused multiply-add path
  kFusedVector,  // both generators in one x86 vector register, with FMA
  kFusedVectorAvx512,  // the same, the key bytes formed after the steps by AVX-512 byte permutes
};

// Whether `path` can run on this processor and build.
bool PathAvailable(ProductPath path);

// The fastest available path.
ProductPath BestProductPath();

// Steps the scaled generators `gen1` and `gen2` side by side, writing their
// key bytes, until both have taken `steps` steps or until the first step
// after which one has come back to its reference value (generator 1 counts
// only within the first `groups` steps). Returns that step's index (its step
// taken and keys written, the reseed not done), or `steps`.
int RunBothGenerators(ProductPath path, Generator& gen1, Generator& gen2, int steps, int groups,
                      const BlockKeys& keys);

// GenerateBlockKeys (generator.h) by a chosen path.
void GenerateBlockKeysBy(ProductPath path, CipherState& state, int n, const BlockKeys& keys);

// The paths' own loops (keystream_portable.cpp, keystream_x86.cpp).
int RunBothInteger(Generator& gen1, Generator& gen2, int steps, int groups, const BlockKeys& keys);
int RunBothFused(Generator& gen1, Generator& gen2, int steps, int groups, const BlockKeys& keys);
int RunBothFusedVector(Generator& gen1, Generator& gen2, int steps, int groups,
                       const BlockKeys& keys);
int RunBothFusedVectorAvx512(Generator& gen1, Generator& gen2, int steps, int groups,
                             const BlockKeys& keys);

// The byte work of a block whose key bytes are known (the block before the
// one being generated), taken beside the generators' steps.
struct BytesBeside {
  BytePath path;  // as UsableBytePath resolves it
  bool encode;
  ByteWork work;
  std::uint8_t* data;
  int length;  // 2..1023
};

// Whether the generators' steps can take a block's byte work beside them
// here: the AVX-512 paths of both.
bool BytesBesideAvailable(ProductPath path, BytePath bytePath);

// RunBothFusedVectorAvx512 that also transforms `bytes`, all of them,
// wherever the generators stop.
int RunBothBesideBytesAvx512(Generator& gen1, Generator& gen2, int steps, int groups,
                             const BlockKeys& keys, const BytesBeside& bytes);

// GenerateBlockKeysBy with the byte work of `bytes` done too; by the paths
// that can take it beside the steps, or else one after the other.
void GenerateBlockKeysBeside(ProductPath path, CipherState& state, int n, const BlockKeys& keys,
                             const BytesBeside& bytes);

}  // namespace cipher
