#include "cipher/exact_product.h"

#include "cipher/instruction_set.h"

namespace cipher {

namespace {

constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << 52;
constexpr int kMaxBiasedExponent = 0x7FE;

struct Wide {
  std::uint64_t high;
  std::uint64_t low;
};

// The 128-bit product of two 64-bit numbers, from 32-bit halves so that it
// needs no compiler extension.
Wide MultiplyWide(std::uint64_t x, std::uint64_t y) {
  const std::uint64_t xLow = x & 0xFFFFFFFFu;
  const std::uint64_t xHigh = x >> 32;
  const std::uint64_t yLow = y & 0xFFFFFFFFu;
  const std::uint64_t yHigh = y >> 32;
  const std::uint64_t lowLow = xLow * yLow;
  const std::uint64_t lowHigh = xLow * yHigh;
  const std::uint64_t highLow = xHigh * yLow;
  const std::uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
  return {xHigh * yHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
          (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

int BiasedExponent(std::uint64_t bits) { return static_cast<int>((bits >> 52) & 0x7FF); }

bool IsNormal(std::uint64_t bits) {
  const int exponent = BiasedExponent(bits);
  return exponent != 0 && exponent != 0x7FF;
}

// Rounds `value` to nearest, ties to even, after dropping its low `dropped`
// bits (1..63): returns value >> dropped, perhaps plus one.
std::uint64_t RoundOff(std::uint64_t value, std::uint64_t droppedBits, int dropped) {
  const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
  const bool up = droppedBits > half || (droppedBits == half && (value & 1) != 0);
  return value + (up ? 1 : 0);
}

#if TARVEX5_X86_DISPATCH
TARVEX5_TARGET_FMA double FusedProductFma(double x, double y) { return FusedExtendedProduct(x, y); }
#endif

// The fused path needs an exact error term: no subnormal intermediate and no
// overflow. Exponents of the result between 2^-894 and 2^1022 leave ample room.
bool InFusedRange(std::uint64_t xBits, std::uint64_t yBits) {
  if (!IsNormal(xBits) || !IsNormal(yBits)) {
    return false;
  }
  const int exponent = BiasedExponent(xBits) + BiasedExponent(yBits) - 1023;
  return exponent >= 130 && exponent < kMaxBiasedExponent - 1;
}

}  // namespace

double ExtendedProductInteger(double x, double y) {
  const std::uint64_t xBits = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t yBits = std::bit_cast<std::uint64_t>(y);
  if (!IsNormal(xBits) || !IsNormal(yBits)) {
    return x * y;
  }
  // The significands are 53-bit integers; their product has 105 or 106 bits.
  const Wide product =
      MultiplyWide((xBits & kFractionMask) | kHiddenBit, (yBits & kFractionMask) | kHiddenBit);
  const int carry = static_cast<int>((product.high >> 41) & 1);
  int exponent = BiasedExponent(xBits) + BiasedExponent(yBits) - 1023 + carry;

  // First rounding: keep the top 64 bits.
  const int dropped = 41 + carry;
  std::uint64_t significand = (product.high << (64 - dropped)) | (product.low >> dropped);
  const std::uint64_t droppedBits = product.low & ((std::uint64_t{1} << dropped) - 1);
  significand = RoundOff(significand, droppedBits, dropped);
  if (significand == 0) {  // rounded up to 2^64
    significand = std::uint64_t{1} << 63;
    ++exponent;
  }

  // Second rounding: from 64 to 53 bits.
  significand = RoundOff(significand >> 11, significand & 0x7FF, 11);
  if (significand == (kHiddenBit << 1)) {
    significand = kHiddenBit;
    ++exponent;
  }
  if (exponent <= 0 || exponent > kMaxBiasedExponent) {
    return x * y;
  }
  const std::uint64_t sign = (xBits ^ yBits) & kSignMask;
  return std::bit_cast<double>(sign | (static_cast<std::uint64_t>(exponent) << 52) |
                               (significand & kFractionMask));
}

bool HasFastProduct() {
  static const bool kHasFast = ProcessorHasFma();
  return kHasFast;
}

double ExtendedProduct(double x, double y) {
  if (!HasFastProduct() ||
      !InFusedRange(std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(y))) {
    return ExtendedProductInteger(x, y);
  }
#if TARVEX5_X86_DISPATCH
  return FusedProductFma(x, y);
#else
  return FusedExtendedProduct(x, y);
#endif
}

}  // namespace cipher
