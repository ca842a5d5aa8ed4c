#include "cipher_test_support.h"

#include <cstring>

#include <gtest/gtest.h>

#include "cipher/byte_transform.h"
#include "cipher/generator.h"
#include "cipher/key_schedule.h"
#include "platform/intro_screen.h"

namespace cipher_test {

using cipher::ByteOf;
using cipher::CipherState;

namespace {

// Key byte of offset `t` (0..7) of a group whose generator holds `a` and `b`.
std::uint8_t KeyByte(double a, double b, int t) {
  return t < 4 ? ByteOf(a, 5 - t) : ByteOf(b, 9 - t);
}

void ReferencePendingWork(CipherState& s) {
  if (s.stirPending && !s.rekeyPending) {
    s.stirPending = false;
    if ((ByteOf(s.gen1.b, 2) & 0x3F) > (ByteOf(s.gen1.a, 2) & 0x3F)) {
      cipher::StirForward(s, 1);
    } else {
      cipher::StirBackward(s, 1);
    }
  } else if (s.stirPending && s.rekeyPending) {
    cipher::Rekey(s);
    cipher::ShuffleSubst(s);
    cipher::Rekey(s);
    auto p1 = static_cast<std::int16_t>(s.subst[2] + 1);
    cipher::ReducePos(p1);
    cipher::SeedGenerator(s, 1, p1);
    const double keptA = s.gen1.a;
    const double keptB = s.gen1.b;
    cipher::SeedGenerator(s, 2, p1);
    cipher::Rekey(s);
    s.gen1.a = keptA;
    s.gen1.b = keptB;
    s.gen1.ref = s.gen1.a;
    s.check1 = ByteOf(s.gen1.a, 2) & 0x3F;
    s.pos = p1;
  }
}

// D is 1-based: D[1..n].
void ReferencePass1(CipherState& s, std::uint8_t* D, int n) {
  int q = 1;
  for (int group = 0; group < n / 8; ++group, q += 8) {
    const double a = s.gen1.a;
    const double b = s.gen1.b;
    for (int t = 0; t < 8; ++t) {
      D[q + t] = s.subst[D[q + t]] ^ KeyByte(a, b, t);
    }
    D[q] ^= ByteOf(b, 1);
    D[q + 4] ^= ByteOf(a, 1);
    cipher::StepGenerator(s, 1);
    if (s.gen1.a == s.gen1.ref) {
      cipher::SeedGenerator(s, 1, s.pos);
      s.stirPending = true;
      s.rekeyPending = true;
    }
  }
  const int tail = n % 8;
  if (tail > 0) {
    const double a = s.gen1.a;
    const double b = s.gen1.b;
    for (int t = 0; t < tail; ++t) {
      D[q + t] = s.subst[D[q + t]] ^ KeyByte(a, b, t);
    }
    D[q] ^= ByteOf(b, 1);
    if (tail >= 5) {
      D[q + 4] ^= ByteOf(a, 1);
    }
    cipher::StepGenerator(s, 1);
  }
}

void ReferencePass2(CipherState& s, std::uint8_t* D, int n) {
  for (int q = 1; q <= n; q += 8) {
    const int length = n - q + 1 < 8 ? n - q + 1 : 8;
    const double a = s.gen2.a;
    const double b = s.gen2.b;
    D[q] ^= ByteOf(b, 1);
    if (length >= 5) {
      D[q + 4] ^= ByteOf(a, 1);
    }
    for (int t = 0; t < length; ++t) {
      D[q + t] = s.subst[D[q + t] ^ KeyByte(a, b, t)];
    }
    cipher::StepGenerator(s, 2);
    if (s.gen2.a == s.gen2.ref) {
      cipher::SeedGenerator(s, 2, s.pos);
    }
  }
}

void ReferenceMixing(const CipherState& s, std::uint8_t* D) {
  D[1] = s.subst[s.subst[D[1]] ^ s.work[1]];
}

void ReferenceChain(const CipherState& s, std::uint8_t* D, int n) {
  const std::uint8_t* S = s.subst;
  const auto W = [&](int i) { return s.work[((i - 1) % 256) + 1]; };
  for (int i = 2; i <= n; ++i) {
    D[i] = S[S[D[i]] ^ W(i)] ^ D[i - 1];
  }
  D[n] = S[D[n]];
  for (int i = n; i >= 2; --i) {
    D[i - 1] = S[D[i - 1]] ^ D[i];
    D[i] = S[S[D[i]] ^ W(i)];
  }
}

}  // namespace

const std::uint8_t* IntroExcerpt() {
  static std::uint8_t excerpt[platform::kExcerptLength];
  static const bool filled = [] {
    std::uint8_t plain[platform::kScreenSize];
    platform::Decipher(platform::StoredIntroImage(0), platform::kScreenSize, plain);
    std::memcpy(excerpt, plain + platform::kExcerptOffset, sizeof excerpt);
    return true;
  }();
  (void)filled;
  return excerpt;
}

void FillInitialKey(const std::string& key, std::uint8_t* initialKey) {
  for (int i = 0; i < cipher::kKeySize; ++i) {
    initialKey[i] = static_cast<std::uint8_t>(key[i % key.size()]);
  }
}

void Prepare(CipherState& state, const std::string& key, bool encode) {
  std::uint8_t initialKey[cipher::kKeySize];
  FillInitialKey(key, initialKey);
  state.encode = encode;
  cipher::PrepareKey(state, initialKey, platform::kBaseTable, IntroExcerpt());
  cipher::ResetCipher(state);
}

void ExpectSameRunningState(const CipherState& expected, const CipherState& actual) {
  const auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
  EXPECT_EQ(0, std::memcmp(expected.subst, actual.subst, sizeof expected.subst)) << "subst";
  EXPECT_EQ(0, std::memcmp(expected.work, actual.work, sizeof expected.work)) << "work";
  const cipher::Generator* expectedGens[] = {&expected.gen1, &expected.gen2};
  const cipher::Generator* actualGens[] = {&actual.gen1, &actual.gen2};
  for (int g = 0; g < 2; ++g) {
    SCOPED_TRACE("generator " + std::to_string(g + 1));
    EXPECT_EQ(bits(expectedGens[g]->a), bits(actualGens[g]->a));
    EXPECT_EQ(bits(expectedGens[g]->b), bits(actualGens[g]->b));
    EXPECT_EQ(bits(expectedGens[g]->ref), bits(actualGens[g]->ref));
  }
  EXPECT_EQ(expected.check1, actual.check1);
  EXPECT_EQ(expected.pos, actual.pos);
  EXPECT_EQ(expected.stirPending, actual.stirPending);
  EXPECT_EQ(expected.rekeyPending, actual.rekeyPending);
}

void ReferenceEncodeBlock(CipherState& state, std::uint8_t* block, int n) {
  std::uint8_t D[cipher::kMaxBlockLength + 1];  // D[1..n]
  std::memcpy(D + 1, block, static_cast<std::size_t>(n));
  ReferencePendingWork(state);
  ReferencePass1(state, D, n);
  if ((ByteOf(state.gen1.a, 2) & 0x3F) == state.check1) {
    state.stirPending = true;
    if (state.gen1.a == state.gen1.ref) {
      state.rekeyPending = true;
    }
  }
  ReferenceMixing(state, D);
  if (n > 1) {
    ReferenceChain(state, D, n);
  }
  ReferenceMixing(state, D);
  ReferencePass2(state, D, n);
  std::memcpy(block, D + 1, static_cast<std::size_t>(n));
}

void ForceReturnAfter(CipherState& state, int g, int steps) {
  CipherState ahead = state;
  for (int i = 0; i < steps; ++i) {
    cipher::StepGenerator(ahead, g);
  }
  cipher::GeneratorOf(state, g).ref = cipher::GeneratorOf(ahead, g).a;
}

std::vector<cipher::BytePath> AvailableBytePaths() {
  std::vector<cipher::BytePath> paths;
  for (cipher::BytePath path :
       {cipher::BytePath::kScalar, cipher::BytePath::kAvx2, cipher::BytePath::kAvx512}) {
    if (cipher::BytePathAvailable(path)) {
      paths.push_back(path);
    }
  }
  return paths;
}

std::uint64_t Digest(const std::uint8_t* data, std::size_t size) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (std::size_t i = 0; i < size; ++i) {
    hash = (hash ^ data[i]) * 0x100000001B3u;
  }
  return hash;
}

}  // namespace cipher_test
