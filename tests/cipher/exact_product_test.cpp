#include "cipher/exact_product.h"

#include <cfloat>
#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

#if defined(NDEBUG)
constexpr int kSamples = 1500000;
#else
constexpr int kSamples = 200000;  // sanitizer builds are slow
#endif

#if defined(__SIZEOF_INT128__)
__extension__ using Wide = unsigned __int128;

// Rounds `m` (times 2^`e`) to `bits` significant bits, nearest with ties to
// even, by counting its length: a different way from the library's.
Wide RoundToBits(Wide m, int& e, int bits) {
  int length = 0;
  while (length < 128 && (m >> length) != 0) {
    ++length;
  }
  if (length <= bits) {
    return m;
  }
  const int drop = length - bits;
  Wide q = m >> drop;
  const Wide rest = m - (q << drop);
  const Wide half = Wide{1} << (drop - 1);
  if (rest > half || (rest == half && (q & 1) != 0)) {
    ++q;
  }
  e += drop;
  if ((q >> bits) != 0) {
    q >>= 1;
    ++e;
  }
  return q;
}

// The extended product of two positive normal doubles, independently.
double Reference(double x, double y) {
  int ex = 0;
  int ey = 0;
  const double fx = std::frexp(x, &ex);  // x = fx * 2^ex, fx in [0.5, 1)
  const double fy = std::frexp(y, &ey);
  const auto mx = static_cast<std::uint64_t>(std::ldexp(fx, 53));
  const auto my = static_cast<std::uint64_t>(std::ldexp(fy, 53));
  int e = ex + ey - 106;
  Wide m = Wide{mx} * my;
  m = RoundToBits(m, e, 64);
  m = RoundToBits(m, e, 53);
  return std::ldexp(static_cast<double>(static_cast<std::uint64_t>(m)), e);
}
#endif

double WithExponent(std::uint64_t fraction, int biasedExponent) {
  return std::bit_cast<double>((static_cast<std::uint64_t>(biasedExponent) << 52) |
                               (fraction & cipher::kFractionMask));
}

struct Tally {
  int checked = 0;
  int differFromPlain = 0;
};

void ExpectExact(double x, double y, Tally& tally) {
#if defined(__SIZEOF_INT128__)
  const double expected = Reference(x, y);
  ASSERT_EQ(expected, cipher::ExtendedProductInteger(x, y)) << std::hexfloat << x << " * " << y;
  ASSERT_EQ(expected, cipher::ExtendedProduct(x, y)) << std::hexfloat << x << " * " << y;
#if LDBL_MANT_DIG == 64
  // x87 extended precision rounds to 64 bits: a third, hardware opinion.
  const long double extended = static_cast<long double>(x) * static_cast<long double>(y);
  ASSERT_EQ(expected, static_cast<double>(extended)) << std::hexfloat << x << " * " << y;
#endif
  ++tally.checked;
  tally.differFromPlain += expected != x * y ? 1 : 0;
#else
  GTEST_SKIP() << "no 128-bit integers for the reference";
#endif
}

// Random products as the generators form them: squares of values whose top
// byte is the exponent byte, and products of two such squares; and the same
// at the working exponent of the block keystream (values in [1, 4)).
TEST(ExactProduct, MatchesAnIndependentComputationInTheGeneratorsRanges) {
  std::mt19937_64 random(20240611);
  for (int expByte : {0, 48, 61, 79}) {
    SCOPED_TRACE("exponent byte " + std::to_string(expByte));
    const int biased = expByte == 0 ? 1023 : 16 * expByte;
    Tally tally;
    for (int i = 0; i < kSamples / 4; ++i) {
      const double u = WithExponent(random(), biased);
      const double v = WithExponent(random(), biased);
      ExpectExact(u, u, tally);
      ExpectExact(u, v, tally);
      const double a = cipher::ExtendedProduct(u, u);
      const double b = cipher::ExtendedProduct(v, v);
      ExpectExact(a, b, tally);
    }
    // Roughly one in four thousand products is rounded differently.
    EXPECT_GT(tally.differFromPlain, tally.checked / 20000) << tally.checked;
  }
}

#if defined(__SIZEOF_INT128__)
// Products built to lie close to a midpoint between two doubles, where the
// rounding through 64 bits matters: the low bits of the exact product are
// 1000..0 plus a small offset, including exactly the 64-bit halfway points.
TEST(ExactProduct, MatchesAnIndependentComputationNearTies) {
  std::mt19937_64 random(7);
  Tally tally;
  int built = 0;
  for (int i = 0; built < kSamples / 10; ++i) {
    const std::uint64_t mx = (random() | 1) & ((std::uint64_t{1} << 53) - 1);
    const std::uint64_t x = mx | (std::uint64_t{1} << 52);
    // Inverse of x modulo 2^53 by Newton's iteration.
    std::uint64_t inverse = x;
    for (int k = 0; k < 6; ++k) {
      inverse *= 2 - x * inverse;
    }
    const int lowBits = 52 + static_cast<int>(i & 1);  // product of 105 or 106 bits
    const std::uint64_t lowMask = (std::uint64_t{1} << lowBits) - 1;
    const std::int64_t halfUnit64 = std::int64_t{1} << (lowBits - 12);
    const std::int64_t offsets[] = {
        0,
        1,
        -1,
        halfUnit64,
        -halfUnit64,
        halfUnit64 + 1,
        -halfUnit64 - 1,
        halfUnit64 - 1,
        static_cast<std::int64_t>(random() % (2 * halfUnit64)) - halfUnit64};
    const std::int64_t offset = offsets[i % 9];
    const std::uint64_t target = ((std::uint64_t{1} << (lowBits - 1)) + offset) & lowMask;
    std::uint64_t y = (target * inverse) & lowMask;
    if (lowBits == 52) {
      y |= std::uint64_t{1} << 52;  // the leading bit does not change the low bits
    }
    if ((y >> 52) != 1 || ((Wide{x} * y) >> 105 != 0) != (lowBits == 53)) {
      continue;  // not a 53-bit significand, or the product has the other length
    }
    ++built;
    const int exponent = 1023 + static_cast<int>(random() % 40) - 20;
    ExpectExact(WithExponent(x, exponent), WithExponent(y, 1023), tally);
  }
  // Half of these (those whose nearest double is odd) round differently.
  EXPECT_GT(tally.differFromPlain, tally.checked / 4);
}
#endif

}  // namespace
