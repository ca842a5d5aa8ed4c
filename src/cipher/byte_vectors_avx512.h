#pragma once
// The byte work of one block in 64-byte vectors (AVX-512 with byte permutes),
// a vector at a time: each direction is a series of steps over the block's
// vectors, so that the caller may put other work between them (the next
// block's generator steps, whose chain of products leaves the vector units
// idle most of the time). A look-up in the 256-entry table is two 128-entry
// permutes and a blend by the index's top bit. The XOR scans of encoding run
// within each 8-byte lane by shifts, then across the lanes by the lanes'
// totals in an integer register, which also carries them from vector to
// vector; the vector units' shuffles are left to the look-ups and to the
// generator windows beside them. The layers that follow a
// scan run on a second sweep over a local copy, so every vector is loaded
// whole, as it was stored. Only for x86 builds (TARVEX5_X86_DISPATCH).

#include <cstdint>

#include "cipher/byte_transform.h"
#include "cipher/instruction_set.h"
#include "cipher/x86_intrinsics.h"

namespace cipher {
namespace byte_vectors {

// A block's vectors need a local copy of at most this many bytes, plus one
// vector of zeros after the end.
inline constexpr int kCopyLength = 1024 + 64;

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

inline constexpr std::uint64_t kEveryByte = 0x0101010101010101;

// Byte k of `bytes` in every byte of the k-th 8-byte lane.
TARVEX5_TARGET_AVX512 inline __m512i SpreadOverLanes(std::uint64_t bytes) {
  const __m512i laneOfByte = _mm512_set_epi64(
      0x0707070707070707, 0x0606060606060606, 0x0505050505050505, 0x0404040404040404,
      0x0303030303030303, 0x0202020202020202, 0x0101010101010101, 0);
  return _mm512_permutexvar_epi8(laneOfByte,
                                 _mm512_castsi128_si512(_mm_cvtsi64_si128(static_cast<long long>(bytes))));
}

// The eight lanes' low bytes, lane k's in byte k.
TARVEX5_TARGET_AVX512 inline std::uint64_t LowBytesOfLanes(__m512i x) {
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm512_cvtepi64_epi8(x)));
}

// Byte k becomes the XOR of bytes 0..k and of the carry (its byte in all
// eight bytes of `carry`), which becomes the XOR of all 64 and of the carry
// before. Within each 8-byte lane by shifts; across the lanes by the lanes'
// totals in an integer register, where the chain of carries from vector to
// vector is one XOR and the vector units stay free for the look-ups.
TARVEX5_TARGET_AVX512 inline __m512i PrefixXor64(__m512i x, std::uint64_t& carry) {
  x = _mm512_xor_si512(x, _mm512_slli_epi64(x, 8));
  x = _mm512_xor_si512(x, _mm512_slli_epi64(x, 16));
  x = _mm512_xor_si512(x, _mm512_slli_epi64(x, 32));
  std::uint64_t totals = LowBytesOfLanes(_mm512_srli_epi64(x, 56));  // byte k: lane k's total
  totals ^= totals << 8;
  totals ^= totals << 16;
  totals ^= totals << 32;  // byte k: lanes 0..k
  const std::uint64_t before = (totals << 8) ^ carry;
  carry ^= (totals >> 56) * kEveryByte;
  return _mm512_xor_si512(x, SpreadOverLanes(before));
}

// Byte k becomes the XOR of bytes k..63 and of the carry, which becomes the
// XOR of all 64 and of the carry before.
TARVEX5_TARGET_AVX512 inline __m512i SuffixXor64(__m512i x, std::uint64_t& carry) {
  x = _mm512_xor_si512(x, _mm512_srli_epi64(x, 8));
  x = _mm512_xor_si512(x, _mm512_srli_epi64(x, 16));
  x = _mm512_xor_si512(x, _mm512_srli_epi64(x, 32));
  std::uint64_t totals = LowBytesOfLanes(x);  // byte k: lane k's total
  totals ^= totals >> 8;
  totals ^= totals >> 16;
  totals ^= totals >> 32;  // byte k: lanes k..7
  const std::uint64_t after = (totals >> 8) ^ carry;
  carry ^= (totals & 0xFF) * kEveryByte;
  return _mm512_xor_si512(x, SpreadOverLanes(after));
}

// T(x, i) = table[table[x] ^ W[w(i)]].
TARVEX5_TARGET_AVX512 inline __m512i Mix64(const Table64& table, __m512i x, __m512i w) {
  return Look64(table, _mm512_xor_si512(Look64(table, x), w));
}

TARVEX5_TARGET_AVX512 inline __m512i Work64(const ByteWork& work, int at) {
  return _mm512_loadu_si512(work.work + (at & (kKeySize - 1)));
}

// The vectors of a block of n bytes (2..1023).
inline int VectorsOf(int n) { return (n + 63) / 64; }

// One block's byte work under way: its steps are 0 .. 2 * VectorsOf(n) - 1,
// taken in order.
struct BlockVectors {
  Table64 table;  // S when encoding, Si when decoding
  const ByteWork* work;
  std::uint8_t* d;
  int n;
  int vectors;
  __m512i carry;          // from vector to vector within a sweep of decoding
  std::uint64_t scanCarry;  // of encoding's scans: one byte, in all eight
  std::uint8_t* between;  // kCopyLength bytes, 64-aligned: S[f] (encoding) or g (decoding)
};

// Room for what one sweep leaves to the next, apart from the record, so that
// the record can live in registers.
struct BetweenSweeps {
  alignas(64) std::uint8_t bytes[kCopyLength];
};

TARVEX5_TARGET_AVX512 inline void BeginBlockVectors(BlockVectors& block, const ByteWork& work,
                                                    std::uint8_t* d, int n,
                                                    BetweenSweeps& between) {
  block.between = between.bytes;
  block.table = LoadTable64(work.lookup);
  block.work = &work;
  block.d = d;
  block.n = n;
  block.vectors = VectorsOf(n);
  block.carry = _mm512_setzero_si512();
  block.scanCarry = 0;
}

// Encoding, step `j`: first the sweep forward over the vectors (the prefix
// scan), then the sweep backward (the suffix scan).
TARVEX5_TARGET_AVX512 inline void EncodeStep(BlockVectors& block, int j) {
  const ByteWork& work = *block.work;
  const Table64& s = block.table;
  if (j < block.vectors) {
    const int at = 64 * j;
    const __mmask64 lanes = Lanes64(at, block.n);
    const __m512i u = _mm512_xor_si512(Look64(s, _mm512_maskz_loadu_epi8(lanes, block.d + at)),
                                       _mm512_maskz_loadu_epi8(lanes, work.pass1 + at));
    const __m512i f = PrefixXor64(Mix64(s, u, Work64(work, at)), block.scanCarry);
    _mm512_store_si512(block.between + at, _mm512_maskz_mov_epi8(lanes, Look64(s, f)));
    return;
  }
  if (j == block.vectors) {
    block.scanCarry = 0;
  }
  const int at = 64 * (2 * block.vectors - 1 - j);
  const __mmask64 lanes = Lanes64(at, block.n);
  const __m512i g = SuffixXor64(_mm512_load_si512(block.between + at), block.scanCarry);
  const __m512i mixed = Mix64(s, g, Work64(work, at));
  const __m512i c =
      Look64(s, _mm512_xor_si512(mixed, _mm512_maskz_loadu_epi8(lanes, work.pass2 + at)));
  _mm512_mask_storeu_epi8(block.d + at, lanes, c);
}

// Decoding, step `j`: the sweep that undoes the last layers and stores g,
// then the sweep that undoes both scans and the first layers.
TARVEX5_TARGET_AVX512 inline void DecodeStep(BlockVectors& block, int j) {
  const ByteWork& work = *block.work;
  const Table64& si = block.table;
  if (j < block.vectors) {
    const int at = 64 * j;
    const __mmask64 lanes = Lanes64(at, block.n);
    const __m512i x = _mm512_xor_si512(Look64(si, _mm512_maskz_loadu_epi8(lanes, block.d + at)),
                                       _mm512_maskz_loadu_epi8(lanes, work.pass2 + at));
    _mm512_store_si512(block.between + at,
                       _mm512_maskz_mov_epi8(lanes, Mix64(si, x, Work64(work, at))));
    return;
  }
  if (j == block.vectors) {
    _mm512_store_si512(block.between + 64 * block.vectors, _mm512_setzero_si512());
    block.carry = _mm512_setzero_si512();  // f of the vector before
  }
  const int at = 64 * (j - block.vectors);
  const __mmask64 lanes = Lanes64(at, block.n);
  const __m512i ramp = _mm512_set_epi8(
      63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44, 43, 42, 41,
      40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18,
      17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  const __m512i ahead = _mm512_add_epi8(ramp, _mm512_set1_epi8(1));   // byte 63 from the next
  const __m512i behind = _mm512_sub_epi8(ramp, _mm512_set1_epi8(1));  // byte 0 from the previous
  const __m512i g = _mm512_load_si512(block.between + at);
  const __m512i gNext =
      _mm512_permutex2var_epi8(g, ahead, _mm512_load_si512(block.between + at + 64));
  const __m512i f = Look64(si, _mm512_xor_si512(g, gNext));
  const __m512i t = _mm512_xor_si512(f, _mm512_permutex2var_epi8(f, behind, block.carry));
  const __m512i mixed = Mix64(si, t, Work64(work, at));
  const __m512i plain =
      Look64(si, _mm512_xor_si512(mixed, _mm512_maskz_loadu_epi8(lanes, work.pass1 + at)));
  _mm512_mask_storeu_epi8(block.d + at, lanes, plain);
  block.carry = f;
}

// All steps of a block from step `j` on.
template <bool kEncode>
TARVEX5_TARGET_AVX512 inline void FinishBlockVectors(BlockVectors& block, int j) {
  for (; j < 2 * block.vectors; ++j) {
    kEncode ? EncodeStep(block, j) : DecodeStep(block, j);
  }
}

}  // namespace byte_vectors
}  // namespace cipher
