// The generators' bulk stepping on x86 processors with FMA: generator 1 in the
// low lane and generator 2 in the high lane of one vector register, so both
// chains of products run in the same instructions, and the fraction masks of
// every fourth step (keystream.h) stay in the vector unit (a detour through
// the integer registers would lengthen the chain). Where AVX-512 is at hand,
// the test of the products, the test for a return and the key bytes leave
// the stepping loop for bulk work on 512-bit vectors.

#include "cipher/instruction_set.h"
#include "cipher/keystream.h"

#if TARVEX5_X86_DISPATCH

#include <cstddef>

#include "cipher/byte_vectors_avx512.h"
#include "cipher/exact_product.h"
#include "cipher/x86_intrinsics.h"

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

// GroupKey of both generators (generator 1 in the low lanes of `a` and `b`):
// bytes 5, 4, 3, 2 of a and of b, with b's byte 1 and a's byte 1 folded into
// bytes 0 and 4. Each lane's key is one shuffle of a and one of b within the
// lane, XORed; generator 1's is written to `pass1`, generator 2's to `pass2`.
TARVEX5_TARGET_FMA inline void StoreKeysOfLanes(std::uint8_t* pass1, std::uint8_t* pass2, __m128d a,
                                                __m128d b) {
  const __m128i fromA = _mm_setr_epi8(5, 4, 3, 2, 1, -1, -1, -1, 13, 12, 11, 10, 9, -1, -1, -1);
  const __m128i fromB = _mm_setr_epi8(1, -1, -1, -1, 5, 4, 3, 2, 9, -1, -1, -1, 13, 12, 11, 10);
  const __m128i key = _mm_xor_si128(_mm_shuffle_epi8(_mm_castpd_si128(a), fromA),
                                    _mm_shuffle_epi8(_mm_castpd_si128(b), fromB));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(pass1), key);
  _mm_storeh_pd(reinterpret_cast<double*>(pass2), _mm_castsi128_pd(key));
}

// Whether a generator is back at its reference value after step `i`
// (LooseEquals, keystream.h; `looseRef` holds the references' compared bits):
// bit 0 for generator 1 (it counts only after whole groups), bit 1 for
// generator 2.
TARVEX5_TARGET_FMA inline int BackOfLanes(__m128d a, __m128i looseRef, int i, int groups) {
  const __m128i compared = _mm_and_si128(
      _mm_castpd_si128(a), _mm_set1_epi64x(static_cast<long long>(kLooseCompareMask)));
  return _mm_movemask_pd(_mm_castsi128_pd(_mm_cmpeq_epi64(compared, looseRef))) &
         (i < groups ? 3 : 2);
}

TARVEX5_TARGET_FMA inline __m128i LooseRefOfLanes(const Generator& gen1, const Generator& gen2) {
  return _mm_and_si128(_mm_castpd_si128(_mm_set_pd(gen2.ref, gen1.ref)),
                       _mm_set1_epi64x(static_cast<long long>(kLooseCompareMask)));
}

// Step `i` of both generators, its key bytes stored first; true when a
// generator came back with it.
// The values are held loosely (keystream.h).
TARVEX5_TARGET_FMA inline bool TakeStep(__m128d& a, __m128d& b, __m128i looseRef, int i,
                                        int groups, const BlockKeys& keys) {
  StoreKeysOfLanes(keys.pass1 + kGroupLength * i, keys.pass2 + kGroupLength * i, a, b);
  __m128d x = ProductOfLanes(a, b);
  __m128d root = a;
  if (TakesFractions(i)) {
    x = FractionOfLanes(x);
    root = FractionOfLanes(a);
  }
  b = ProductOfLanes(root, root);
  a = ProductOfLanes(x, x);
  return BackOfLanes(a, looseRef, i, groups) != 0;
}

// The lanes' true values (Tightened, keystream.h, lane by lane).
TARVEX5_TARGET_FMA inline __m128d TightenedLanes(__m128d v) {
  const __m128i bits = _mm_castpd_si128(v);
  const __m128i fraction =
      _mm_and_si128(bits, _mm_set1_epi64x(static_cast<long long>(kFractionMask)));
  const __m128i lowExponentBit = _mm_and_si128(bits, _mm_set1_epi64x(std::int64_t{1} << 52));
  return _mm_castsi128_pd(_mm_sub_epi64(
      _mm_add_epi64(fraction, _mm_set1_epi64x(std::int64_t{0x400} << 52)), lowExponentBit));
}

// Both generators' `a` (generator 1 in the low lane) and `b`, each
// generator's pair read at once: it was written at once.
TARVEX5_TARGET_FMA inline void LoadLanes(const Generator& gen1, const Generator& gen2, __m128d& a,
                                         __m128d& b) {
  const __m128d one = _mm_loadu_pd(&gen1.a);
  const __m128d two = _mm_loadu_pd(&gen2.a);
  a = _mm_unpacklo_pd(one, two);
  b = _mm_unpackhi_pd(one, two);
}

// Puts the lanes back into the generators, as true values, each
// generator's pair at once, so that the next read of the pair is served
// straight from the write; returns `i`.
TARVEX5_TARGET_FMA inline int StoreLanes(Generator& gen1, Generator& gen2, __m128d a, __m128d b,
                                         int i) {
  const __m128d trueA = TightenedLanes(a);
  const __m128d trueB = TightenedLanes(b);
  static_assert(offsetof(Generator, b) == offsetof(Generator, a) + sizeof(double));
  _mm_storeu_pd(&gen1.a, _mm_unpacklo_pd(trueA, trueB));
  _mm_storeu_pd(&gen2.a, _mm_unpackhi_pd(trueA, trueB));
  return i;
}

// The AVX-512 loop takes its steps a window at a time.
constexpr int kWindow = 8;

// Where the key bytes of four steps come from, in the 64 bytes of their `a`
// values (step j's lanes at 16 j) followed by the 64 of their `b` values: the
// first 32 bytes are pass 1's keys (generator 1's lanes), the next 32 pass
// 2's, as StoreKeysOfLanes picks them. The folded bytes (b.b1 into offset 0,
// a.b1 into offset 4) come from a second look-up.
struct KeyIndices {
  std::uint8_t kept[64];
  std::uint8_t folded[64];
};

constexpr KeyIndices MakeKeyIndices() {
  KeyIndices indices{};
  for (int pass = 0; pass < 2; ++pass) {
    for (int j = 0; j < 4; ++j) {
      for (int t = 0; t < kGroupLength; ++t) {
        const int out = 32 * pass + kGroupLength * j + t;
        const int lane = 16 * j + 8 * pass;
        indices.kept[out] = static_cast<std::uint8_t>((t < 4 ? lane : 64 + lane) + 5 - t % 4);
        const int folded = t == 0 ? 64 + lane + 1 : lane + 1;
        indices.folded[out] = static_cast<std::uint8_t>(t % 4 == 0 ? folded : 0);
      }
    }
  }
  return indices;
}

alignas(64) constexpr KeyIndices kKeyIndices = MakeKeyIndices();

// The lanes where the plain product `p` of `x` and `y` may not be the
// extended product. The rounding through 64 bits moves p only from a tie
// between p and a neighbour, which goes to the even one: so only an odd p
// whose error e = x*y - p reaches ulp(p) * (1/2 - 2^-12), ProductOfLanes'
// threshold (the stepping loop leaves the last bit alone: a branch on it
// would cost more than the rare integer product). Here e is scaled up by
// c = 1 + 2^-11 + 2^-21 and added to p: where |e| reaches the threshold,
// |c e| exceeds half an ulp and p + c e rounds away from p; where p + c e
// rounds away, |e| is below the threshold by less than ulp(p) * 2^-22. So
// the lanes found hold every lane that needs the integer path and hardly
// any more.
TARVEX5_TARGET_AVX512_VL inline unsigned InexactLanes(__m512d x, __m512d y, __m512d p) {
  const __m512d e = _mm512_fmsub_pd(x, y, p);
  const __m512d scaledUp = _mm512_fmadd_pd(e, _mm512_set1_pd(1.0 + 0x1p-11 + 0x1p-21), p);
  const __mmask8 odd = _mm512_test_epi64_mask(_mm512_castpd_si512(p), _mm512_set1_epi64(1));
  return _mm512_mask_cmp_pd_mask(odd, scaledUp, p, _CMP_NEQ_UQ);
}

// FractionOfLanes by one instruction instead of two: one cycle less on the
// chain of products.
TARVEX5_TARGET_AVX512_VL inline __m128d FractionOfLanesInOne(__m128d v) {
  return _mm_castsi128_pd(_mm_ternarylogic_epi64(
      _mm_castpd_si128(v), _mm_set1_epi64x(static_cast<long long>(kFractionMask)),
      _mm_castpd_si128(_mm_set1_pd(1.0)), 0xEA));  // (v & mask) | one
}

// `v` with the fractions of the lanes of the last of four steps (a window
// begins at a multiple of kLooseSteps).
TARVEX5_TARGET_AVX512_VL inline __m512d FractionsOfLastStep(__m512d v) {
  static_assert(kWindow % kLooseSteps == 0 && kLooseSteps == 4);
  return _mm512_castsi512_pd(_mm512_mask_ternarylogic_epi64(
      _mm512_castpd_si512(v), 0xC0, _mm512_set1_epi64(static_cast<long long>(kFractionMask)),
      _mm512_castpd_si512(_mm512_set1_pd(1.0)), 0xEA));  // (v & mask) | one
}

// The lanes of four steps, from the values `a`, `b` (four steps' lanes) to
// the values `aAfter`, `bAfter`, whose plain products were not exact: a * b,
// and the squares of x and a (of their fractions in the last step).
TARVEX5_TARGET_AVX512_VL inline unsigned InexactSteps(__m512d a, __m512d b, __m512d aAfter,
                                                      __m512d bAfter) {
  const __m512d product = _mm512_mul_pd(a, b);
  const __m512d x = FractionsOfLastStep(product);
  const __m512d root = FractionsOfLastStep(a);
  return InexactLanes(a, b, product) | InexactLanes(x, x, aAfter) |
         InexactLanes(root, root, bAfter);
}

// The lanes of `aAfter` (four steps' values) among `counted` that are back at
// their references (`looseRef`: LooseRefOfLanes in each 128-bit part).
TARVEX5_TARGET_AVX512_VL inline unsigned BackSteps(__m512d aAfter, __m512i looseRef,
                                                   unsigned counted) {
  const __m512i compared = _mm512_and_si512(
      _mm512_castpd_si512(aAfter), _mm512_set1_epi64(static_cast<long long>(kLooseCompareMask)));
  return _mm512_mask_cmpeq_epi64_mask(static_cast<__mmask8>(counted), compared, looseRef);
}

// The lanes whose return counts in a window from step `start`: generator 2's
// always, generator 1's within the first `groups` steps. Step w's lanes are
// bits 2w and 2w + 1.
inline unsigned CountedLanes(int start, int groups) {
  const int counted1 = groups <= start ? 0 : groups - start >= kWindow ? kWindow : groups - start;
  return 0xAAAAu | (0x5555u & ((1u << (2 * counted1)) - 1));
}

// The key bytes of four steps whose values are `a` and `b`.
TARVEX5_TARGET_AVX512_VL inline void StoreKeysOfFourSteps(__m512d a, __m512d b,
                                                         std::uint8_t* pass1,
                                                         std::uint8_t* pass2) {
  const __m512i as = _mm512_castpd_si512(a);
  const __m512i bs = _mm512_castpd_si512(b);
  const __m512i keys = _mm512_xor_si512(
      _mm512_permutex2var_epi8(as, _mm512_load_si512(kKeyIndices.kept), bs),
      _mm512_maskz_permutex2var_epi8(0x1111111111111111, as,
                                     _mm512_load_si512(kKeyIndices.folded), bs));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(pass1), _mm512_castsi512_si256(keys));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(pass2), _mm512_extracti64x4_epi64(keys, 1));
}

// Four steps' values, step j in quadwords 2j and 2j + 1.
TARVEX5_TARGET_AVX512_VL inline __m512d Join(__m128d v0, __m128d v1, __m128d v2, __m128d v3) {
  __m512 joined = _mm512_castps128_ps512(_mm_castpd_ps(v0));
  joined = _mm512_insertf32x4(joined, _mm_castpd_ps(v1), 1);
  joined = _mm512_insertf32x4(joined, _mm_castpd_ps(v2), 2);
  return _mm512_castps_pd(_mm512_insertf32x4(joined, _mm_castpd_ps(v3), 3));
}

// The values after each of four steps: steps 1..3 of `values`, step 0 of `next`.
TARVEX5_TARGET_AVX512_VL inline __m512d After(__m512d next, __m512d values) {
  return _mm512_castsi512_pd(
      _mm512_alignr_epi64(_mm512_castpd_si512(next), _mm512_castpd_si512(values), 2));
}

// A window of steps by plain products alone: the values before each step
// and after the last. The values after the last are also left in `a` and `b`
// for the next window: read back from `values`, they would pass through
// memory on the chain.
struct WindowValues {
  __m128d as[kWindow + 1];
  __m128d bs[kWindow + 1];
};

TARVEX5_TARGET_AVX512_VL inline void StepWindow(__m128d& a, __m128d& b, WindowValues& values) {
  values.as[0] = a;
  values.bs[0] = b;
#pragma GCC unroll 8
  for (int w = 0; w < kWindow; ++w) {
    __m128d x = _mm_mul_pd(a, b);
    __m128d root = a;
    if (TakesFractions(w)) {
      x = FractionOfLanesInOne(x);
      root = FractionOfLanesInOne(root);
    }
    b = _mm_mul_pd(root, root);
    a = _mm_mul_pd(x, x);
    values.as[w + 1] = a;
    values.bs[w + 1] = b;
  }
}

// Tests a window's steps, looks for a return and forms their key bytes in
// bulk. Returns false, with the key bytes as they were, when a generator came
// back in the window or a product needs the integer path. `start` is a
// multiple of kWindow.
TARVEX5_TARGET_AVX512_VL inline bool KeepWindow(const WindowValues& values, __m128i looseRef,
                                                int start, int groups, std::uint8_t* pass1,
                                                std::uint8_t* pass2) {
  const __m128d* as = values.as;
  const __m128d* bs = values.bs;
  const __m512d a0 = Join(as[0], as[1], as[2], as[3]);
  const __m512d a1 = Join(as[4], as[5], as[6], as[7]);
  const __m512d b0 = Join(bs[0], bs[1], bs[2], bs[3]);
  const __m512d b1 = Join(bs[4], bs[5], bs[6], bs[7]);
  const __m512d aAfter0 = After(a1, a0);
  const __m512d aAfter1 = After(_mm512_castpd128_pd512(as[kWindow]), a1);
  const __m512i refs = _mm512_broadcast_i32x4(looseRef);
  const unsigned counted = CountedLanes(start, groups);
  const unsigned failed =
      InexactSteps(a0, b0, aAfter0, After(b1, b0)) |
      InexactSteps(a1, b1, aAfter1, After(_mm512_castpd128_pd512(bs[kWindow]), b1)) |
      BackSteps(aAfter0, refs, counted & 0xFF) | BackSteps(aAfter1, refs, counted >> 8);
  if (failed != 0) [[unlikely]] {
    return false;
  }
  StoreKeysOfFourSteps(a0, b0, pass1, pass2);
  StoreKeysOfFourSteps(a1, b1, pass1 + 4 * kGroupLength, pass2 + 4 * kGroupLength);
  return true;
}

// Takes a whole window of steps by plain products alone, then tests them,
// looks for a return and forms their key bytes in bulk. Returns false, with
// `a`, `b` and the key bytes as they were, when the window cannot be kept.
TARVEX5_TARGET_AVX512_VL inline bool TryWindow(__m128d& a, __m128d& b, __m128i looseRef, int start,
                                               int groups, std::uint8_t* pass1,
                                               std::uint8_t* pass2) {
  WindowValues values;
  StepWindow(a, b, values);
  if (!KeepWindow(values, looseRef, start, groups, pass1, pass2)) [[unlikely]] {
    a = values.as[0];
    b = values.bs[0];
    return false;
  }
  return true;
}

// The steps of the FMA loop without AVX-512 taken by plain products, tested
// together once a window.
constexpr int kPlainWindow = 4;

// All ones in the lanes where the plain product `p` of `x` and `y` may not be
// the extended product: InexactLanes above, without its look at the last bit
// (an even product taken again step by step costs less here than the test).
TARVEX5_TARGET_FMA inline __m128i MaybeInexactLanes(__m128d x, __m128d y, __m128d p) {
  const __m128d e = _mm_fmsub_pd(x, y, p);
  const __m128d scaledUp = _mm_fmadd_pd(e, _mm_set1_pd(1.0 + 0x1p-11 + 0x1p-21), p);
  return _mm_castpd_si128(_mm_cmpneq_pd(scaledUp, p));
}

// Steps `start` .. `start` + kPlainWindow - 1 (`start` a multiple of
// kPlainWindow, all of them whole groups) by plain products, their key bytes
// stored as they go. Returns false, with `a` and `b` as they were, when a
// product may need the integer path or a generator came back: the caller
// then takes the window again step by step, storing the same key bytes.
TARVEX5_TARGET_FMA inline bool TryPlainSteps(__m128d& a, __m128d& b, __m128i looseRef, int start,
                                             const BlockKeys& keys) {
  static_assert(kPlainWindow % kLooseSteps == 0);
  __m128d stepA = a;
  __m128d stepB = b;
  __m128i failed = _mm_setzero_si128();
#pragma GCC unroll 4
  for (int w = 0; w < kPlainWindow; ++w) {
    const int i = start + w;
    StoreKeysOfLanes(keys.pass1 + kGroupLength * i, keys.pass2 + kGroupLength * i, stepA, stepB);
    __m128d x = _mm_mul_pd(stepA, stepB);
    failed = _mm_or_si128(failed, MaybeInexactLanes(stepA, stepB, x));
    __m128d root = stepA;
    if (TakesFractions(w)) {
      x = FractionOfLanes(x);
      root = FractionOfLanes(stepA);
    }
    stepB = _mm_mul_pd(root, root);
    stepA = _mm_mul_pd(x, x);
    const __m128i compared = _mm_and_si128(
        _mm_castpd_si128(stepA), _mm_set1_epi64x(static_cast<long long>(kLooseCompareMask)));
    failed = _mm_or_si128(
        _mm_or_si128(failed, _mm_cmpeq_epi64(compared, looseRef)),
        _mm_or_si128(MaybeInexactLanes(root, root, stepB), MaybeInexactLanes(x, x, stepA)));
  }
  if (!_mm_testz_si128(failed, failed)) [[unlikely]] {
    return false;
  }
  a = stepA;
  b = stepB;
  return true;
}

}  // namespace

// A window of steps at a time by plain products, their test for the integer
// path and for a return made once for the window; a window that fails the
// test and the last steps (a tail step, or a block not of whole windows) are
// taken step by step.
TARVEX5_TARGET_FMA int RunBothFusedVector(Generator& gen1, Generator& gen2, int steps, int groups,
                                          const BlockKeys& keys) {
  __m128d a;
  __m128d b;
  LoadLanes(gen1, gen2, a, b);
  const __m128i looseRef = LooseRefOfLanes(gen1, gen2);
  int i = 0;
  while (i < steps) {
    if (groups - i >= kPlainWindow && TryPlainSteps(a, b, looseRef, i, keys)) {
      i += kPlainWindow;
      continue;
    }
    const int end = groups - i >= kPlainWindow ? i + kPlainWindow : steps;
    for (; i < end; ++i) {
      if (TakeStep(a, b, looseRef, i, groups, keys)) [[unlikely]] {
        return StoreLanes(gen1, gen2, a, b, i);
      }
    }
  }
  return StoreLanes(gen1, gen2, a, b, i);
}

// A window of steps at a time, the stepping loop forms plain products only;
// their test and the key bytes follow in bulk, so the chain of products runs
// with few other instructions to delay it. A window in which a product needs
// the integer path or a generator comes back, and a last short one, are
// taken again step by step as RunBothFusedVector takes them.
TARVEX5_TARGET_AVX512_VL int RunBothFusedVectorAvx512(Generator& gen1, Generator& gen2, int steps,
                                                      int groups, const BlockKeys& keys) {
  __m128d a;
  __m128d b;
  LoadLanes(gen1, gen2, a, b);
  const __m128i looseRef = LooseRefOfLanes(gen1, gen2);
  int i = 0;
  while (i < steps) {
    if (steps - i >= kWindow && TryWindow(a, b, looseRef, i, groups, keys.pass1 + kGroupLength * i,
                                          keys.pass2 + kGroupLength * i)) {
      i += kWindow;
      continue;
    }
    const int end = steps - i < kWindow ? steps : i + kWindow;
    for (; i < end; ++i) {
      if (TakeStep(a, b, looseRef, i, groups, keys)) [[unlikely]] {
        return StoreLanes(gen1, gen2, a, b, i);
      }
    }
  }
  return StoreLanes(gen1, gen2, a, b, i);
}

namespace {

// RunBothFusedVectorAvx512 with the steps of a block's byte work between its
// windows: each window's chain of products leaves the vector units idle
// most of the time.
template <bool kEncode>
TARVEX5_TARGET_AVX512_VL inline int RunBothBeside(Generator& gen1, Generator& gen2, int steps,
                                                  int groups, const BlockKeys& keys,
                                                  byte_vectors::BlockVectors& block) {
  __m128d a;
  __m128d b;
  LoadLanes(gen1, gen2, a, b);
  const __m128i looseRef = LooseRefOfLanes(gen1, gen2);
  const int byteSteps = 2 * block.vectors;
  int j = 0;
  int i = 0;
  while (i < steps) {
    // A window's products come before its byte steps: the processor serves
    // the oldest work first, and the chain of products must not wait.
    const bool whole = steps - i >= kWindow;
    WindowValues values;
    if (whole) {
      StepWindow(a, b, values);
    }
    for (const int due = (whole ? i + kWindow : steps) * byteSteps / steps; j < due; ++j) {
      kEncode ? byte_vectors::EncodeStep(block, j) : byte_vectors::DecodeStep(block, j);
    }
    if (whole) {
      if (KeepWindow(values, looseRef, i, groups, keys.pass1 + kGroupLength * i,
                     keys.pass2 + kGroupLength * i)) [[likely]] {
        i += kWindow;
        continue;
      }
      a = values.as[0];
      b = values.bs[0];
    }
    const int end = whole ? i + kWindow : steps;
    for (; i < end; ++i) {
      if (TakeStep(a, b, looseRef, i, groups, keys)) [[unlikely]] {
        byte_vectors::FinishBlockVectors<kEncode>(block, j);
        return StoreLanes(gen1, gen2, a, b, i);
      }
    }
  }
  byte_vectors::FinishBlockVectors<kEncode>(block, j);
  return StoreLanes(gen1, gen2, a, b, i);
}

}  // namespace

TARVEX5_TARGET_AVX512_VL int RunBothBesideBytesAvx512(Generator& gen1, Generator& gen2, int steps,
                                                      int groups, const BlockKeys& keys,
                                                      const BytesBeside& bytes) {
  // The data is read a vector at a time between the windows: fetched from
  // memory now, it does not hold up the chain then.
  for (int line = 0; line < bytes.length; line += 64) {
    _mm_prefetch(reinterpret_cast<const char*>(bytes.data + line), _MM_HINT_T0);
  }
  byte_vectors::BetweenSweeps between;
  byte_vectors::BlockVectors block;
  byte_vectors::BeginBlockVectors(block, bytes.work, bytes.data, bytes.length, between);
  return bytes.encode ? RunBothBeside<true>(gen1, gen2, steps, groups, keys, block)
                      : RunBothBeside<false>(gen1, gen2, steps, groups, keys, block);
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

int RunBothBesideBytesAvx512(Generator& gen1, Generator& gen2, int steps, int groups,
                             const BlockKeys& keys, const BytesBeside& bytes) {
  TransformBytes(BytePath::kScalar, bytes.encode, bytes.work, bytes.data, bytes.length);
  return RunBothFused(gen1, gen2, steps, groups, keys);
}

}  // namespace cipher

#endif
