// The parser of the overlay information: the seven notations, the limits,
// the control input, and the counting rules of the overlay dataset.
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/text_dataset.h"
#include "overlay/overlay_steps.h"
#include "support/scratch_dir.h"

namespace {

using overlay::InfoError;
using overlay::InfoReader;
using overlay::InfoSource;
using overlay::ParseEnd;
using overlay::ParseResult;

// Position p of the key starts as the byte p - 1, so every change shows.
int KeyByteBefore(int position) { return position - 1; }

struct Expected {
  ParseEnd end = ParseEnd::Complete;
  InfoError error = InfoError::None;
  int character = 0;
  int number = 0;
  int place = 0;
};

class OverlayParserTest : public ::testing::Test {
 protected:
  std::unique_ptr<dialog::RunState> state = std::make_unique<dialog::RunState>();

  void SetUp() override {
    for (int position = 1; position <= 256; ++position) {
      state->InitialKey[position] = static_cast<std::uint8_t>(KeyByteBefore(position));
    }
    state->EntryState = 255;
  }

  ParseResult ParseText(int form, const std::string& text) {
    state->overlay.form = static_cast<std::uint8_t>(form);
    InfoReader reader;
    reader.source = InfoSource::Parameter;
    reader.text = text;
    return overlay::ParseOverlayInfo(*state, reader);
  }

  ParseResult ParseDataset(int form, const std::string& content) {
    testsupport::WriteFile(scratch.Path("overlay.txt"), content);
    platform::TextDataset dataset;
    EXPECT_TRUE(platform::OpenTextDataset(dataset, scratch.Path("overlay.txt").c_str()));
    state->overlay.form = static_cast<std::uint8_t>(form);
    InfoReader reader;
    reader.source = InfoSource::Dataset;
    reader.dataset = &dataset;
    const ParseResult result = overlay::ParseOverlayInfo(*state, reader);
    platform::CloseTextDataset(dataset);
    return result;
  }

  // Every position holds its byte from before, except those in `changed`.
  void ExpectKey(const std::map<int, int>& changed) {
    for (int position = 1; position <= 256; ++position) {
      const auto found = changed.find(position);
      const int expected = found == changed.end() ? KeyByteBefore(position) : found->second;
      EXPECT_EQ(state->InitialKey[position], expected) << "position " << position;
    }
  }

  testsupport::ScratchDir scratch;
};

void ExpectResult(const ParseResult& result, const Expected& expected) {
  EXPECT_EQ(result.end, expected.end);
  EXPECT_EQ(result.error, expected.error);
  if (expected.error != InfoError::None) {
    EXPECT_EQ(result.character, expected.character);
    EXPECT_EQ(result.number, expected.number);
    EXPECT_EQ(result.place, expected.place);
  }
}

struct TextCase {
  int form;
  std::string text;
  Expected expected;
  std::map<int, int> changed;  // position -> byte after the parse
};

TEST_F(OverlayParserTest, NotationsFromTheParameterText) {
  const Expected complete;
  const TextCase cases[] = {
      {1, "1:a,2:b,", complete, {{1, 'a'}, {2, 'b'}}},
      {1, "1:a,2:b", complete, {{1, 'a'}, {2, 'b'}}},
      {1, "5:,,", complete, {{5, ','}}},
      {1, "5::", complete, {{5, ':'}}},
      {1, "5: ,6:\xE1", complete, {{5, ' '}, {6, 0xE1}}},
      {4, "ff:x,FF:y", complete, {{255, 'y'}}},
      {3, "5:,", complete, {{5, 0}}},
      {3, "007:9,256:255", complete, {{7, 9}, {256, 255}}},
      {2, "7:aB,8:AB", complete, {{7, 0xAB}, {8, 0xAB}}},
      {5, "1f:ff", complete, {{31, 255}}},
      {6, "100:200", complete, {{256, 200}}},
      {7, std::string("AB\x00\x05", 4), complete, {{'A' + 1, 'B'}, {1, 5}}},
      {3, "", complete, {}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE("form " + std::to_string(c.form) + " text " + c.text);
    SetUp();
    ExpectResult(ParseText(c.form, c.text), c.expected);
    ExpectKey(c.changed);
  }
}

TEST_F(OverlayParserTest, ErrorsNameTheCharacterTheNumberAndThePlace) {
  using E = InfoError;
  const ParseEnd error = ParseEnd::Error;
  const TextCase cases[] = {
      {3, "300:1", {error, E::PositionTooLarge, 0, 300, 3}, {}},
      {6, "101:1", {error, E::PositionTooLarge, 0, 257, 3}, {}},
      {1, "ff:x", {error, E::WrongPositionCharacter, 'F', 0, 1}, {}},
      {3, "1:1,,", {error, E::WrongPositionCharacter, ',', 0, 5}, {{1, 1}}},
      {3, "0:1", {error, E::IncompletePair, 0, 0, 2}, {}},
      {3, ":1", {error, E::IncompletePair, 0, 0, 1}, {}},
      {3, "12", {error, E::IncompletePair, 0, 0, 2}, {}},
      {1, "5:", {error, E::IncompletePair, 0, 0, 2}, {}},
      {1, "5:A;", {error, E::WrongSeparator, ';', 0, 4}, {}},
      {4, "5:ab", {error, E::WrongSeparator, 'b', 0, 4}, {}},
      {3, "12:256", {error, E::ValueTooLarge, 0, 256, 6}, {}},
      {2, "1:1ff", {error, E::ValueTooLarge, 0, 0x1FF, 5}, {}},
      {3, "7:1a", {error, E::WrongValueCharacter, 'A', 0, 4}, {}},
      {2, "7:ag", {error, E::WrongValueCharacter, 'G', 0, 4}, {}},
      {3, "5: 1", {error, E::WrongValueCharacter, ' ', 0, 3}, {}},
      {3, "5:1:", {error, E::WrongValueCharacter, ':', 0, 4}, {}},
      // Pairs before the error stay applied; the caller restores the key.
      {7, "ABC", {error, E::MissingValue, 0, 0, 3}, {{'A' + 1, 'B'}}},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE("form " + std::to_string(c.form) + " text " + c.text);
    SetUp();
    ExpectResult(ParseText(c.form, c.text), c.expected);
    ExpectKey(c.changed);
  }
}

TEST_F(OverlayParserTest, LimitsDropPairsSilently) {
  state->overlay.positionLow = 5;
  state->overlay.positionHigh = 5;
  ExpectResult(ParseText(3, "4:1,5:2,6:3"), {});
  ExpectKey({{5, 2}});

  SetUp();
  state->overlay.positionLow = 1;
  state->overlay.positionHigh = 256;
  state->overlay.valueLow = 'A';
  state->overlay.valueHigh = 'Z';
  ExpectResult(ParseText(1, "1:a,2:B"), {});
  ExpectKey({{2, 'B'}});
}

// A control input compares each pair within the limits with the key that the
// first input left; pairs outside the limits are not compared.
TEST_F(OverlayParserTest, ControlInputComparesPairByPair) {
  state->overlay.valueLow = 'a';
  state->overlay.valueHigh = 'z';
  ExpectResult(ParseText(1, "1:x"), {});
  state->EntryState = 10;
  const struct {
    std::string text;
    ParseEnd end;
  } cases[] = {
      {"1:x", ParseEnd::Complete},
      {"1:y", ParseEnd::Mismatch},
      {"1:x,3:Q", ParseEnd::Complete},          // 'Q' lies outside the values
      {"1:x,98:a", ParseEnd::Complete},         // the key's own byte at 98 is 'a'
      {"98:b,1:x", ParseEnd::Mismatch},
      {"", ParseEnd::Complete},                 // leaving pairs out is not noticed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseText(1, c.text).end, c.end);
    ExpectKey({{1, 'x'}});
  }
}

struct DatasetCase {
  int form;
  std::string content;
  Expected expected;
  std::map<int, int> changed;
};

TEST_F(OverlayParserTest, DatasetSkipsLineEndsAndCountsThemAsTwoBytesInForm7) {
  using E = InfoError;
  const Expected complete;
  const DatasetCase cases[] = {
      {1, "1:a,\r\n2:b,\r\n", complete, {{1, 'a'}, {2, 'b'}}},
      {3, "1\r\n2:7\n", complete, {{12, 7}}},
      {3, "\r\n\r\n\n\r\n", complete, {}},
      {3, "1:1,\x1A" "2:2", complete, {{1, 1}}},  // Ctrl-Z ends forms 1 to 6
      {3, "1:1,\r\n2:x", {ParseEnd::Error, E::WrongValueCharacter, 'X', 0, 7}, {{1, 1}}},
      {7, "AB\r\nCD", complete, {{'A' + 1, 'B'}, {'C' + 1, 'D'}}},
      {7, "AB\r\n\r\nCD", complete, {{'A' + 1, 'B'}, {'C' + 1, 'D'}}},
      {7, "A\r\nB", complete, {{'A' + 1, 'B'}}},
      {7, "ABC", complete, {{'A' + 1, 'B'}}},  // the odd byte is dropped silently
      {7, std::string("A\x1A\x00Z", 4), complete, {{'A' + 1, 0x1A}, {1, 'Z'}}},
      // A lone LF counts two bytes as well, so the count reaches the length
      // one byte early and the last byte is never read.
      {7, "AB\nCD", complete, {{'A' + 1, 'B'}}},
  };
  for (const DatasetCase& c : cases) {
    SCOPED_TRACE("form " + std::to_string(c.form) + " content " + c.content);
    SetUp();
    ExpectResult(ParseDataset(c.form, c.content), c.expected);
    ExpectKey(c.changed);
  }
}

}  // namespace
