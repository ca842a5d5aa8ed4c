#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cipher/cipher_state.h"
#include "cipher_test_support.h"

namespace {

using cipher::CipherState;
using cipher::kMaxBlockLength;

struct Block {
  std::uint8_t bytes[kMaxBlockLength];
};

Block RandomBlock(std::mt19937& random) {
  Block block;
  for (std::uint8_t& byte : block.bytes) {
    byte = static_cast<std::uint8_t>(random());
  }
  return block;
}

// An encoder and a decoder prepared from the same key.
struct Pair {
  CipherState encoder;
  CipherState decoder;
  explicit Pair(const std::string& key) {
    cipher_test::Prepare(encoder, key, true);
    cipher_test::Prepare(decoder, key, false);
  }
};

// Encodes `n` bytes of `plain` and decodes the result; expects the plain
// bytes back and both states alike afterwards.
void ExpectRoundTrip(Pair& pair, const Block& plain, int n) {
  Block block = plain;
  cipher::TransformBlock(pair.encoder, block.bytes, n);
  ASSERT_NE(0, std::memcmp(plain.bytes, block.bytes, static_cast<std::size_t>(n)));
  cipher::TransformBlock(pair.decoder, block.bytes, n);
  ASSERT_EQ(0, std::memcmp(plain.bytes, block.bytes, static_cast<std::size_t>(n)));
  cipher_test::ExpectSameRunningState(pair.encoder, pair.decoder);
}

// Every length, from the prepared state, then the same lengths in one stream.
TEST(BlockTransform, DecodingRestoresEveryLength) {
  std::mt19937 random(1);
  Pair fresh("every length");
  Pair stream = fresh;
  for (int n = 1; n <= kMaxBlockLength; ++n) {
    SCOPED_TRACE(n);
    const Block plain = RandomBlock(random);
    Pair pair = fresh;
    ExpectRoundTrip(pair, plain, n);
    ExpectRoundTrip(stream, plain, n);
    if (HasFatalFailure()) {
      return;
    }
  }
}

// The fused loops and the batched keystream give what the operations give one
// after the other, for every length and over long streams, where stirs happen.
TEST(BlockTransform, EncodingMatchesTheStepByStepOrder) {
  std::mt19937 random(2);
  CipherState fresh;
  cipher_test::Prepare(fresh, "reference", true);
  CipherState stream = fresh;
  CipherState streamReference = fresh;
  int stirs = 0;
  for (int n = 1; n <= 3 * kMaxBlockLength; ++n) {
    const int length = n <= kMaxBlockLength ? n : 512;
    SCOPED_TRACE(n);
    const Block plain = RandomBlock(random);
    CipherState state = fresh;
    CipherState reference = fresh;
    Block block = plain;
    Block expected = plain;
    cipher::TransformBlock(state, block.bytes, length);
    cipher_test::ReferenceEncodeBlock(reference, expected.bytes, length);
    ASSERT_EQ(0, std::memcmp(expected.bytes, block.bytes, static_cast<std::size_t>(length)));
    cipher_test::ExpectSameRunningState(reference, state);

    stirs += stream.stirPending ? 1 : 0;
    block = plain;
    expected = plain;
    cipher::TransformBlock(stream, block.bytes, length);
    cipher_test::ReferenceEncodeBlock(streamReference, expected.bytes, length);
    ASSERT_EQ(0, std::memcmp(expected.bytes, block.bytes, static_cast<std::size_t>(length)));
    cipher_test::ExpectSameRunningState(streamReference, stream);
    if (HasFailure()) {
      return;
    }
  }
  EXPECT_GT(stirs, 10);
}

// Requests carried from the previous block (a stir, or a full rekey), and
// generators coming back to their reference values inside the block: both
// directions must agree with each other and with the step-by-step order.
// When both generators come back in one block, decoding runs generator 1
// first, as encoding does, so both load from the same positions.
TEST(BlockTransform, PendingWorkAndReturningGeneratorsDecode) {
  struct Case {
    const char* name;
    int n;
    bool stir;
    bool rekey;
    int returns1;  // step after which generator 1 comes back (0: never)
    int returns2;
    int reseeds;  // expected reseeds from pos
  };
  const Case kCases[] = {
      {"stir", 512, true, false, 0, 0, 0},
      {"full rekey", 512, true, true, 0, 0, 0},
      {"rekey request alone does nothing", 40, false, true, 0, 0, 0},
      {"generator 1 returns", 512, false, false, 9, 0, 1},
      {"generator 2 returns", 512, false, false, 0, 9, 1},
      {"both return, 1 first", 512, false, false, 3, 20, 2},
      {"both return, 2 first", 512, false, false, 20, 3, 2},
      {"both return at once", 100, false, false, 12, 12, 2},
      {"both in the tail: only 2 compares", 13, false, false, 2, 2, 1},
      {"both at the last step", 1023, false, false, 127, 128, 2},
  };
  std::mt19937 random(3);
  const Pair prepared("returns");
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Pair pair = prepared;
    for (CipherState* state : {&pair.encoder, &pair.decoder}) {
      state->stirPending = c.stir;
      state->rekeyPending = c.rekey;
      if (c.returns1 > 0) {
        cipher_test::ForceReturnAfter(*state, 1, c.returns1);
      }
      if (c.returns2 > 0) {
        cipher_test::ForceReturnAfter(*state, 2, c.returns2);
      }
    }
    CipherState reference = pair.encoder;
    const Block plain = RandomBlock(random);
    Block expected = plain;
    cipher_test::ReferenceEncodeBlock(reference, expected.bytes, c.n);

    std::int16_t pos = pair.encoder.pos;
    for (int i = 0; i < c.reseeds; ++i) {
      pos = static_cast<std::int16_t>((pos > 122 ? pos - 122 : pos) + 7);
    }
    Block block = plain;
    cipher::TransformBlock(pair.encoder, block.bytes, c.n);
    EXPECT_EQ(0, std::memcmp(expected.bytes, block.bytes, static_cast<std::size_t>(c.n)));
    cipher_test::ExpectSameRunningState(reference, pair.encoder);
    if (!c.stir) {
      EXPECT_EQ(pos, pair.encoder.pos);
    }
    cipher::TransformBlock(pair.decoder, block.bytes, c.n);
    EXPECT_EQ(0, std::memcmp(plain.bytes, block.bytes, static_cast<std::size_t>(c.n)));
    cipher_test::ExpectSameRunningState(pair.encoder, pair.decoder);
  }
}

// Datasets as dataset processing cuts them (blocks of 512, the last one of
// 513..1023 bytes), encoded as one unit and decoded as one unit.
TEST(BlockTransform, DecodingRestoresAStreamOfDatasets) {
  const int kDatasetLengths[] = {1, 511, 512, 513, 1023, 1024, 1535, 5000, 70000};
  std::mt19937 random(4);
  std::vector<std::uint8_t> plain;
  for (int length : kDatasetLengths) {
    for (int i = 0; i < length; ++i) {
      plain.push_back(static_cast<std::uint8_t>(random() % 7));  // repetitive, like text
    }
  }
  const auto cut = [&](CipherState& state, std::vector<std::uint8_t>& data) {
    std::size_t offset = 0;
    for (int length : kDatasetLengths) {
      int left = length;
      while (left > 0) {
        const int n = left < 1024 ? left : 512;
        cipher::TransformBlock(state, data.data() + offset, n);
        offset += static_cast<std::size_t>(n);
        left -= n;
      }
    }
  };
  Pair pair("one unit");
  std::vector<std::uint8_t> data = plain;
  cut(pair.encoder, data);
  int equal = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    equal += data[i] == plain[i] ? 1 : 0;
  }
  EXPECT_LT(equal, static_cast<int>(data.size() / 128));
  cut(pair.decoder, data);
  EXPECT_TRUE(data == plain);
  cipher_test::ExpectSameRunningState(pair.encoder, pair.decoder);
}

// What an encoded block must not show: equal plain blocks give unequal
// output, a changed byte changes the whole block, a wrong key gives no plain
// text back.
TEST(BlockTransform, OutputHidesThePlainBlock) {
  const Pair prepared("hide");
  Pair pair = prepared;
  Block zeros = {};
  Block first = zeros;
  Block second = zeros;
  cipher::TransformBlock(pair.encoder, first.bytes, 512);
  cipher::TransformBlock(pair.encoder, second.bytes, 512);
  EXPECT_NE(0, std::memcmp(first.bytes, second.bytes, 512));
  bool seen[256] = {};
  int distinct = 0;
  for (int i = 0; i < 512; ++i) {
    distinct += seen[first.bytes[i]] ? 0 : 1;
    seen[first.bytes[i]] = true;
  }
  EXPECT_GT(distinct, 150);

  for (int changed : {0, 255, 256, 511}) {
    SCOPED_TRACE(changed);
    CipherState state = prepared.encoder;
    Block block = zeros;
    block.bytes[changed] = 1;
    cipher::TransformBlock(state, block.bytes, 512);
    int same = 0;
    for (int i = 0; i < 512; ++i) {
      same += block.bytes[i] == first.bytes[i] ? 1 : 0;
    }
    EXPECT_LT(same, 12);
  }

  CipherState wrongKey;
  cipher_test::Prepare(wrongKey, "hidf", false);
  cipher::TransformBlock(wrongKey, first.bytes, 512);
  int zeroBytes = 0;
  for (int i = 0; i < 512; ++i) {
    zeroBytes += first.bytes[i] == 0 ? 1 : 0;
  }
  EXPECT_LT(zeroBytes, 12);
}

// Frozen encodings: a change to any of these changes the format. Each row
// encodes `blocks` blocks of `n` bytes (byte i of a block is i * 7 + 3) in one
// stream from the prepared state, with the pending requests set before the
// first block, and records a digest of all output and the first four bytes.
TEST(BlockTransform, KnownAnswers) {
  struct Case {
    const char* key;
    int n;
    int blocks;
    bool pendingRekey;
    std::uint64_t digest;
    std::uint32_t head;  // first four output bytes, first byte highest
  };
  const Case kCases[] = {
      {"TARVEX5", 1, 1, false, 0xAF63CB4C8601CFA9, 0x16000000},
      {"TARVEX5", 7, 1, false, 0xFB53B48B06CA2792, 0xA4AFB9D8},
      {"TARVEX5", 8, 1, false, 0x5A69789536E8A9F8, 0xC3B0AEF1},
      {"TARVEX5", 512, 1, false, 0xE986E487BA384295, 0x5F524482},
      {"TARVEX5", 1023, 1, false, 0xA3C928EB924BEA87, 0x4910D0F7},
      {"TARVEX5", 512, 256, false, 0x17514A7B15DC03BE, 0x5F524482},
      {"TARVEX5", 300, 1, true, 0x44E3E20C6B13DA33, 0xED305608},
      {"correct horse battery staple", 13, 3, false, 0x9EB5B1AF5C29F21F, 0xAD1AC5A2},
      {"correct horse battery staple", 777, 100, false, 0xA64DBB5A46EC7184, 0x4BBB900C},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.key) + ", " + std::to_string(c.n) + " x " +
                 std::to_string(c.blocks));
    CipherState state;
    cipher_test::Prepare(state, c.key, true);
    state.stirPending = c.pendingRekey;
    state.rekeyPending = c.pendingRekey;
    std::vector<std::uint8_t> output;
    for (int b = 0; b < c.blocks; ++b) {
      Block block;
      for (int i = 0; i < c.n; ++i) {
        block.bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
      }
      cipher::TransformBlock(state, block.bytes, c.n);
      output.insert(output.end(), block.bytes, block.bytes + c.n);
    }
    std::uint32_t head = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      head = (head << 8) | (i < output.size() ? output[i] : 0);
    }
    const std::uint64_t digest = cipher_test::Digest(output.data(), output.size());
    EXPECT_EQ(c.digest, digest);
    EXPECT_EQ(c.head, head);
  }
}

}  // namespace
