// The generators' bulk stepping in portable C++: with the integer product,
// and with the scalar fused path (compiled for FMA processors on x86).

#include <algorithm>

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

// Step `i` of both generators, their key bytes stored first; true when a
// generator came back (generator 1 only within its `groups`).
template <class Product>
TARVEX5_ALWAYS_INLINE bool StepBoth(double& a1, double& b1, double& a2, double& b2, double ref1,
                                    double ref2, int i, int groups, const BlockKeys& keys) {
  StoreGroupKey(keys.pass1 + kGroupLength * i, GroupKey(a1, b1));
  StoreGroupKey(keys.pass2 + kGroupLength * i, GroupKey(a2, b2));
  StepLoose<Product>(a1, b1, i);
  StepLoose<Product>(a2, b2, i);
  return (i < groups && LooseEquals(a1, ref1)) || LooseEquals(a2, ref2);
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
    if (StepBoth<Product>(a1, b1, a2, b2, ref1, ref2, i, groups, keys)) [[unlikely]] {
      break;
    }
  }
  gen1 = {Tightened(a1), Tightened(b1), ref1};
  gen2 = {Tightened(a2), Tightened(b2), ref2};
  return i;
}

// The steps of the fused path taken by plain products, tested together once
// a window.
constexpr int kPlainWindow = 4;

// Zero where the plain product `p` of `x` and `y` is the extended product;
// otherwise it may not be, and the step is taken again with the exact
// product. Rounding through 64 bits moves p only where its error
// e = x*y - p reaches ulp(p) * (1/2 - 2^-12) (FusedExtendedProduct); e scaled
// up by 1 + 2^-11 + 2^-21 then exceeds half an ulp, and p plus it rounds away
// from p. The test does not look at the last bit of p (only an odd p can
// move): an even one taken again costs less than the test.
TARVEX5_ALWAYS_INLINE double MaybeInexact(double x, double y, double p) {
  const double e = TARVEX5_FUSED_MULTIPLY_ADD(x, y, -p);
  const double d = TARVEX5_FUSED_MULTIPLY_ADD(e, 1.0 + 0x1p-11 + 0x1p-21, p) - p;
  return std::fabs(d);
}

// StepLoose by plain products; `failed` becomes positive where a product may
// need the integer path.
TARVEX5_ALWAYS_INLINE void PlainStepLoose(double& a, double& b, int i, double& failed) {
  double x = a * b;
  double worst = MaybeInexact(a, b, x);
  double root = a;
  if (TakesFractions(i)) {
    x = FractionOf(x);
    root = FractionOf(a);
  }
  b = root * root;
  a = x * x;
  worst = std::max(worst, std::max(MaybeInexact(root, root, b), MaybeInexact(x, x, a)));
  failed = std::max(failed, worst);
}

// Steps `start` .. `start` + kPlainWindow - 1 (`start` a multiple of
// kPlainWindow, all of them whole groups) by plain products, their key bytes
// stored as they go. Returns false, with the values as they were, when a
// product may need the integer path or a generator came back: the caller then
// takes the window again step by step, storing the same key bytes.
TARVEX5_ALWAYS_INLINE bool TryPlainSteps(double& a1, double& b1, double& a2, double& b2,
                                         double ref1, double ref2, int start,
                                         const BlockKeys& keys) {
  double stepA1 = a1;
  double stepB1 = b1;
  double stepA2 = a2;
  double stepB2 = b2;
  double failed1 = 0;
  double failed2 = 0;
  bool back = false;
#pragma GCC unroll 4
  for (int w = 0; w < kPlainWindow; ++w) {
    const int i = start + w;
    StoreGroupKey(keys.pass1 + kGroupLength * i, GroupKey(stepA1, stepB1));
    StoreGroupKey(keys.pass2 + kGroupLength * i, GroupKey(stepA2, stepB2));
    PlainStepLoose(stepA1, stepB1, w, failed1);
    PlainStepLoose(stepA2, stepB2, w, failed2);
    back = back || LooseEquals(stepA1, ref1) || LooseEquals(stepA2, ref2);
  }
  if (back || failed1 + failed2 != 0) [[unlikely]] {
    return false;
  }
  a1 = stepA1;
  b1 = stepB1;
  a2 = stepA2;
  b2 = stepB2;
  return true;
}

// RunBoth with the fused product, a window of steps at a time by plain
// products; a window that fails their test and the last steps (a tail step,
// or a block not of whole windows) are taken step by step.
TARVEX5_ALWAYS_INLINE int RunBothByWindows(Generator& gen1, Generator& gen2, int steps, int groups,
                                           const BlockKeys& keys) {
  double a1 = gen1.a;
  double b1 = gen1.b;
  double a2 = gen2.a;
  double b2 = gen2.b;
  const double ref1 = gen1.ref;
  const double ref2 = gen2.ref;
  int i = 0;
  int stop = steps;
  while (i < steps && stop == steps) {
    if (groups - i >= kPlainWindow && TryPlainSteps(a1, b1, a2, b2, ref1, ref2, i, keys)) {
      i += kPlainWindow;
      continue;
    }
    const int end = groups - i >= kPlainWindow ? i + kPlainWindow : steps;
    for (; i < end; ++i) {
      if (StepBoth<FusedProduct>(a1, b1, a2, b2, ref1, ref2, i, groups, keys)) [[unlikely]] {
        stop = i;
        break;
      }
    }
  }
  gen1 = {Tightened(a1), Tightened(b1), ref1};
  gen2 = {Tightened(a2), Tightened(b2), ref2};
  return stop;
}

}  // namespace

int RunBothInteger(Generator& gen1, Generator& gen2, int steps, int groups, const BlockKeys& keys) {
  return RunBoth<IntegerProduct>(gen1, gen2, steps, groups, keys);
}

TARVEX5_TARGET_FMA int RunBothFused(Generator& gen1, Generator& gen2, int steps, int groups,
                                    const BlockKeys& keys) {
  return RunBothByWindows(gen1, gen2, steps, groups, keys);
}

}  // namespace cipher
