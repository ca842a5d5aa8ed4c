// The generators' bulk stepping in portable C++: with the integer product,
// and with the scalar fused path (compiled for FMA processors on x86).

#include "cipher/exact_product.h"
#include "cipher/instruction_set.h"
#include "cipher/keystream.h"

namespace cipher {

namespace {

// The fraction of `v` as a double in [1, 2).
TARVEX5_ALWAYS_INLINE double FractionOf(double v) {
  return std::bit_cast<double>((std::bit_cast<std::uint64_t>(v) & kFractionMask) |
                               0x3FF0000000000000u);
}

struct FusedProduct {
  TARVEX5_ALWAYS_INLINE static double Apply(double x, double y) {
    return FusedExtendedProduct(x, y);
  }
};

struct IntegerProduct {
  static double Apply(double x, double y) { return ExtendedProductInteger(x, y); }
};

template <class Product>
TARVEX5_ALWAYS_INLINE void StepScaled(Generator& gen) {
  const double x = Product::Apply(gen.a, gen.b);
  const double nextA = FractionOf(x);
  const double nextB = FractionOf(gen.a);
  gen.a = Product::Apply(nextA, nextA);
  gen.b = Product::Apply(nextB, nextB);
}

template <class Product>
TARVEX5_ALWAYS_INLINE int RunBoth(Generator& gen1, Generator& gen2, int steps, int groups,
                                  const BlockKeys& keys) {
  // Local copies: the key stores could alias the generators, which would put
  // a store and a load into every step's chain of products.
  Generator one = gen1;
  Generator two = gen2;
  int i = 0;
  for (; i < steps; ++i) {
    StoreGroupKey(keys.pass1 + kGroupLength * i, GroupKey(one.a, one.b));
    StoreGroupKey(keys.pass2 + kGroupLength * i, GroupKey(two.a, two.b));
    StepScaled<Product>(one);
    StepScaled<Product>(two);
    if ((i < groups && one.a == one.ref) || two.a == two.ref) [[unlikely]] {
      break;
    }
  }
  gen1 = one;
  gen2 = two;
  return i;
}

}  // namespace

int RunBothInteger(Generator& gen1, Generator& gen2, int steps, int groups, const BlockKeys& keys) {
  return RunBoth<IntegerProduct>(gen1, gen2, steps, groups, keys);
}

TARVEX5_TARGET_FMA int RunBothFused(Generator& gen1, Generator& gen2, int steps, int groups,
                                    const BlockKeys& keys) {
  return RunBoth<FusedProduct>(gen1, gen2, steps, groups, keys);
}

}  // namespace cipher
