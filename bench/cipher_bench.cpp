// Speed of the block transform (512-byte blocks, both directions, by every
// byte path this processor has), of its two parts (the schedule, which runs
// the state ahead without the data, and its application to the data), and of
// the extended product next to a plain double product.
//
// Run from a Release build:
//   cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release &&
//   cmake --build build-release -j2 --target cipher_bench && build-release/bench/cipher_bench

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>

#include <benchmark/benchmark.h>

#include "cipher/block_schedule.h"
#include "cipher/byte_transform.h"
#include "cipher/cipher_state.h"
#include "cipher/exact_product.h"
#include "cipher/instruction_set.h"
#include "cipher/keystream.h"
#include "platform/intro_screen.h"

namespace {

using cipher::BytePath;

constexpr int kBlockLength = 512;
constexpr int kProducts = 1024;

void PrepareState(cipher::CipherState& state, bool encode, BytePath path) {
  std::uint8_t plain[platform::kScreenSize];
  platform::Decipher(platform::StoredIntroImage(0), platform::kScreenSize, plain);
  std::uint8_t initialKey[cipher::kKeySize];
  for (int i = 0; i < cipher::kKeySize; ++i) {
    initialKey[i] = static_cast<std::uint8_t>("benchmark key"[i % 13]);
  }
  state.encode = encode;
  state.bytePath = path;
  cipher::PrepareKey(state, initialKey, platform::kBaseTable, plain + platform::kExcerptOffset);
  cipher::ResetCipher(state);
}

// Skips a benchmark of a path that this processor cannot run.
bool Skipped(benchmark::State& run, bool available) {
  if (available) {
    return false;
  }
  run.SkipWithError("this processor lacks the instructions of this path");
  return true;
}

// Whole blocks, one TransformBlock each, as dataset processing calls it.
void BM_TransformBlock(benchmark::State& run, bool encode, BytePath path) {
  if (Skipped(run, cipher::BytePathAvailable(path))) {
    return;
  }
  static cipher::CipherState state;
  PrepareState(state, encode, path);
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

// A chunk of 1 MiB of whole blocks at once, each block's byte work beside
// the next block's key bytes where the processor allows.
void BM_TransformBlocks(benchmark::State& run, bool encode, BytePath path) {
  if (Skipped(run, cipher::BytePathAvailable(path))) {
    return;
  }
  static cipher::CipherState state;
  PrepareState(state, encode, path);
  constexpr int kBlocks = 2048;
  auto chunk = std::make_unique<std::uint8_t[]>(kBlocks * kBlockLength);
  for (int i = 0; i < kBlocks * kBlockLength; ++i) {
    chunk[i] = static_cast<std::uint8_t>(i);
  }
  for (auto _ : run) {
    cipher::TransformBlocks(state, chunk.get(), kBlockLength, kBlocks);
    benchmark::DoNotOptimize(chunk.get());
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * kBlocks * kBlockLength);
}

// The data-independent part alone: pending stirs and rekeys, both
// generators' key bytes and the check, for a schedule's worth of blocks.
void BM_Schedule(benchmark::State& run) {
  static cipher::CipherState state;
  PrepareState(state, true, BytePath::kFastest);
  auto schedule = std::make_unique<cipher::BlockSchedule>();
  for (auto _ : run) {
    cipher::BeginSchedule(state, *schedule);
    benchmark::DoNotOptimize(
        cipher::ScheduleBlocks(state, *schedule, kBlockLength, cipher::kScheduleBlocks));
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * cipher::kScheduleBlocks *
                        kBlockLength);
}

// Both generators' key bytes for a block, by each way of forming the products.
void BM_BlockKeys(benchmark::State& run, cipher::ProductPath path) {
  if (Skipped(run, cipher::PathAvailable(path))) {
    return;
  }
  static cipher::CipherState state;
  PrepareState(state, true, BytePath::kFastest);
  cipher::BlockKeyBuffer keys;
  for (auto _ : run) {
    cipher::GenerateBlockKeysBy(path, state, kBlockLength, {keys.pass1, keys.pass2});
    benchmark::DoNotOptimize(keys);
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * kBlockLength);
}

// The byte work alone: one schedule applied to its blocks again and again.
void BM_ApplySchedule(benchmark::State& run, bool encode, BytePath path) {
  if (Skipped(run, cipher::BytePathAvailable(path))) {
    return;
  }
  static cipher::CipherState state;
  PrepareState(state, encode, path);
  auto schedule = std::make_unique<cipher::BlockSchedule>();
  cipher::BeginSchedule(state, *schedule);
  cipher::ScheduleBlocks(state, *schedule, kBlockLength, cipher::kScheduleBlocks);
  auto data = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(schedule->dataBytes));
  for (auto _ : run) {
    cipher::ApplySchedule(*schedule, data.get());
    benchmark::DoNotOptimize(data.get());
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * schedule->dataBytes);
}

BENCHMARK_CAPTURE(BM_TransformBlock, encode_scalar, true, BytePath::kScalar);
BENCHMARK_CAPTURE(BM_TransformBlock, encode_avx2, true, BytePath::kAvx2);
BENCHMARK_CAPTURE(BM_TransformBlock, encode_avx512, true, BytePath::kAvx512);
BENCHMARK_CAPTURE(BM_TransformBlock, decode_scalar, false, BytePath::kScalar);
BENCHMARK_CAPTURE(BM_TransformBlock, decode_avx2, false, BytePath::kAvx2);
BENCHMARK_CAPTURE(BM_TransformBlock, decode_avx512, false, BytePath::kAvx512);
BENCHMARK_CAPTURE(BM_TransformBlocks, encode_avx512, true, BytePath::kAvx512);
BENCHMARK_CAPTURE(BM_TransformBlocks, decode_avx512, false, BytePath::kAvx512);
BENCHMARK_CAPTURE(BM_TransformBlocks, encode_avx2, true, BytePath::kAvx2);
BENCHMARK(BM_Schedule);
BENCHMARK_CAPTURE(BM_BlockKeys, integer, cipher::ProductPath::kInteger);
BENCHMARK_CAPTURE(BM_BlockKeys, fused, cipher::ProductPath::kFused);
BENCHMARK_CAPTURE(BM_BlockKeys, fused_vector, cipher::ProductPath::kFusedVector);
BENCHMARK_CAPTURE(BM_BlockKeys, fused_vector_avx512, cipher::ProductPath::kFusedVectorAvx512);
BENCHMARK_CAPTURE(BM_ApplySchedule, encode_scalar, true, BytePath::kScalar);
BENCHMARK_CAPTURE(BM_ApplySchedule, encode_avx2, true, BytePath::kAvx2);
BENCHMARK_CAPTURE(BM_ApplySchedule, encode_avx512, true, BytePath::kAvx512);
BENCHMARK_CAPTURE(BM_ApplySchedule, decode_scalar, false, BytePath::kScalar);
BENCHMARK_CAPTURE(BM_ApplySchedule, decode_avx2, false, BytePath::kAvx2);
BENCHMARK_CAPTURE(BM_ApplySchedule, decode_avx512, false, BytePath::kAvx512);

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

BENCHMARK(BM_IndependentExtendedProducts);
BENCHMARK(BM_IndependentPlainProducts);
BENCHMARK(BM_IndependentPlainScalarProducts);
BENCHMARK(BM_ChainedExtendedProducts);
BENCHMARK(BM_ChainedPlainProducts);
BENCHMARK(BM_IndependentIntegerProducts);

}  // namespace
