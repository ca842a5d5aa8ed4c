#pragma once
// The choices made once at run time: between the fused multiply-add path and
// the integer path of the extended product, and between the vector widths of
// the block transform's byte work.
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
#define TARVEX5_TARGET_AVX2 __attribute__((target("avx2")))
#define TARVEX5_TARGET_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#define TARVEX5_TARGET_AVX512_VL \
  __attribute__((target("fma,avx512f,avx512bw,avx512vl,avx512vbmi")))
#else
#define TARVEX5_X86_DISPATCH 0
#define TARVEX5_TARGET_FMA
#define TARVEX5_TARGET_AVX2
#define TARVEX5_TARGET_AVX512
#define TARVEX5_TARGET_AVX512_VL
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

// True when this processor has AVX2 (32-byte vectors of bytes).
inline bool ProcessorHasAvx2() {
#if TARVEX5_X86_DISPATCH
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// True when this processor has AVX-512 with byte permutes (VBMI), and the
// operating system keeps its registers.
inline bool ProcessorHasAvx512Vbmi() {
#if TARVEX5_X86_DISPATCH
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi");
#else
  return false;
#endif
}

}  // namespace cipher
