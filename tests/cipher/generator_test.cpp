#include "cipher/generator.h"

#include <string>

#include <gtest/gtest.h>

#include "cipher/keystream.h"
#include "cipher_test_support.h"

namespace {

using cipher::ByteOf;
using cipher::CipherState;

// Key byte `t` of a group, with the two byte-1 XORs, read off the generator
// values one byte at a time.
std::uint8_t ExpectedKey(const cipher::Generator& gen, int t) {
  std::uint8_t key = t < 4 ? ByteOf(gen.a, 5 - t) : ByteOf(gen.b, 9 - t);
  if (t == 0) {
    key ^= ByteOf(gen.b, 1);
  }
  if (t == 4) {
    key ^= ByteOf(gen.a, 1);
  }
  return key;
}

// Generator `g` through a block of `n` bytes one StepGenerator at a time,
// checking the batch's key bytes on the way.
void ExpectStepByStep(CipherState& literal, int g, int n, const std::uint8_t* keys) {
  cipher::Generator& gen = cipher::GeneratorOf(literal, g);
  for (int q = 0; q < n; q += 8) {
    for (int t = 0; t < 8 && q + t < n; ++t) {
      ASSERT_EQ(ExpectedKey(gen, t), keys[q + t]) << "generator " << g << ", byte " << q + t;
    }
    cipher::StepGenerator(literal, g);
    const bool compared = g == 2 || q + 8 <= n;  // no comparison after pass 1's tail
    if (compared && gen.a == gen.ref) {
      cipher::SeedGenerator(literal, g, literal.pos);
      if (g == 1) {
        literal.stirPending = true;
        literal.rekeyPending = true;
      }
    }
  }
}

// The block keystream runs at a working exponent and steps both generators
// side by side; it must give the key bytes and values of the plain steps,
// whatever the exponent byte, and reseed in the passes' order.
TEST(Generator, BlockKeysFollowTheStepByStepGenerators) {
  CipherState prepared;
  cipher_test::Prepare(prepared, "generators", true);
  struct Case {
    int n;
    int returns1;  // step after which generator 1 comes back (0: never)
    int returns2;
  };
  const Case kCases[] = {
      {1, 0, 0},     {5, 0, 0},   {8, 0, 0},   {13, 0, 0},  {512, 0, 0},
      {1023, 0, 0},  {512, 3, 0}, {512, 0, 5}, {512, 7, 2}, {512, 4, 4},
      {512, 64, 64}, {13, 2, 0},  {13, 0, 2},  {13, 1, 1},  {1023, 128, 128},
  };
  using cipher::ProductPath;
  for (ProductPath path : {ProductPath::kInteger, ProductPath::kFused, ProductPath::kFusedVector,
                           ProductPath::kFusedVectorAvx512}) {
    if (!cipher::PathAvailable(path)) {
      continue;
    }
    for (int expByte : {48, 61, 79}) {
      for (const Case& c : kCases) {
        SCOPED_TRACE("path " + std::to_string(static_cast<int>(path)) + ", expByte " +
                     std::to_string(expByte) + ", n " + std::to_string(c.n) + ", returns " +
                     std::to_string(c.returns1) + "/" + std::to_string(c.returns2));
        CipherState state = prepared;
        state.expByte = static_cast<std::uint8_t>(expByte);
        std::int16_t p = 1;
        cipher::SeedGenerator(state, 1, p);
        cipher::SeedGenerator(state, 2, p);
        if (c.returns1 > 0) {
          cipher_test::ForceReturnAfter(state, 1, c.returns1);
        }
        if (c.returns2 > 0) {
          cipher_test::ForceReturnAfter(state, 2, c.returns2);
        }
        CipherState literal = state;

        cipher::BlockKeyBuffer keys;
        cipher::GenerateBlockKeysBy(path, state, c.n, {keys.pass1, keys.pass2});
        ExpectStepByStep(literal, 1, c.n, keys.pass1);
        ExpectStepByStep(literal, 2, c.n, keys.pass2);
        cipher_test::ExpectSameRunningState(literal, state);
      }
    }
  }
}

}  // namespace
