// The byte work in portable C++, and the choice of path. The portable loops
// fuse the layers: one loop forward and one backward when encoding; when
// decoding, one loop for the first layer and one that looks a byte ahead.

#include "cipher/byte_transform.h"
#include "cipher/instruction_set.h"

namespace cipher {

namespace {

// The position of W (from 0) that belongs to byte `i` of the block (from 0).
inline int WorkIndex(int i) { return i & (kKeySize - 1); }

}  // namespace

void EncodeBytesScalar(const ByteWork& work, std::uint8_t* d, int n) {
  const std::uint8_t* s = work.lookup;
  const std::uint8_t* w = work.work;
  const auto t = [s, w](int x, int i) { return s[s[x] ^ w[WorkIndex(i)]]; };

  std::uint8_t f = 0;
  for (int i = 0; i < n; ++i) {
    f ^= t(s[d[i]] ^ work.pass1[i], i);
    d[i] = f;
  }
  std::uint8_t g = n > 1 ? s[d[n - 1]] : d[0];
  for (int i = n - 1; i >= 1; --i) {
    const std::uint8_t previous = s[d[i - 1]] ^ g;
    d[i] = s[t(g, i) ^ work.pass2[i]];
    g = previous;
  }
  d[0] = s[t(g, 0) ^ work.pass2[0]];
}

void DecodeBytesScalar(const ByteWork& work, std::uint8_t* d, int n) {
  const std::uint8_t* si = work.lookup;
  const std::uint8_t* w = work.work;
  const auto tInverse = [si, w](int x, int i) { return si[si[x] ^ w[WorkIndex(i)]]; };
  for (int i = 0; i < n; ++i) {
    d[i] = tInverse(si[d[i]] ^ work.pass2[i], i);
  }
  if (n == 1) {
    d[0] = si[tInverse(d[0], 0) ^ work.pass1[0]];
    return;
  }
  std::uint8_t fPrevious = 0;
  for (int i = 0; i < n - 1; ++i) {
    const std::uint8_t f = si[d[i] ^ d[i + 1]];
    d[i] = si[tInverse(f ^ fPrevious, i) ^ work.pass1[i]];
    fPrevious = f;
  }
  const std::uint8_t f = si[d[n - 1]];
  d[n - 1] = si[tInverse(f ^ fPrevious, n - 1) ^ work.pass1[n - 1]];
}

bool BytePathAvailable(BytePath path) {
  switch (path) {
    case BytePath::kFastest:
    case BytePath::kScalar:
      return true;
    case BytePath::kAvx2:
      return ProcessorHasAvx2();
    case BytePath::kAvx512:
      return ProcessorHasAvx512Vbmi();
  }
  return false;
}

// The AVX2 loops are never chosen by themselves: sixteen shuffles and fifteen
// blends per look-up cost more than the portable loops' loads (0.6 times
// their speed on the processor they were measured on); they stay for
// processors where shuffles are cheaper, to be forced and measured there.
BytePath UsableBytePath(BytePath path) {
  static const BytePath kFastest =
      BytePathAvailable(BytePath::kAvx512) ? BytePath::kAvx512 : BytePath::kScalar;
  if (path == BytePath::kFastest) {
    return kFastest;
  }
  return BytePathAvailable(path) ? path : BytePath::kScalar;
}

void TransformBytes(BytePath path, bool encode, const ByteWork& work, std::uint8_t* d, int n) {
  // A block of one byte has no chain: its own case in the portable loops.
  if (path == BytePath::kAvx512 && n > 1) {
    encode ? EncodeBytesAvx512(work, d, n) : DecodeBytesAvx512(work, d, n);
  } else if (path == BytePath::kAvx2 && n > 1) {
    encode ? EncodeBytesAvx2(work, d, n) : DecodeBytesAvx2(work, d, n);
  } else {
    encode ? EncodeBytesScalar(work, d, n) : DecodeBytesScalar(work, d, n);
  }
}

}  // namespace cipher
