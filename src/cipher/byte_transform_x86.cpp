// The byte work in x86 vectors: 64 bytes at a time with AVX-512 byte
// permutes, 32 bytes at a time with AVX2. A look-up in the 256-entry table
// is two 128-entry permutes and a blend by the index's top bit (AVX-512), or
// sixteen 16-entry shuffles and a tree of blends by the index's top four bits
// (AVX2). The XOR scans of encoding run within each 8-byte lane by shifts,
// then across the lanes by the lanes' totals; a carry takes them from vector
// to vector. The layers that follow a scan run on a second sweep over a local
// copy, so every vector is loaded whole, as it was stored.

#include "cipher/byte_transform.h"
#include "cipher/instruction_set.h"

#if TARVEX5_X86_DISPATCH

#include <cstring>

#include "cipher/x86_intrinsics.h"

namespace cipher {

namespace {

// Byte k of both: k. The indices of the one-byte shifts come from it.
alignas(64) constexpr std::uint8_t kRamp[64] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
    22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
    44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63};

// A block's vectors need a local copy of at most this many bytes, plus one
// vector of zeros after the end.
constexpr int kCopyLength = 1024 + 64;

// ---- 64 bytes: AVX-512 with byte permutes ----

struct Table64 {
  __m512i part[4];
};

TARVEX5_TARGET_AVX512 inline Table64 LoadTable64(const std::uint8_t* table) {
  return {{_mm512_loadu_si512(table), _mm512_loadu_si512(table + 64),
           _mm512_loadu_si512(table + 128), _mm512_loadu_si512(table + 192)}};
}

TARVEX5_TARGET_AVX512 inline __m512i Look64(const Table64& table, __m512i x) {
  const __m512i low = _mm512_permutex2var_epi8(table.part[0], x, table.part[1]);
  const __m512i high = _mm512_permutex2var_epi8(table.part[2], x, table.part[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), low, high);
}

// The lanes of a vector at `at` that lie within a block of `n` bytes.
TARVEX5_TARGET_AVX512 inline __mmask64 Lanes64(int at, int n) {
  const int count = n - at;
  return _cvtu64_mask64(count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1);
}

// Byte k becomes the XOR of bytes 0..k.
TARVEX5_TARGET_AVX512 inline __m512i PrefixXor64(__m512i x) {
  x = _mm512_xor_si512(x, _mm512_slli_epi64(x, 8));
  x = _mm512_xor_si512(x, _mm512_slli_epi64(x, 16));
  x = _mm512_xor_si512(x, _mm512_slli_epi64(x, 32));
  const __m512i lastOfLane = _mm512_set_epi64(
      0x0F0F0F0F0F0F0F0F, 0x0707070707070707, 0x0F0F0F0F0F0F0F0F, 0x0707070707070707,
      0x0F0F0F0F0F0F0F0F, 0x0707070707070707, 0x0F0F0F0F0F0F0F0F, 0x0707070707070707);
  const __m512i totals = _mm512_shuffle_epi8(x, lastOfLane);
  const __m512i zero = _mm512_setzero_si512();
  __m512i before = _mm512_alignr_epi64(totals, zero, 7);  // lane k: total of lane k - 1
  before = _mm512_xor_si512(before, _mm512_alignr_epi64(before, zero, 7));
  before = _mm512_xor_si512(before, _mm512_alignr_epi64(before, zero, 6));
  before = _mm512_xor_si512(before, _mm512_alignr_epi64(before, zero, 4));
  return _mm512_xor_si512(x, before);
}

// Byte k becomes the XOR of bytes k..63.
TARVEX5_TARGET_AVX512 inline __m512i SuffixXor64(__m512i x) {
  x = _mm512_xor_si512(x, _mm512_srli_epi64(x, 8));
  x = _mm512_xor_si512(x, _mm512_srli_epi64(x, 16));
  x = _mm512_xor_si512(x, _mm512_srli_epi64(x, 32));
  const __m512i firstOfLane = _mm512_set_epi64(0x0808080808080808, 0, 0x0808080808080808, 0,
                                               0x0808080808080808, 0, 0x0808080808080808, 0);
  const __m512i totals = _mm512_shuffle_epi8(x, firstOfLane);
  const __m512i zero = _mm512_setzero_si512();
  __m512i after = _mm512_alignr_epi64(zero, totals, 1);  // lane k: total of lane k + 1
  after = _mm512_xor_si512(after, _mm512_alignr_epi64(zero, after, 1));
  after = _mm512_xor_si512(after, _mm512_alignr_epi64(zero, after, 2));
  after = _mm512_xor_si512(after, _mm512_alignr_epi64(zero, after, 4));
  return _mm512_xor_si512(x, after);
}

// T(x, i) = table[table[x] ^ W[w(i)]].
TARVEX5_TARGET_AVX512 inline __m512i Mix64(const Table64& table, __m512i x, __m512i w) {
  return Look64(table, _mm512_xor_si512(Look64(table, x), w));
}

TARVEX5_TARGET_AVX512 inline __m512i Work64(const ByteWork& work, int at) {
  return _mm512_loadu_si512(work.work + (at & (kKeySize - 1)));
}

}  // namespace

TARVEX5_TARGET_AVX512 void EncodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n) {
  const Table64 s = LoadTable64(work.lookup);
  alignas(64) std::uint8_t substituted[kCopyLength];  // S[f], zero past the block
  __m512i carry = _mm512_setzero_si512();
  for (int at = 0; at < n; at += 64) {
    const __mmask64 lanes = Lanes64(at, n);
    const __m512i u = _mm512_xor_si512(Look64(s, _mm512_maskz_loadu_epi8(lanes, d + at)),
                                       _mm512_maskz_loadu_epi8(lanes, work.pass1 + at));
    const __m512i f = _mm512_xor_si512(PrefixXor64(Mix64(s, u, Work64(work, at))), carry);
    carry = _mm512_permutexvar_epi8(_mm512_set1_epi8(63), f);
    _mm512_store_si512(substituted + at, _mm512_maskz_mov_epi8(lanes, Look64(s, f)));
  }
  carry = _mm512_setzero_si512();
  for (int at = (n - 1) / 64 * 64; at >= 0; at -= 64) {
    const __mmask64 lanes = Lanes64(at, n);
    const __m512i g = _mm512_xor_si512(SuffixXor64(_mm512_load_si512(substituted + at)), carry);
    carry = _mm512_broadcastb_epi8(_mm512_castsi512_si128(g));
    const __m512i mixed = Mix64(s, g, Work64(work, at));
    const __m512i c =
        Look64(s, _mm512_xor_si512(mixed, _mm512_maskz_loadu_epi8(lanes, work.pass2 + at)));
    _mm512_mask_storeu_epi8(d + at, lanes, c);
  }
}

TARVEX5_TARGET_AVX512 void DecodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n) {
  const Table64 si = LoadTable64(work.lookup);
  alignas(64) std::uint8_t chained[kCopyLength];  // g, zero past the block
  int end = 0;
  for (int at = 0; at < n; at += 64) {
    const __mmask64 lanes = Lanes64(at, n);
    const __m512i x = _mm512_xor_si512(Look64(si, _mm512_maskz_loadu_epi8(lanes, d + at)),
                                       _mm512_maskz_loadu_epi8(lanes, work.pass2 + at));
    _mm512_store_si512(chained + at, _mm512_maskz_mov_epi8(lanes, Mix64(si, x, Work64(work, at))));
    end = at + 64;
  }
  _mm512_store_si512(chained + end, _mm512_setzero_si512());
  const __m512i ramp = _mm512_load_si512(kRamp);
  const __m512i ahead = _mm512_add_epi8(ramp, _mm512_set1_epi8(1));   // byte 63 from the next
  const __m512i behind = _mm512_sub_epi8(ramp, _mm512_set1_epi8(1));  // byte 0 from the previous
  __m512i fPrevious = _mm512_setzero_si512();
  for (int at = 0; at < n; at += 64) {
    const __mmask64 lanes = Lanes64(at, n);
    const __m512i g = _mm512_load_si512(chained + at);
    const __m512i gNext = _mm512_permutex2var_epi8(g, ahead, _mm512_load_si512(chained + at + 64));
    const __m512i f = Look64(si, _mm512_xor_si512(g, gNext));
    const __m512i t = _mm512_xor_si512(f, _mm512_permutex2var_epi8(f, behind, fPrevious));
    const __m512i mixed = Mix64(si, t, Work64(work, at));
    const __m512i plain =
        Look64(si, _mm512_xor_si512(mixed, _mm512_maskz_loadu_epi8(lanes, work.pass1 + at)));
    _mm512_mask_storeu_epi8(d + at, lanes, plain);
    fPrevious = f;
  }
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
