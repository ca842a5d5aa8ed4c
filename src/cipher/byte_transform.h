#pragma once
// The byte work of the block transform: all that touches the data, once the
// block's key bytes are known and its pending stir or rekey has run. Written
// out as layers (u = S[d] ^ k1, T(x, i) = S[S[x] ^ W[w(i)]]):
//   encoding   t[i] = T(u[i], i), f = prefix XOR of t,
//              g = suffix XOR of S[f] (for n = 1, g = f),
//              c[i] = S[T(g[i], i) ^ k2[i]]
//   decoding   g[i] = Si[Si[Si[c[i]] ^ k2[i]] ^ W[w(i)]],
//              f[i] = Si[g[i] ^ g[i+1]] (g[n] = 0; for n = 1, f = g),
//              d[i] = Si[Si[Si[f[i] ^ f[i-1]] ^ W[w(i)]] ^ k1[i]] (f[-1] = 0)
// Apart from the two XOR scans of encoding, every byte is independent of its
// neighbours, so each layer runs on whole vectors. Every path gives the bytes
// of the portable one.

#include <cstdint>

#include "cipher/cipher_state.h"

namespace cipher {

// What one block's byte work reads besides the data. `lookup` is S when
// encoding and Si when decoding (256 entries); `work` is W[1..256] at indices
// 0..255; `pass1` and `pass2` hold the key bytes of the two passes, byte i for
// byte i of the block.
struct ByteWork {
  const std::uint8_t* lookup;
  const std::uint8_t* work;
  const std::uint8_t* pass1;
  const std::uint8_t* pass2;
};

// Whether `path` runs on this processor and build (kFastest always does).
bool BytePathAvailable(BytePath path);

// The path that runs for `path` here: kFastest's choice, `path` itself where
// it is available, and the portable loops where it is not.
BytePath UsableBytePath(BytePath path);

// Encodes or decodes the `n` bytes (1..1023) at `d` in place by `path`, a
// path that UsableBytePath gave.
void TransformBytes(BytePath path, bool encode, const ByteWork& work, std::uint8_t* d, int n);

// The paths' own loops (byte_transform_portable.cpp, byte_transform_x86.cpp).
// The vector loops take blocks of 2 bytes or more.
void EncodeBytesScalar(const ByteWork& work, std::uint8_t* d, int n);
void DecodeBytesScalar(const ByteWork& work, std::uint8_t* d, int n);
void EncodeBytesAvx2(const ByteWork& work, std::uint8_t* d, int n);
void DecodeBytesAvx2(const ByteWork& work, std::uint8_t* d, int n);
void EncodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n);
void DecodeBytesAvx512(const ByteWork& work, std::uint8_t* d, int n);

}  // namespace cipher
