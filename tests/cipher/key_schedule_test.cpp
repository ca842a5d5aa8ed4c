#include "cipher/key_schedule.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "cipher/generator.h"
#include "cipher_test_support.h"
#include "platform/intro_screen.h"

namespace {

using cipher::CipherState;

TEST(KeySchedule, ReducePosSubtractsOnceAbove122) {
  const struct {
    int in;
    int out;
  } kCases[] = {{1, 1}, {122, 122}, {123, 1}, {134, 12}, {244, 122}, {245, 123}, {256, 134}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.in);
    auto p = static_cast<std::int16_t>(c.in);
    cipher::ReducePos(p);
    EXPECT_EQ(c.out, p);
  }
}

// Seeding reads W[2p-1 .. 2p+12] after one reduction; 122 is the last
// position that fits, and every seeding advances the position by 7.
TEST(KeySchedule, SeedingReducesThePositionAndAdvancesItBySeven) {
  CipherState base;
  cipher_test::Prepare(base, "seed", true);
  const struct {
    int in;
    int out;
    int sameAs;  // the position whose seeding gives the same values
  } kCases[] = {{1, 8, 1}, {122, 129, 122}, {123, 8, 1}, {134, 19, 12}, {129, 14, 7}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.in);
    CipherState state = base;
    CipherState same = base;
    auto p = static_cast<std::int16_t>(c.in);
    auto q = static_cast<std::int16_t>(c.sameAs);
    cipher::SeedGenerator(state, 1, p);
    cipher::SeedGenerator(same, 1, q);
    EXPECT_EQ(c.out, p);
    EXPECT_EQ(state.gen1.a, same.gen1.a);
    EXPECT_EQ(state.gen1.b, same.gen1.b);
    EXPECT_EQ(state.gen1.ref, state.gen1.a);
  }
}

// The shuffle reads W's bits most significant first; each field rotates a
// prefix of S to the right.
TEST(KeySchedule, ShuffleRotatesPrefixesByTheFieldsOfW) {
  CipherState built;
  cipher::BuildBaseSubst(built, platform::kBaseTable, cipher_test::IntroExcerpt());
  const std::uint8_t* base = built.subst;

  struct Case {
    const char* name;
    int index[2];  // W positions to set (0: none)
    std::uint8_t value[2];
    int prefix;  // expected: first `prefix` entries of S rotated right by `amount`
    int amount;
  };
  const Case kCases[] = {
      {"zero W leaves the table as built", {0, 0}, {0, 0}, 256, 0},
      {"first bit swaps the first two entries", {1, 0}, {0x80, 0}, 2, 1},
      {"last field, spanning W[224] and W[225], rotates all by 5",
       {224, 225},
       {0x02, 0x80},
       256,
       5},
      {"a field equal to its count does nothing", {1, 0}, {0x60, 0}, 256, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    for (bool encode : {true, false}) {
      CipherState state = built;
      state.encode = encode;
      for (int k = 0; k < 2; ++k) {
        if (c.index[k] != 0) {
          state.work[c.index[k]] = c.value[k];
        }
      }
      cipher::ShuffleSubst(state);
      for (int k = 0; k < 256; ++k) {
        const int from = k < c.prefix ? (k - c.amount + c.prefix) % c.prefix : k;
        ASSERT_EQ(base[from], state.subst[k]) << "entry " << k;
        if (!encode) {
          ASSERT_EQ(k, state.inverse[state.subst[k]]);
        }
      }
    }
  }
}

// Worked by hand with S the identity: forward, W = 1 2 0 .. 0 becomes
// 2 3 0 3 0 .. 0 3 before the rotation by W[256] XOR gen1.a.b0 = 3 XOR b0;
// backward, W = 0 .. 0 2 1 becomes 3 0 3 .. 0 3 2 before the rotation by
// W[1] XOR gen1.b.b0 = 3 XOR b0. The odd byte (2) shows where the rotation went.
TEST(KeySchedule, StirsMixAndRotateRight) {
  const struct {
    bool forward;
    std::uint8_t byte0;
    int oddAt;
  } kCases[] = {{true, 3, 1}, {true, 6, 6}, {true, 3 ^ 255, 256}, {false, 3, 256}, {false, 6, 5}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.forward ? "forward " : "backward ") + std::to_string(c.byte0));
    CipherState state;
    for (int x = 0; x < 256; ++x) {
      state.subst[x] = static_cast<std::uint8_t>(x);
    }
    if (c.forward) {
      state.work[1] = 1;
      state.work[2] = 2;
      cipher::SetByte(state.gen1.a, 0, c.byte0);
      cipher::StirForward(state, 1);
    } else {
      state.work[256] = 1;
      state.work[255] = 2;
      cipher::SetByte(state.gen1.b, 0, c.byte0);
      cipher::StirBackward(state, 1);
    }
    for (int k = 1; k <= 256; ++k) {
      const int distance = (k - c.oddAt + 256) % 256;
      const int expected = distance == 0 ? 2 : (distance % 2 == 1 ? 3 : 0);
      ASSERT_EQ(expected, state.work[k]) << "W[" << k << "]";
    }
  }
}

// Only the inverse table depends on the direction.
TEST(KeySchedule, PrepareKeyGivesTheSameStateInBothDirections) {
  for (const char* key : {"TARVEX5", "a much longer key that repeats less often"}) {
    SCOPED_TRACE(key);
    std::uint8_t encodeKey[cipher::kKeySize];
    std::uint8_t decodeKey[cipher::kKeySize];
    cipher_test::FillInitialKey(key, encodeKey);
    cipher_test::FillInitialKey(key, decodeKey);
    CipherState encoder;
    CipherState decoder;
    encoder.encode = true;
    decoder.encode = false;
    cipher::PrepareKey(encoder, encodeKey, platform::kBaseTable, cipher_test::IntroExcerpt());
    cipher::PrepareKey(decoder, decodeKey, platform::kBaseTable, cipher_test::IntroExcerpt());

    EXPECT_EQ(0, std::memcmp(encoder.savedSubst, decoder.savedSubst, 256));
    EXPECT_EQ(0, std::memcmp(encoder.savedWork, decoder.savedWork, 257));
    EXPECT_EQ(0, std::memcmp(encoder.savedGen1, decoder.savedGen1, sizeof encoder.savedGen1));
    EXPECT_EQ(0, std::memcmp(encoder.savedGen2, decoder.savedGen2, sizeof encoder.savedGen2));
    EXPECT_EQ(encoder.savedPos, decoder.savedPos);
    EXPECT_FALSE(encoder.stirPending || encoder.rekeyPending);
    for (int x = 0; x < 256; ++x) {
      ASSERT_EQ(x, decoder.savedInverse[decoder.savedSubst[x]]);
    }
    // The prepared key block replaces the initial key.
    EXPECT_EQ(0, std::memcmp(encodeKey, encoder.savedWork + 1, cipher::kKeySize));
  }
}

// Every dataset of the single forms starts from the same state, whatever the
// previous dataset left, including its requests for a stir or a rekey.
TEST(KeySchedule, ResetCipherRestoresThePreparedStateAndClearsRequests) {
  CipherState fresh;
  cipher_test::Prepare(fresh, "reset", true);
  CipherState used = fresh;
  std::uint8_t block[512] = {};
  for (int i = 0; i < 5; ++i) {
    cipher::TransformBlock(used, block, 512);
  }
  used.stirPending = true;
  used.rekeyPending = true;
  cipher::ResetCipher(used);
  cipher_test::ExpectSameRunningState(fresh, used);
}

// Frozen results of the key schedule: any change here changes every file.
TEST(KeySchedule, KnownAnswers) {
  std::uint8_t ascending[cipher::kKeySize];
  for (int i = 0; i < cipher::kKeySize; ++i) {
    ascending[i] = static_cast<std::uint8_t>(i);
  }
  const struct {
    std::string key;
    int savedPos;
    std::uint64_t savedWorkDigest;
    std::uint64_t savedGen1A;
    std::uint64_t savedGen2B;
  } kCases[] = {
      {"TARVEX5", 60, 0x2BBE6C73C4D83446, 0x3A237ED1DD7F2C3E, 0x3A22A85888C47190},
      {std::string(1, '\0'), 58, 0x9E9CA211FCB4ADF0, 0x3A1CD03EAF9A135E, 0x3A23D09D0DA1F03A},
      {std::string(reinterpret_cast<const char*>(ascending), 256), 128, 0x59D1C01F7F2E2286,
       0x3A15556203DE78C0, 0x3A1EEDBDAF98274F},
      {"correct horse battery staple", 75, 0x4F72A37D7E9BB492, 0x3A1F284D532E1537,
       0x3A1664A07B1B4B68},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.key.substr(0, 28));
    CipherState state;
    cipher_test::Prepare(state, c.key, true);
    const std::uint64_t digest = cipher_test::Digest(state.savedWork + 1, cipher::kKeySize);
    const auto gen1A = std::bit_cast<std::uint64_t>(state.savedGen1[0]);
    const auto gen2B = std::bit_cast<std::uint64_t>(state.savedGen2[1]);
    EXPECT_EQ(c.savedPos, state.savedPos);
    EXPECT_EQ(c.savedWorkDigest, digest);
    EXPECT_EQ(c.savedGen1A, gen1A);
    EXPECT_EQ(c.savedGen2B, gen2B);
  }
}

}  // namespace
