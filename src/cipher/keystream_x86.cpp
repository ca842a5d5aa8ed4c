// The generators' bulk stepping on x86 processors with FMA: generator 1 in the
// low lane and generator 2 in the high lane of one vector register, so both
// chains of products run in the same instructions, and the fraction masks stay
// in the vector unit (a detour through the integer registers would lengthen
// every step's chain).

#include "cipher/instruction_set.h"
#include "cipher/keystream.h"

#if TARVEX5_X86_DISPATCH

// GCC 12 reports the intrinsics' own undefined start values as uninitialized.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "cipher/exact_product.h"

namespace cipher {

namespace {

// The extended product of both lanes: FusedExtendedProduct, lane by lane.
TARVEX5_TARGET_FMA inline __m128d ProductOfLanes(__m128d x, __m128d y) {
  const __m128d p = _mm_mul_pd(x, y);
  const __m128d e = _mm_fmsub_pd(x, y, p);  // the exact error x*y - p
  const __m128i nearTie = _mm_add_epi64(
      _mm_and_si128(_mm_castpd_si128(p), _mm_set1_epi64x(static_cast<long long>(kExponentMask))),
      _mm_set1_epi64x(0x000FFC0000000000 - (std::int64_t{54} << 52)));
  const __m128i eMagnitude =
      _mm_and_si128(_mm_castpd_si128(e), _mm_set1_epi64x(static_cast<long long>(~kSignMask)));
  const __m128i safe = _mm_cmpgt_epi64(nearTie, eMagnitude);
  if (!_mm_test_all_ones(safe)) [[unlikely]] {
    alignas(16) double xs[2];
    alignas(16) double ys[2];
    _mm_store_pd(xs, x);
    _mm_store_pd(ys, y);
    return _mm_set_pd(ExtendedProductInteger(xs[1], ys[1]), ExtendedProductInteger(xs[0], ys[0]));
  }
  return p;
}

TARVEX5_TARGET_FMA inline __m128d FractionOfLanes(__m128d v) {
  const __m128d fraction = _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(kFractionMask)));
  return _mm_or_pd(_mm_and_pd(v, fraction), _mm_set1_pd(1.0));
}

// GroupKey of the generator whose `a` is in the low and `b` in the high half
// of `ab`: bytes 5, 4, 3, 2 of a and of b, with b's byte 1 and a's byte 1
// folded into bytes 0 and 4. Written to the 8 bytes at `destination`.
TARVEX5_TARGET_FMA inline void StoreKeyOfLanes(std::uint8_t* destination, __m128d ab) {
  const __m128i bytes = _mm_castpd_si128(ab);
  const __m128i kept = _mm_setr_epi8(5, 4, 3, 2, 13, 12, 11, 10, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i folded =
      _mm_setr_epi8(9, -1, -1, -1, 1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i key = _mm_xor_si128(_mm_shuffle_epi8(bytes, kept), _mm_shuffle_epi8(bytes, folded));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(destination), key);
}

// One step of both generators.
TARVEX5_TARGET_FMA inline void StepLanes(__m128d& a, __m128d& b) {
  const __m128d nextA = FractionOfLanes(ProductOfLanes(a, b));
  const __m128d nextB = FractionOfLanes(a);
  a = ProductOfLanes(nextA, nextA);
  b = ProductOfLanes(nextB, nextB);
}

// Whether a generator is back at its reference value after step `i`: bit 0
// for generator 1 (it counts only after whole groups), bit 1 for generator 2.
TARVEX5_TARGET_FMA inline int BackOfLanes(__m128d a, __m128d ref, int i, int groups) {
  return _mm_movemask_pd(_mm_cmpeq_pd(a, ref)) & (i < groups ? 3 : 2);
}

// Puts the lanes back into the generators; returns `i`.
TARVEX5_TARGET_FMA inline int StoreLanes(Generator& gen1, Generator& gen2, __m128d a, __m128d b,
                                         int i) {
  alignas(16) double as[2];
  alignas(16) double bs[2];
  _mm_store_pd(as, a);
  _mm_store_pd(bs, b);
  gen1.a = as[0];
  gen1.b = bs[0];
  gen2.a = as[1];
  gen2.b = bs[1];
  return i;
}

// The key bytes of four steps at once from their values, each step's `a` and
// `b` lanes one after the other at `values` (32 bytes a step): byte t of a
// step's key for pass 1 comes from generator 1's lanes, for pass 2 from
// generator 2's, as StoreKeyOfLanes picks them. Writes 32 bytes to each pass.
TARVEX5_TARGET_AVX512_VL void StoreKeysOfFourSteps(const __m128d* values, std::uint8_t* pass1,
                                                   std::uint8_t* pass2) {
  // Index of every key byte in the 128 bytes of four steps; the folded bytes
  // (b.b1 into offset 0, a.b1 into offset 4) from a second look-up.
  alignas(64) static constexpr std::uint8_t kKept[64] = {
      5,  4,  3,  2,  21, 20, 19, 18, 37, 36, 35, 34, 53, 52, 51, 50,  // pass 1, steps 0, 1
      69, 68, 67, 66, 85, 84, 83, 82, 101, 100, 99, 98, 117, 116, 115, 114,  // steps 2, 3
      13, 12, 11, 10, 29, 28, 27, 26, 45, 44, 43, 42, 61, 60, 59, 58,  // pass 2, steps 0, 1
      77, 76, 75, 74, 93, 92, 91, 90, 109, 108, 107, 106, 125, 124, 123, 122};
  alignas(64) static constexpr std::uint8_t kFolded[64] = {
      17, 0, 0, 0, 1,  0, 0, 0, 49, 0, 0, 0, 33,  0, 0, 0, 81, 0, 0, 0, 65, 0,
      0,  0, 113, 0, 0, 0, 97, 0, 0, 0, 25, 0, 0, 0, 9,  0, 0, 0, 57, 0, 0, 0,
      41, 0, 0, 0, 89, 0, 0, 0, 73, 0, 0, 0, 121, 0, 0, 0, 105, 0, 0, 0};
  const __mmask64 foldedBytes = 0x1111111111111111;
  const __m512i first = _mm512_loadu_si512(values);
  const __m512i second = _mm512_loadu_si512(values + 4);
  const __m512i keys = _mm512_xor_si512(
      _mm512_permutex2var_epi8(first, _mm512_load_si512(kKept), second),
      _mm512_maskz_permutex2var_epi8(foldedBytes, first, _mm512_load_si512(kFolded), second));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(pass1), _mm512_castsi512_si256(keys));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(pass2), _mm512_extracti64x4_epi64(keys, 1));
}

}  // namespace

TARVEX5_TARGET_FMA int RunBothFusedVector(Generator& gen1, Generator& gen2, int steps, int groups,
                                          const BlockKeys& keys) {
  __m128d a = _mm_set_pd(gen2.a, gen1.a);
  __m128d b = _mm_set_pd(gen2.b, gen1.b);
  const __m128d ref = _mm_set_pd(gen2.ref, gen1.ref);
  int i = 0;
  for (; i < steps; ++i) {
    StoreKeyOfLanes(keys.pass1 + kGroupLength * i, _mm_unpacklo_pd(a, b));
    StoreKeyOfLanes(keys.pass2 + kGroupLength * i, _mm_unpackhi_pd(a, b));
    StepLanes(a, b);
    if (BackOfLanes(a, ref, i, groups) != 0) [[unlikely]] {
      break;
    }
  }
  return StoreLanes(gen1, gen2, a, b, i);
}

// The stepping loop keeps only the values; the key bytes follow in bulk.
// Fewer instructions in the loop leave its chain of products less delayed.
TARVEX5_TARGET_AVX512_VL int RunBothFusedVectorAvx512(Generator& gen1, Generator& gen2, int steps,
                                                      int groups, const BlockKeys& keys) {
  __m128d a = _mm_set_pd(gen2.a, gen1.a);
  __m128d b = _mm_set_pd(gen2.b, gen1.b);
  const __m128d ref = _mm_set_pd(gen2.ref, gen1.ref);
  __m128d values[2 * kMaxGroups];
  int i = 0;
  for (; i < steps; ++i) {
    values[2 * i] = a;
    values[2 * i + 1] = b;
    StepLanes(a, b);
    if (BackOfLanes(a, ref, i, groups) != 0) [[unlikely]] {
      break;
    }
  }
  const int taken = i < steps ? i + 1 : steps;
  int step = 0;
  for (; step + 4 <= taken; step += 4) {
    StoreKeysOfFourSteps(values + 2 * step, keys.pass1 + kGroupLength * step,
                         keys.pass2 + kGroupLength * step);
  }
  for (; step < taken; ++step) {
    const __m128d stepA = values[2 * step];
    const __m128d stepB = values[2 * step + 1];
    StoreKeyOfLanes(keys.pass1 + kGroupLength * step, _mm_unpacklo_pd(stepA, stepB));
    StoreKeyOfLanes(keys.pass2 + kGroupLength * step, _mm_unpackhi_pd(stepA, stepB));
  }
  return StoreLanes(gen1, gen2, a, b, i);
}

}  // namespace cipher

#else

namespace cipher {

// Not reached: PathAvailable() is false for these paths off x86.
int RunBothFusedVectorAvx512(Generator& gen1, Generator& gen2, int steps, int groups,
                             const BlockKeys& keys) {
  return RunBothFused(gen1, gen2, steps, groups, keys);
}

int RunBothFusedVector(Generator& gen1, Generator& gen2, int steps, int groups,
                       const BlockKeys& keys) {
  return RunBothFused(gen1, gen2, steps, groups, keys);
}

}  // namespace cipher

#endif
