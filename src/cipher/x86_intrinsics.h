#pragma once
// The x86 intrinsics. GCC 12 reports their own undefined start values as
// (maybe) uninitialized where they are inlined; the report points into the
// header, so it is silenced there alone (clang has no such warning).

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#include <immintrin.h>
#endif
