// Speed of the block transform (512-byte blocks, both directions) and of the
// extended product next to a plain double product.
//
// Run from a Release build:
//   cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release &&
//   cmake --build build-release -j2 --target cipher_bench && build-release/bench/cipher_bench

#include <cstdint>
#include <cstring>
#include <random>

#include <benchmark/benchmark.h>

#include "cipher/cipher_state.h"
#include "cipher/exact_product.h"
#include "cipher/instruction_set.h"
#include "platform/intro_screen.h"

namespace {

constexpr int kBlockLength = 512;
constexpr int kProducts = 1024;

void PrepareState(cipher::CipherState& state, bool encode) {
  std::uint8_t plain[platform::kScreenSize];
  platform::Decipher(platform::StoredIntroImage(0), platform::kScreenSize, plain);
  std::uint8_t initialKey[cipher::kKeySize];
  for (int i = 0; i < cipher::kKeySize; ++i) {
    initialKey[i] = static_cast<std::uint8_t>("benchmark key"[i % 13]);
  }
  state.encode = encode;
  cipher::PrepareKey(state, initialKey, platform::kBaseTable, plain + platform::kExcerptOffset);
  cipher::ResetCipher(state);
}

void TransformBlocks(benchmark::State& run, bool encode) {
  static cipher::CipherState state;
  PrepareState(state, encode);
  std::uint8_t block[kBlockLength];
  for (int i = 0; i < kBlockLength; ++i) {
    block[i] = static_cast<std::uint8_t>(i);
  }
  for (auto _ : run) {
    cipher::TransformBlock(state, block, kBlockLength);
    benchmark::DoNotOptimize(block);
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * kBlockLength);
}

void BM_EncodeBlock512(benchmark::State& run) { TransformBlocks(run, true); }
void BM_DecodeBlock512(benchmark::State& run) { TransformBlocks(run, false); }

// Operands as the block keystream forms them: significands at the working
// exponent, in [1, 2).
struct Operands {
  double x[kProducts];
  double y[kProducts];
  double out[kProducts];
  Operands() {
    std::mt19937_64 random(5);
    for (int i = 0; i < kProducts; ++i) {
      x[i] = std::bit_cast<double>((random() & cipher::kFractionMask) | 0x3FF0000000000000u);
      y[i] = std::bit_cast<double>((random() & cipher::kFractionMask) | 0x3FF0000000000000u);
    }
  }
};

TARVEX5_ALWAYS_INLINE double FractionOf(double v) {
  return std::bit_cast<double>((std::bit_cast<std::uint64_t>(v) & cipher::kFractionMask) |
                               0x3FF0000000000000u);
}

// Independent products (throughput).
TARVEX5_TARGET_FMA void ManyExtended(Operands& o) {
  for (int i = 0; i < kProducts; ++i) {
    o.out[i] = cipher::FusedExtendedProduct(o.x[i], o.y[i]);
  }
}
TARVEX5_TARGET_FMA void ManyPlain(Operands& o) {
  for (int i = 0; i < kProducts; ++i) {
    o.out[i] = o.x[i] * o.y[i];
  }
}
// The same, one product per instruction as the extended product has it
// (the loop above is vectorised by the compiler).
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-tree-vectorize")))
#endif
TARVEX5_TARGET_FMA void
ManyPlainScalar(Operands& o) {
  for (int i = 0; i < kProducts; ++i) {
    o.out[i] = o.x[i] * o.y[i];
  }
}

// A chain where each product feeds the next, as in a generator (latency).
TARVEX5_TARGET_FMA double ChainExtended(const Operands& o) {
  double v = 1.5;
  for (int i = 0; i < kProducts; ++i) {
    v = FractionOf(cipher::FusedExtendedProduct(v, o.y[i]));
  }
  return v;
}
TARVEX5_TARGET_FMA double ChainPlain(const Operands& o) {
  double v = 1.5;
  for (int i = 0; i < kProducts; ++i) {
    v = FractionOf(v * o.y[i]);
  }
  return v;
}

void ReportProducts(benchmark::State& run) {
  run.counters["products/s"] = benchmark::Counter(static_cast<double>(run.iterations()) * kProducts,
                                                  benchmark::Counter::kIsRate);
}

void BM_IndependentExtendedProducts(benchmark::State& run) {
  static Operands o;
  for (auto _ : run) {
    ManyExtended(o);
    benchmark::DoNotOptimize(o.out);
  }
  ReportProducts(run);
}

void BM_IndependentPlainProducts(benchmark::State& run) {
  static Operands o;
  for (auto _ : run) {
    ManyPlain(o);
    benchmark::DoNotOptimize(o.out);
  }
  ReportProducts(run);
}

void BM_IndependentPlainScalarProducts(benchmark::State& run) {
  static Operands o;
  for (auto _ : run) {
    ManyPlainScalar(o);
    benchmark::DoNotOptimize(o.out);
  }
  ReportProducts(run);
}

void BM_ChainedExtendedProducts(benchmark::State& run) {
  static Operands o;
  for (auto _ : run) {
    benchmark::DoNotOptimize(ChainExtended(o));
  }
  ReportProducts(run);
}

void BM_ChainedPlainProducts(benchmark::State& run) {
  static Operands o;
  for (auto _ : run) {
    benchmark::DoNotOptimize(ChainPlain(o));
  }
  ReportProducts(run);
}

// The portable path alone, as processors without FMA use it.
void BM_IndependentIntegerProducts(benchmark::State& run) {
  static Operands o;
  for (auto _ : run) {
    for (int i = 0; i < kProducts; ++i) {
      o.out[i] = cipher::ExtendedProductInteger(o.x[i], o.y[i]);
    }
    benchmark::DoNotOptimize(o.out);
  }
  ReportProducts(run);
}

BENCHMARK(BM_EncodeBlock512);
BENCHMARK(BM_DecodeBlock512);
BENCHMARK(BM_IndependentExtendedProducts);
BENCHMARK(BM_IndependentPlainProducts);
BENCHMARK(BM_IndependentPlainScalarProducts);
BENCHMARK(BM_ChainedExtendedProducts);
BENCHMARK(BM_ChainedPlainProducts);
BENCHMARK(BM_IndependentIntegerProducts);

}  // namespace
