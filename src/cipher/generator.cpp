#include "cipher/generator.h"

#include <initializer_list>

#include "cipher/exact_product.h"
#include "cipher/instruction_set.h"
#include "cipher/keystream.h"

namespace cipher {

namespace {

// Sets byte 7 to `expByte` and clears the low exponent bits in byte 6.
void SetExpByte(double& x, std::uint8_t expByte) {
  SetByte(x, 7, expByte);
  SetByte(x, 6, ByteOf(x, 6) & 0x0F);
}

// The block keystream scales the generator values into [1, 4) (keystream.h).
// The true biased exponent of a value is 32 * expByte - 1023 (plus one when
// its square carried); the scaled one is 1023 (plus one).
std::uint64_t ExponentShift(std::uint8_t expByte) {
  return static_cast<std::uint64_t>(32 * expByte - 2046) << 52;
}

Generator Scaled(const Generator& gen, std::uint64_t shift) {
  const auto scale = [shift](double v) {
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(v) + shift);
  };
  return {scale(gen.a), scale(gen.b), scale(gen.ref)};
}

void ReseedAfterReturn(CipherState& state, int g) {
  SeedGenerator(state, g, state.pos);
  if (g == 1) {
    state.stirPending = true;
    state.rekeyPending = true;
  }
}

// Finishes generator `g`'s pass one step at a time after step `done` (taken,
// its comparison not yet made). Steps before `compared` compare with `ref`.
void FinishPass(CipherState& state, int g, int done, int steps, int compared, std::uint8_t* key) {
  Generator& gen = GeneratorOf(state, g);
  if (done < compared && gen.a == gen.ref) {
    ReseedAfterReturn(state, g);
  }
  for (int i = done + 1; i < steps; ++i) {
    StoreGroupKey(key + kGroupLength * i, GroupKey(gen.a, gen.b));
    StepGenerator(state, g);
    if (i < compared && gen.a == gen.ref) {
      ReseedAfterReturn(state, g);
    }
  }
}

}  // namespace

void ReducePos(std::int16_t& p) {
  if (p > 122) {
    p = static_cast<std::int16_t>(p - 122);
  }
}

void SeedGenerator(CipherState& state, int g, std::int16_t& p) {
  ReducePos(p);
  Generator& gen = GeneratorOf(state, g);
  const std::uint8_t* w = state.work;
  for (int j = 0; j <= 6; ++j) {
    SetByte(gen.a, 6 - j, w[2 * (p + j) - 1]);
    SetByte(gen.b, 6 - j, w[2 * (p + j)]);
  }
  SetExpByte(gen.a, state.expByte);
  SetExpByte(gen.b, state.expByte);
  gen.a = ExtendedProduct(gen.a, gen.a);
  gen.b = ExtendedProduct(gen.b, gen.b);
  StepGenerator(state, g);
  gen.ref = gen.a;
  if (g == 1) {
    state.check1 = ByteOf(gen.a, 2) & 0x3F;
  }
  p = static_cast<std::int16_t>(p + 7);
}

void StepGenerator(CipherState& state, int g) {
  Generator& gen = GeneratorOf(state, g);
  const double x = ExtendedProduct(gen.a, gen.b);
  gen.b = gen.a;
  gen.a = x;
  SetExpByte(gen.a, state.expByte);
  SetExpByte(gen.b, state.expByte);
  gen.a = ExtendedProduct(gen.a, gen.a);
  gen.b = ExtendedProduct(gen.b, gen.b);
}

bool PathAvailable(ProductPath path) {
  switch (path) {
    case ProductPath::kInteger:
      return true;
    case ProductPath::kFused:
      return HasFastProduct();
    case ProductPath::kFusedVector:
      return TARVEX5_X86_DISPATCH && HasFastProduct();
    case ProductPath::kFusedVectorAvx512:
      return TARVEX5_X86_DISPATCH && HasFastProduct() && ProcessorHasAvx512Vbmi();
  }
  return false;
}

ProductPath BestProductPath() {
  static const ProductPath kBest = [] {
    for (ProductPath path :
         {ProductPath::kFusedVectorAvx512, ProductPath::kFusedVector, ProductPath::kFused}) {
      if (PathAvailable(path)) {
        return path;
      }
    }
    return ProductPath::kInteger;
  }();
  return kBest;
}

int RunBothGenerators(ProductPath path, Generator& gen1, Generator& gen2, int steps, int groups,
                      const BlockKeys& keys) {
  switch (path) {
    case ProductPath::kFusedVectorAvx512:
      return RunBothFusedVectorAvx512(gen1, gen2, steps, groups, keys);
    case ProductPath::kFusedVector:
      return RunBothFusedVector(gen1, gen2, steps, groups, keys);
    case ProductPath::kFused:
      return RunBothFused(gen1, gen2, steps, groups, keys);
    case ProductPath::kInteger:
      break;
  }
  return RunBothInteger(gen1, gen2, steps, groups, keys);
}

namespace {

// Runs both generators through a block of `n` bytes by `runBoth` (one of the
// RunBoth loops, at the working exponent), then finishes the passes of a
// generator that came back step by step, reseeding it.
template <typename RunBoth>
void GenerateBlockKeysWith(CipherState& state, int n, const BlockKeys& keys, RunBoth runBoth) {
  const int groups = n / kGroupLength;
  const int steps = (n + kGroupLength - 1) / kGroupLength;
  const std::uint64_t shift = ExponentShift(state.expByte);
  Generator gen1 = Scaled(state.gen1, 0 - shift);
  Generator gen2 = Scaled(state.gen2, 0 - shift);
  const int stop = runBoth(gen1, gen2, steps, groups);
  state.gen1 = Scaled(gen1, shift);
  state.gen2 = Scaled(gen2, shift);
  if (stop == steps) {
    return;
  }
  // Reseeding reads W at the shared counter `pos`: generator 1's reseeds must
  // all come before generator 2's, as its pass does.
  FinishPass(state, 1, stop, steps, groups, keys.pass1);
  FinishPass(state, 2, stop, steps, steps, keys.pass2);
}

}  // namespace

void GenerateBlockKeysBy(ProductPath path, CipherState& state, int n, const BlockKeys& keys) {
  GenerateBlockKeysWith(state, n, keys, [&](Generator& gen1, Generator& gen2, int steps, int groups) {
    return RunBothGenerators(path, gen1, gen2, steps, groups, keys);
  });
}

bool BytesBesideAvailable(ProductPath path, BytePath bytePath) {
  return path == ProductPath::kFusedVectorAvx512 && bytePath == BytePath::kAvx512 &&
         PathAvailable(path) && BytePathAvailable(bytePath);
}

void GenerateBlockKeysBeside(ProductPath path, CipherState& state, int n, const BlockKeys& keys,
                             const BytesBeside& bytes) {
  if (!BytesBesideAvailable(path, bytes.path) || bytes.length < 2) {
    TransformBytes(bytes.path, bytes.encode, bytes.work, bytes.data, bytes.length);
    GenerateBlockKeysBy(path, state, n, keys);
    return;
  }
  GenerateBlockKeysWith(state, n, keys, [&](Generator& gen1, Generator& gen2, int steps, int groups) {
    return RunBothBesideBytesAvx512(gen1, gen2, steps, groups, keys, bytes);
  });
}

void GenerateBlockKeys(CipherState& state, int n, const BlockKeys& keys) {
  GenerateBlockKeysBy(BestProductPath(), state, n, keys);
}

}  // namespace cipher
