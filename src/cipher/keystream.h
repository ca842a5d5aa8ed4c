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

#include "cipher/generator.h"

namespace cipher {

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

}  // namespace cipher
