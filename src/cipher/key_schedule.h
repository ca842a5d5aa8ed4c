#pragma once
// The key schedule's operations on the working key block W (`work`, positions
// 1..256) and the substitution table S (`subst`). PrepareKey and ResetCipher
// (cipher_state.h) are built from them, and the block transform calls them for
// its pending stir or rekey.

#include <cstdint>

#include "cipher/cipher_state.h"

namespace cipher {

// The fixed byte that becomes byte 7 of every generator value, from the 15
// bytes of `introExcerpt` (K[1..15] at indices 0..14): ((K[9]*4 mod 256) XOR
// K[2]) div 2 + 1. The fixed data must give a value from 48 to 79.
std::uint8_t ExpByteOf(const std::uint8_t* introExcerpt);

// The starting table: S[j] = baseTable[j] XOR K[j mod 15 + 1] for j < 255, and
// S[255] = baseTable[255]. A permutation only if `baseTable` is chosen so.
void BuildBaseSubst(CipherState& state, const std::uint8_t* baseTable,
                    const std::uint8_t* introExcerpt);

// Shuffles S by 255 right rotations of its first c entries (c = 2..256), by a
// field of W's bits mod c; the fields are 1 bit wide (once), 2 bits (twice),
// ... 8 bits (128 times), read most significant bit first from W[1] on (W[1]
// to W[225]). When decoding, rebuilds the inverse table afterwards.
void ShuffleSubst(CipherState& state);

// Enciphers W in 32 groups of 8 bytes with generator `g`'s key bytes, one
// generator step per group; reseeds the generator from `pos` when it comes
// back to its reference value.
void WhitenWork(CipherState& state, int g);

// Mix W through S (never through the inverse) `times` times: running XOR
// forward, then a backward pass with substitution, then a right rotation by
// W[256] XOR byte 0 of gen1.a. StirBackward mirrors it and rotates by W[1]
// XOR byte 0 of gen1.b.
void StirForward(CipherState& state, int times);
void StirBackward(CipherState& state, int times);

// Reseeds both generators from `pos` (advancing it by 14), clears both pending
// flags, and whitens and stirs W: whiten with 1, stir forward twice, whiten
// with 2, stir backward twice. Never changes S.
void Rekey(CipherState& state);

}  // namespace cipher
