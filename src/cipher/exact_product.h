#pragma once
// The cipher's multiplication: the exact product of two doubles, rounded first
// to a 64-bit significand and then to a 53-bit double, both to nearest with
// ties to even (the "extended" product). About one product in four thousand
// differs from the plain double product x * y, and every encoded file depends
// on which one, so the result must be the same on every host and compiler.
//
// Domain: x and y normal, and the exact product within the normal range. This
// holds for every product the generators form. Outside it (zero, subnormal,
// infinite or NaN operands, results that overflow or become subnormal) the
// functions return the plain product x * y.

#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__FAST_MATH__)
#error "The cipher needs exact IEEE arithmetic; do not build it with -ffast-math."
#endif

// Forces inlining where the instruction set of the caller must reach the callee.
#if defined(__GNUC__) || defined(__clang__)
#define TARVEX5_ALWAYS_INLINE __attribute__((always_inline)) inline
#else
#define TARVEX5_ALWAYS_INLINE inline
#endif

// The fused multiply-add as the processor's instruction where the compiler
// offers it: a library fma() need not be correctly rounded (mingw-w64's is
// not), and an unoptimised build calls the library for std::fma.
#if defined(__GNUC__) || defined(__clang__)
#define TARVEX5_FUSED_MULTIPLY_ADD __builtin_fma
#else
#define TARVEX5_FUSED_MULTIPLY_ADD std::fma
#endif

namespace cipher {

inline constexpr std::uint64_t kSignMask = 0x8000000000000000u;
inline constexpr std::uint64_t kExponentMask = 0x7FF0000000000000u;
inline constexpr std::uint64_t kFractionMask = 0x000FFFFFFFFFFFFFu;

// The extended product by integer arithmetic on the bit patterns only: no
// floating-point operation touches the result, so it is the same everywhere.
// This is the reference that every faster way is tested against.
double ExtendedProductInteger(double x, double y);

// The extended product, by the fastest exact way this processor offers (the
// fused multiply-add path where the hardware has it, else the integer path).
double ExtendedProduct(double x, double y);

// True when ExtendedProduct and the generators use the fused multiply-add path.
bool HasFastProduct();

// The fused multiply-add path: the plain product p is correctly rounded and
// e = fma(x, y, -p) is its exact error, provided no intermediate becomes
// subnormal (the caller keeps the exponents moderate, e.g. operands in [1, 4)).
// Rounding through 64 bits changes p only when p is odd and the exact product
// lies within half a 64-bit unit of the midpoint between p and its neighbour,
// that is when |e| >= ulp(p) * (1/2 - 2^-12). Such near ties (one product in
// about two thousand, as the last bit of p is not looked at) go to the integer
// path. Inlined into code compiled for a processor with FMA, this is two
// instructions plus a well-predicted branch.
TARVEX5_ALWAYS_INLINE double FusedExtendedProduct(double x, double y) {
  const double p = x * y;
  const double e = TARVEX5_FUSED_MULTIPLY_ADD(x, y, -p);
  // ulp(p) * (1/2 - 2^-12) = 2^(exponent(p) - 54) * (2 - 2^-10): the exponent
  // of p lowered by 54 and the top ten fraction bits set.
  const std::uint64_t pBits = std::bit_cast<std::uint64_t>(p);
  const double nearTie = std::bit_cast<double>((pBits & kExponentMask) - (std::uint64_t{54} << 52) +
                                               0x000FFC0000000000u);
  if (std::fabs(e) >= nearTie) [[unlikely]] {
    return ExtendedProductInteger(x, y);
  }
  return p;
}

}  // namespace cipher
