// The generators' bulk stepping on x86 processors with FMA: generator 1 in the
// low lane and generator 2 in the high lane of one vector register, so both
// chains of products run in the same instructions, and the fraction masks stay
// in the vector unit (a detour through the integer registers would lengthen
// every step's chain).

#include "cipher/instruction_set.h"
#include "cipher/keystream.h"

#if TARVEX5_X86_DISPATCH

#include <immintrin.h>

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
    const __m128d nextA = FractionOfLanes(ProductOfLanes(a, b));
    const __m128d nextB = FractionOfLanes(a);
    a = ProductOfLanes(nextA, nextA);
    b = ProductOfLanes(nextB, nextB);
    // Bit 0: generator 1 is back (it counts only after whole groups); bit 1: generator 2.
    const int back = _mm_movemask_pd(_mm_cmpeq_pd(a, ref)) & (i < groups ? 3 : 2);
    if (back != 0) [[unlikely]] {
      break;
    }
  }
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

}  // namespace cipher

#else

namespace cipher {

// Not reached: PathAvailable() is false for this path off x86.
int RunBothFusedVector(Generator& gen1, Generator& gen2, int steps, int groups,
                       const BlockKeys& keys) {
  return RunBothFused(gen1, gen2, steps, groups, keys);
}

}  // namespace cipher

#endif
