#pragma once
// The choice between the fused multiply-add path and the integer path of the
// extended product, made once at run time.
//
// On x86 with GCC or Clang the program is built for the baseline processor, and
// the code that multiplies in bulk exists twice: once compiled for processors
// with FMA (TARVEX5_TARGET_FMA) and once for the rest, which use the integer
// path. On every other platform std::fma is the fused path: a single instruction
// where the processor has it, else a correctly rounded library routine.

#include <cfloat>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TARVEX5_X86_DISPATCH 1
#define TARVEX5_TARGET_FMA __attribute__((target("fma")))
#else
#define TARVEX5_X86_DISPATCH 0
#define TARVEX5_TARGET_FMA
#endif

namespace cipher {

// True when this processor runs the fused path correctly and fast.
inline bool ProcessorHasFma() {
  // With x87 evaluation (FLT_EVAL_METHOD 2) the plain product is not a double.
  if (FLT_EVAL_METHOD != 0) {
    return false;
  }
#if TARVEX5_X86_DISPATCH
  return __builtin_cpu_supports("fma");
#else
  return true;
#endif
}

}  // namespace cipher
