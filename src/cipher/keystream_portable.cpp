// The generators' bulk stepping in portable C++: with the integer product,
// and with the scalar fused path (compiled for FMA processors on x86).

#include "cipher/exact_product.h"
#include "cipher/instruction_set.h"
#include "cipher/keystream.h"

namespace cipher {

namespace {

struct FusedProduct {
  TARVEX5_ALWAYS_INLINE static double Apply(double x, double y) {
    return FusedExtendedProduct(x, y);
  }
};

struct IntegerProduct {
  static double Apply(double x, double y) { return ExtendedProductInteger(x, y); }
};

// Step `i` of a loosely held generator (keystream.h).
template <class Product>
TARVEX5_ALWAYS_INLINE void StepLoose(double& a, double& b, int i) {
  double x = Product::Apply(a, b);
  double root = a;
  if (TakesFractions(i)) {
    x = FractionOf(x);
    root = FractionOf(a);
  }
  b = Product::Apply(root, root);
  a = Product::Apply(x, x);
}

template <class Product>
TARVEX5_ALWAYS_INLINE int RunBoth(Generator& gen1, Generator& gen2, int steps, int groups,
                                  const BlockKeys& keys) {
  // Local copies: the key stores could alias the generators, which would put
  // a store and a load into every step's chain of products.
  double a1 = gen1.a;
  double b1 = gen1.b;
  double a2 = gen2.a;
  double b2 = gen2.b;
  const double ref1 = gen1.ref;
  const double ref2 = gen2.ref;
  int i = 0;
  for (; i < steps; ++i) {
    StoreGroupKey(keys.pass1 + kGroupLength * i, GroupKey(a1, b1));
    StoreGroupKey(keys.pass2 + kGroupLength * i, GroupKey(a2, b2));
    StepLoose<Product>(a1, b1, i);
    StepLoose<Product>(a2, b2, i);
    if ((i < groups && LooseEquals(a1, ref1)) || LooseEquals(a2, ref2)) [[unlikely]] {
      break;
    }
  }
  gen1 = {Tightened(a1), Tightened(b1), ref1};
  gen2 = {Tightened(a2), Tightened(b2), ref2};
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
