// The byte work in x86 vectors: 64 bytes at a time with AVX-512 byte
// permutes (byte_vectors_avx512.h), 32 bytes at a time with AVX2. With AVX2 a
// look-up in the 256-entry table is sixteen 16-entry shuffles and a tree of
// blends by the index's top four bits. The XOR scans of encoding run within
// each 8-byte lane by shifts, then across the lanes by the lanes' totals; a
// carry takes them from vector to vector. The layers that follow a scan run
// on a second sweep over a local copy, so every vector is loaded whole, as it
// was stored.

#include "cipher/byte_transform.h"
#include "cipher/instruction_set.h"

#if TARVEX5_X86_DISPATCH

#include <cstring>

#include "cipher/byte_vectors_avx512.h"
#include "cipher/x86_intrinsics.h"

namespace cipher {

namespace {

// Byte k of both: k. The indices of the one-byte shifts come from it.
alignas(64) constexpr std::uint8_t kRamp[64] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
    22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
    44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63};

using byte_vectors::kCopyLength;

}  // namespace

TARVEX5_TARGET_AVX512 void EncodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n) {
  byte_vectors::BetweenSweeps between;
  byte_vectors::BlockVectors block;
  byte_vectors::BeginBlockVectors(block, work, d, n, between);
  byte_vectors::FinishBlockVectors<true>(block, 0);
}

TARVEX5_TARGET_AVX512 void DecodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n) {
  byte_vectors::BetweenSweeps between;
  byte_vectors::BlockVectors block;
  byte_vectors::BeginBlockVectors(block, work, d, n, between);
  byte_vectors::FinishBlockVectors<false>(block, 0);
}

namespace {

// ---- 32 bytes: AVX2 ----

// The table in sixteen slices of 16 entries, each in both halves of a vector.
struct Table32 {
  __m256i slice[16];
};

TARVEX5_TARGET_AVX2 inline Table32 LoadTable32(const std::uint8_t* table) {
  Table32 result;
  for (int j = 0; j < 16; ++j) {
    result.slice[j] = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(table + 16 * j)));
  }
  return result;
}

TARVEX5_TARGET_AVX2 inline __m256i Look32(const Table32& table, __m256i x) {
  const __m256i low = _mm256_and_si256(x, _mm256_set1_epi8(0x0F));
  __m256i level[8];
  // Blends pick by bit 7: bit 4 of every byte goes there first, then 5, 6, 7.
  const __m256i select[4] = {_mm256_slli_epi16(x, 3), _mm256_slli_epi16(x, 2),
                             _mm256_slli_epi16(x, 1), x};
  for (int j = 0; j < 8; ++j) {
    level[j] = _mm256_blendv_epi8(_mm256_shuffle_epi8(table.slice[2 * j], low),
                                  _mm256_shuffle_epi8(table.slice[2 * j + 1], low), select[0]);
  }
  for (int bit = 1, count = 4; count >= 1; ++bit, count /= 2) {
    for (int j = 0; j < count; ++j) {
      level[j] = _mm256_blendv_epi8(level[2 * j], level[2 * j + 1], select[bit]);
    }
  }
  return level[0];
}

TARVEX5_TARGET_AVX2 inline __m256i Mix32(const Table32& table, __m256i x, __m256i w) {
  return Look32(table, _mm256_xor_si256(Look32(table, x), w));
}

TARVEX5_TARGET_AVX2 inline __m256i Work32(const ByteWork& work, int at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(work.work + (at & (kKeySize - 1))));
}

// The `count` bytes at `source` (all 32 if count >= 32), zeros after them.
TARVEX5_TARGET_AVX2 inline __m256i Load32(const std::uint8_t* source, int count) {
  if (count >= 32) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
  }
  alignas(32) std::uint8_t part[32] = {};
  std::memcpy(part, source, static_cast<std::size_t>(count));
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(part));
}

TARVEX5_TARGET_AVX2 inline void Store32(std::uint8_t* destination, int count, __m256i x) {
  if (count >= 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination), x);
    return;
  }
  alignas(32) std::uint8_t part[32];
  _mm256_store_si256(reinterpret_cast<__m256i*>(part), x);
  std::memcpy(destination, part, static_cast<std::size_t>(count));
}

// All bytes at or past `count` become zero.
TARVEX5_TARGET_AVX2 inline __m256i Within32(__m256i x, int count) {
  const __m256i inside =
      _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(count < 32 ? count : 32)),
                        _mm256_load_si256(reinterpret_cast<const __m256i*>(kRamp)));
  return _mm256_and_si256(x, inside);
}

TARVEX5_TARGET_AVX2 inline __m256i PrefixXor32(__m256i x) {
  x = _mm256_xor_si256(x, _mm256_slli_epi64(x, 8));
  x = _mm256_xor_si256(x, _mm256_slli_epi64(x, 16));
  x = _mm256_xor_si256(x, _mm256_slli_epi64(x, 32));
  const __m256i totals =
      _mm256_shuffle_epi8(x, _mm256_set_epi64x(0x0F0F0F0F0F0F0F0F, 0x0707070707070707,
                                               0x0F0F0F0F0F0F0F0F, 0x0707070707070707));
  const __m256i before = _mm256_slli_si256(totals, 8);  // within each half
  const __m256i firstHalf = _mm256_xor_si256(before, totals);
  const __m256i across =
      _mm256_blend_epi32(_mm256_permute4x64_epi64(firstHalf, 0x55), _mm256_setzero_si256(), 0x0F);
  return _mm256_xor_si256(x, _mm256_xor_si256(before, across));
}

TARVEX5_TARGET_AVX2 inline __m256i SuffixXor32(__m256i x) {
  x = _mm256_xor_si256(x, _mm256_srli_epi64(x, 8));
  x = _mm256_xor_si256(x, _mm256_srli_epi64(x, 16));
  x = _mm256_xor_si256(x, _mm256_srli_epi64(x, 32));
  const __m256i totals =
      _mm256_shuffle_epi8(x, _mm256_set_epi64x(0x0808080808080808, 0, 0x0808080808080808, 0));
  const __m256i after = _mm256_srli_si256(totals, 8);
  const __m256i secondHalf = _mm256_xor_si256(after, totals);
  const __m256i across =
      _mm256_blend_epi32(_mm256_setzero_si256(), _mm256_permute4x64_epi64(secondHalf, 0xAA), 0x0F);
  return _mm256_xor_si256(x, _mm256_xor_si256(after, across));
}

}  // namespace

TARVEX5_TARGET_AVX2 void EncodeBytesAvx2(const ByteWork& work, std::uint8_t* d, int n) {
  const Table32 s = LoadTable32(work.lookup);
  alignas(32) std::uint8_t substituted[kCopyLength];
  __m256i carry = _mm256_setzero_si256();
  for (int at = 0; at < n; at += 32) {
    const int count = n - at;
    const __m256i u =
        _mm256_xor_si256(Look32(s, Load32(d + at, count)), Load32(work.pass1 + at, count));
    const __m256i f = _mm256_xor_si256(PrefixXor32(Mix32(s, u, Work32(work, at))), carry);
    carry = _mm256_shuffle_epi8(_mm256_permute4x64_epi64(f, 0xFF), _mm256_set1_epi8(7));
    _mm256_store_si256(reinterpret_cast<__m256i*>(substituted + at), Within32(Look32(s, f), count));
  }
  carry = _mm256_setzero_si256();
  for (int at = (n - 1) / 32 * 32; at >= 0; at -= 32) {
    const int count = n - at;
    const __m256i h = _mm256_load_si256(reinterpret_cast<const __m256i*>(substituted + at));
    const __m256i g = _mm256_xor_si256(SuffixXor32(h), carry);
    carry = _mm256_broadcastb_epi8(_mm256_castsi256_si128(g));
    const __m256i mixed = Mix32(s, g, Work32(work, at));
    Store32(d + at, count, Look32(s, _mm256_xor_si256(mixed, Load32(work.pass2 + at, count))));
  }
}

TARVEX5_TARGET_AVX2 void DecodeBytesAvx2(const ByteWork& work, std::uint8_t* d, int n) {
  const Table32 si = LoadTable32(work.lookup);
  alignas(32) std::uint8_t chained[kCopyLength];
  int end = 0;
  for (int at = 0; at < n; at += 32) {
    const int count = n - at;
    const __m256i x =
        _mm256_xor_si256(Look32(si, Load32(d + at, count)), Load32(work.pass2 + at, count));
    _mm256_store_si256(reinterpret_cast<__m256i*>(chained + at),
                       Within32(Mix32(si, x, Work32(work, at)), count));
    end = at + 32;
  }
  _mm256_store_si256(reinterpret_cast<__m256i*>(chained + end), _mm256_setzero_si256());
  __m256i fPrevious = _mm256_setzero_si256();
  for (int at = 0; at < n; at += 32) {
    const int count = n - at;
    const __m256i g = _mm256_load_si256(reinterpret_cast<const __m256i*>(chained + at));
    const __m256i next = _mm256_load_si256(reinterpret_cast<const __m256i*>(chained + at + 32));
    const __m256i gNext = _mm256_alignr_epi8(_mm256_permute2x128_si256(g, next, 0x21), g, 1);
    const __m256i f = Look32(si, _mm256_xor_si256(g, gNext));
    const __m256i fBefore =
        _mm256_alignr_epi8(f, _mm256_permute2x128_si256(fPrevious, f, 0x21), 15);
    const __m256i mixed = Mix32(si, _mm256_xor_si256(f, fBefore), Work32(work, at));
    Store32(d + at, count, Look32(si, _mm256_xor_si256(mixed, Load32(work.pass1 + at, count))));
    fPrevious = f;
  }
}

}  // namespace cipher

#else

namespace cipher {

// Not reached: BytePathAvailable() is false for these paths off x86.
void EncodeBytesAvx2(const ByteWork& work, std::uint8_t* d, int n) {
  EncodeBytesScalar(work, d, n);
}
void DecodeBytesAvx2(const ByteWork& work, std::uint8_t* d, int n) {
  DecodeBytesScalar(work, d, n);
}
void EncodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n) {
  EncodeBytesScalar(work, d, n);
}
void DecodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n) {
  DecodeBytesScalar(work, d, n);
}

}  // namespace cipher

#endif
