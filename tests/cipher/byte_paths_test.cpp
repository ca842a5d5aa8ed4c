// Every byte path (portable, each vector width), alone and behind the
// schedule, against the step-by-step reference encoder on one long stream.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cipher/block_schedule.h"
#include "cipher/cipher_state.h"
#include "cipher_test_support.h"

namespace {

using cipher::BytePath;
using cipher::CipherState;

// Lengths around every vector and lane boundary, and what dataset processing cuts.
constexpr int kLengths[] = {512, 1,   2,   7,   8,   9,   31,  32,  33,   63,   64,  65,  127, 128,
                            129, 255, 256, 257, 300, 511, 513, 777, 1000, 1023, 512, 512, 512};
constexpr int kBlocks = 700;
constexpr int kRekeyBlock = 350;  // a full rekey is forced before this block

std::string NameOf(BytePath path) {
  switch (path) {
    case BytePath::kFastest:
      return "fastest";
    case BytePath::kScalar:
      return "scalar";
    case BytePath::kAvx2:
      return "avx2";
    case BytePath::kAvx512:
      return "avx512";
  }
  return "?";
}

void ForceRekeyAt(int block, CipherState& state) {
  if (block == kRekeyBlock) {
    state.stirPending = true;
    state.rekeyPending = true;
  }
}

// One stream of blocks, its encoding by the reference encoder, and the state
// after every block.
struct Stream {
  std::vector<int> offsets;  // of block b; offsets[kBlocks] is the total
  std::vector<std::uint8_t> plain;
  std::vector<std::uint8_t> encoded;
  std::vector<CipherState> statesAfter;
  CipherState encoder;
  CipherState decoder;
  int stirs = 0;

  Stream() {
    cipher_test::Prepare(encoder, "vector paths", true);
    cipher_test::Prepare(decoder, "vector paths", false);
    std::mt19937 random(13);
    offsets.push_back(0);
    for (int b = 0; b < kBlocks; ++b) {
      offsets.push_back(offsets.back() + kLengths[b % std::size(kLengths)]);
    }
    for (int i = 0; i < offsets.back(); ++i) {
      plain.push_back(static_cast<std::uint8_t>(random()));
    }
    encoded = plain;
    CipherState reference = encoder;
    for (int b = 0; b < kBlocks; ++b) {
      ForceRekeyAt(b, reference);
      stirs += reference.stirPending ? 1 : 0;
      cipher_test::ReferenceEncodeBlock(reference, encoded.data() + offsets[b], Length(b));
      statesAfter.push_back(reference);
    }
  }
  int Length(int b) const { return offsets[b + 1] - offsets[b]; }
};

const Stream& SharedStream() {
  static const auto* stream = new Stream();
  return *stream;
}

// Expects `data` to equal `expected` block by block, naming the first block that differs.
void ExpectSameBlocks(const Stream& stream, const std::vector<std::uint8_t>& expected,
                      const std::vector<std::uint8_t>& data) {
  for (int b = 0; b < kBlocks; ++b) {
    ASSERT_EQ(0, std::memcmp(expected.data() + stream.offsets[b], data.data() + stream.offsets[b],
                             static_cast<std::size_t>(stream.Length(b))))
        << "block " << b << " of " << stream.Length(b) << " bytes";
  }
}

TEST(BytePaths, StreamHasStirsAndARekey) {
  const Stream& stream = SharedStream();
  EXPECT_GT(stream.stirs, 6);
  EXPECT_FALSE(stream.statesAfter[kRekeyBlock].stirPending);  // the rekey ran
}

// Each path forced on the same data gives the reference bytes and states,
// both ways.
TEST(BytePaths, EveryPathGivesTheReferenceBytesBothWays) {
  const Stream& stream = SharedStream();
  for (BytePath path : cipher_test::AvailableBytePaths()) {
    SCOPED_TRACE(NameOf(path));
    CipherState encoder = stream.encoder;
    CipherState decoder = stream.decoder;
    encoder.bytePath = path;
    decoder.bytePath = path;
    std::vector<std::uint8_t> data = stream.plain;
    for (int b = 0; b < kBlocks; ++b) {
      ForceRekeyAt(b, encoder);
      cipher::TransformBlock(encoder, data.data() + stream.offsets[b], stream.Length(b));
      cipher_test::ExpectSameRunningState(stream.statesAfter[b], encoder);
    }
    ExpectSameBlocks(stream, stream.encoded, data);
    for (int b = 0; b < kBlocks; ++b) {
      ForceRekeyAt(b, decoder);
      cipher::TransformBlock(decoder, data.data() + stream.offsets[b], stream.Length(b));
      cipher_test::ExpectSameRunningState(stream.statesAfter[b], decoder);
    }
    ExpectSameBlocks(stream, stream.plain, data);
    if (HasFailure()) {
      return;
    }
  }
}

// Schedules the stream's blocks series by series (a stir forced before every
// block in the first `forcedStirs` blocks fills the table sets early) and
// applies each series; returns the state after the last block.
CipherState ScheduleAndApply(const Stream& stream, CipherState state, std::uint8_t* data,
                             int forcedStirs, int& series) {
  auto schedule = std::make_unique<cipher::BlockSchedule>();
  int b = 0;
  series = 0;
  while (b < kBlocks) {
    cipher::BeginSchedule(state, *schedule);
    const int first = b;
    for (; b < kBlocks; ++b) {
      ForceRekeyAt(b, state);
      if (b < forcedStirs) {
        state.stirPending = true;
      }
      const CipherState before = state;
      if (!cipher::ScheduleBlock(state, *schedule, stream.Length(b))) {
        cipher_test::ExpectSameRunningState(before, state);  // a full schedule leaves it
        break;
      }
    }
    EXPECT_GT(b, first);
    cipher::ApplySchedule(*schedule, data + stream.offsets[first]);
    ++series;
  }
  return state;
}

// Scheduling ahead and applying gives what TransformBlock gives, for every
// path and both ways, also when a series ends for want of room.
TEST(BytePaths, AppliedSchedulesGiveTheBlockByBlockBytes) {
  const Stream& stream = SharedStream();
  constexpr int kForcedStirs = 40;
  for (bool encode : {true, false}) {
    // The block-by-block result with the same forced stirs.
    CipherState expectedState = encode ? stream.encoder : stream.decoder;
    std::vector<std::uint8_t> expected = encode ? stream.plain : stream.encoded;
    for (int b = 0; b < kBlocks; ++b) {
      ForceRekeyAt(b, expectedState);
      expectedState.stirPending = expectedState.stirPending || b < kForcedStirs;
      cipher::TransformBlock(expectedState, expected.data() + stream.offsets[b], stream.Length(b));
    }
    for (BytePath path : cipher_test::AvailableBytePaths()) {
      SCOPED_TRACE(std::string(encode ? "encoding, " : "decoding, ") + NameOf(path));
      CipherState state = encode ? stream.encoder : stream.decoder;
      state.bytePath = path;
      std::vector<std::uint8_t> data = encode ? stream.plain : stream.encoded;
      int series = 0;
      const CipherState after = ScheduleAndApply(stream, state, data.data(), kForcedStirs, series);
      ExpectSameBlocks(stream, expected, data);
      cipher_test::ExpectSameRunningState(expectedState, after);
      // Full table sets end the first series; full key room ends later ones.
      EXPECT_GT(series, 1 + stream.offsets.back() / cipher::kScheduleKeyBytes);
    }
    // Without forced stirs, the plain stream round-trips through schedules.
    if (encode) {
      std::vector<std::uint8_t> data = stream.plain;
      int series = 0;
      ScheduleAndApply(stream, stream.encoder, data.data(), 0, series);
      ExpectSameBlocks(stream, stream.encoded, data);
    }
  }
}

// A run of blocks of one length at once (each block's byte work beside the
// next block's key bytes) gives what TransformBlock gives block by block, for
// every path and both ways: across the stirs of a long run, generators that
// come back in a later block (a reseed, then a full rekey), and short blocks.
TEST(BytePaths, RunsOfBlocksGiveTheBlockByBlockBytes) {
  struct Case {
    int n;
    int count;
    int returns1;  // step after which generator 1 comes back, counted over the run (0: never)
    int returns2;
  };
  const Case kCases[] = {
      {512, 300, 0, 0},    {512, 24, 64 * 5 + 9, 64 * 11 + 20}, {512, 8, 64 * 2 + 63, 64 * 2 + 63},
      {100, 9, 0, 13 * 4 + 12}, {1023, 3, 128 + 7, 0},          {2, 5, 0, 0},
      {1, 4, 0, 0},         {777, 1, 0, 0},                      {512, 0, 0, 0},
  };
  std::mt19937 random(17);
  for (const Case& c : kCases) {
    for (bool encode : {true, false}) {
      CipherState prepared;
      cipher_test::Prepare(prepared, "runs of blocks", encode);
      if (c.returns1 > 0) {
        cipher_test::ForceReturnAfter(prepared, 1, c.returns1);
      }
      if (c.returns2 > 0) {
        cipher_test::ForceReturnAfter(prepared, 2, c.returns2);
      }
      std::vector<std::uint8_t> data(static_cast<std::size_t>(c.n * c.count) + 1);
      for (std::uint8_t& byte : data) {
        byte = static_cast<std::uint8_t>(random());
      }
      CipherState expectedState = prepared;
      std::vector<std::uint8_t> expected = data;
      for (int b = 0; b < c.count; ++b) {
        cipher::TransformBlock(expectedState, expected.data() + b * c.n, c.n);
      }
      for (BytePath path : cipher_test::AvailableBytePaths()) {
        SCOPED_TRACE(std::to_string(c.count) + " blocks of " + std::to_string(c.n) +
                     (encode ? ", encoding, " : ", decoding, ") + NameOf(path));
        CipherState state = prepared;
        state.bytePath = path;
        std::vector<std::uint8_t> run = data;
        cipher::TransformBlocks(state, run.data(), c.n, c.count);
        EXPECT_EQ(expected, run);
        cipher_test::ExpectSameRunningState(expectedState, state);
      }
    }
  }
}

}  // namespace
