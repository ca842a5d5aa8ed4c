#pragma once
// Shared helpers of the cipher tests: the real fixed inputs, prepared states,
// state comparison, and a step-by-step reference encoder that takes the block
// format's operations one after the other (no fused loops, no batched keystream).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cipher/cipher_state.h"

namespace cipher_test {

// The 15 excerpt bytes of the deciphered intro image (the program's own).
const std::uint8_t* IntroExcerpt();

// Fills the 256-byte `initialKey` by repeating `key` (as key entry does).
void FillInitialKey(const std::string& key, std::uint8_t* initialKey);

// Prepares `state` for `key` and the direction `encode`, then resets it.
void Prepare(cipher::CipherState& state, const std::string& key, bool encode);

// Expects every field that the block transform uses, except the inverse
// table, to be equal in `expected` and `actual` (doubles compared bit for bit).
void ExpectSameRunningState(const cipher::CipherState& expected, const cipher::CipherState& actual);

// Encodes `n` bytes of `block` one operation after the other, in the order
// the block format defines them; the independent check of TransformBlock.
void ReferenceEncodeBlock(cipher::CipherState& state, std::uint8_t* block, int n);

// Sets generator `g`'s reference value to what its `a` will be after `steps`
// more steps, so that it comes back to it there.
void ForceReturnAfter(cipher::CipherState& state, int g, int steps);

// The byte paths this processor runs (the portable one first), each to be
// forced in turn.
std::vector<cipher::BytePath> AvailableBytePaths();

// 64-bit FNV-1a digest of `size` bytes, for compact known-answer vectors.
std::uint64_t Digest(const std::uint8_t* data, std::size_t size);

}  // namespace cipher_test
