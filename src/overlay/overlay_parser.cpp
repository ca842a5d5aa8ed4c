// The parser of the overlay information: the seven notations, read from the
// text of parameter 12, the keyboard or an overlay dataset.
#include "dialog/console_input.h"
#include "overlay/overlay_steps.h"
#include "platform/console.h"

namespace overlay {

namespace {

using dialog::RunState;

constexpr int kPositionTerminator = ':';
constexpr int kValueTerminator = ',';
// Only the letters "a" to "z" change.
int UpperCase(int character) {
  return character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character;
}

// The value of an upper-cased digit in `base` (10 or 16), or -1.
int DigitValue(int character, int base) {
  if (character >= '0' && character <= '9') {
    return character - '0';
  }
  if (base == 16 && character >= 'A' && character <= 'F') {
    return character - 'A' + 10;
  }
  return -1;
}

// How a form writes its pairs (forms 1 to 6).
struct Notation {
  int positionBase;
  bool characterValue;  // the value is one character taken as it is
  int valueBase;
};

Notation NotationOf(std::uint8_t form) {
  const int positionBase = form <= 3 ? 10 : 16;
  const int valueBase = form == 2 || form == 5 ? 16 : 10;
  return {positionBase, form == 1 || form == 4, valueBase};
}

// Where characters are code-page bytes (Windows) the bytes of a character
// read as UTF-8 are handed out one by one (one byte in a single-byte code
// page). False, and noted, when the code page lacks the character.
bool TakePendingByte(InfoReader& reader, int& character) {
  if (reader.pendingCount == 0) {
    reader.notInCodePage = true;
    return false;
  }
  reader.pendingNext = 1;
  character = reader.pending[0];
  return true;
}

bool NextParameterCharacter(InfoReader& reader, int& character) {
  if (reader.next >= reader.text.size()) {
    return false;
  }
  character = static_cast<unsigned char>(reader.text[reader.next]);
  if (!platform::kKeyCharactersAsCodePage || character < 0x80) {
    ++reader.next;
    return true;
  }
  std::size_t length = 0;
  reader.pendingCount = static_cast<std::uint8_t>(
      dialog::CodePageBytesOfText(reader.text.substr(reader.next), length, reader.pending));
  reader.next += length;
  return TakePendingByte(reader, character);
}

// The keyboard: line ends are skipped before every character; two in a row
// (an empty line) or the end of the input end the information.
bool NextTypedCharacter(RunState& state, InfoReader& reader, int& character) {
  dialog::SkipLineEnds(state);
  if (state.LineEndCount == 2 || dialog::InputAtEnd(state)) {
    return false;
  }
  state.LineEndCount = 0;
  character = platform::ReadByte(state.console);
  if (!platform::kKeyCharactersAsCodePage || character < 0x80) {
    return true;
  }
  reader.pendingCount = static_cast<std::uint8_t>(dialog::CodePageBytesOfTyped(state, character, reader.pending));
  return TakePendingByte(reader, character);
}

// An overlay dataset in forms 1 to 6: line ends and empty lines are skipped;
// its physical end or a Ctrl-Z ends the information.
bool NextDatasetCharacter(platform::TextDataset& dataset, int& character) {
  if (platform::SkipLineEndsToEnd(dataset)) {
    return false;
  }
  character = platform::ReadDatasetByte(dataset);
  return true;
}

// The next information character; false at the end of the information.
bool NextCharacter(RunState& state, InfoReader& reader, int& character) {
  bool read = false;
  if (reader.pendingNext < reader.pendingCount) {
    character = reader.pending[reader.pendingNext++];
    read = true;
  } else {
    switch (reader.source) {
      case InfoSource::Parameter:
        read = NextParameterCharacter(reader, character);
        break;
      case InfoSource::Keyboard:
        read = NextTypedCharacter(state, reader, character);
        break;
      case InfoSource::Dataset:
        read = state.overlay.form == kBytestring
                   ? platform::ReadCountedByte(*reader.dataset, reader.consumed, character)
                   : NextDatasetCharacter(*reader.dataset, character);
        break;
    }
  }
  if (read) {
    ++state.overlay.infoCount;
  }
  return read;
}

ParseResult Failure(const RunState& state, InfoError error, int character = 0, int number = 0) {
  return {ParseEnd::Error, error, character, number, state.overlay.infoCount};
}

// How a pair's value ended.
enum class PairEnd { NextPair, InfoEnded, Stopped };

// Hands the pair to the pair rule; a control input that differs stops.
PairEnd Apply(RunState& state, PairEnd next, ParseResult& result) {
  if (!ApplyOverlayPair(state, state.overlay.position, state.overlay.value)) {
    result = {ParseEnd::Mismatch};
    return PairEnd::Stopped;
  }
  return next;
}

// Forms 1 and 4: `character` is the value; a "," or the end must follow.
PairEnd TakeCharacterValue(RunState& state, InfoReader& reader, int character,
                           ParseResult& result) {
  state.overlay.value = static_cast<std::int16_t>(character);
  int separator = 0;
  if (!NextCharacter(state, reader, separator)) {
    return Apply(state, PairEnd::InfoEnded, result);
  }
  if (separator != kValueTerminator) {
    result = Failure(state, InfoError::WrongSeparator, separator);
    return PairEnd::Stopped;
  }
  return Apply(state, PairEnd::NextPair, result);
}

// Forms 2, 3, 5 and 6: digits from `character` on up to a "," or the end; no
// digits at all is the value 0.
PairEnd TakeNumberValue(RunState& state, InfoReader& reader, int character, int base,
                        ParseResult& result) {
  OverlayInfo& info = state.overlay;
  info.value = 0;
  while (character != kValueTerminator) {
    const int upper = UpperCase(character);
    const int digit = DigitValue(upper, base);
    if (digit < 0) {
      result = Failure(state, InfoError::WrongValueCharacter, upper);
      return PairEnd::Stopped;
    }
    info.value = static_cast<std::int16_t>(info.value * base + digit);
    if (info.value > kHighestValue) {
      result = Failure(state, InfoError::ValueTooLarge, 0, info.value);
      return PairEnd::Stopped;
    }
    if (!NextCharacter(state, reader, character)) {
      return Apply(state, PairEnd::InfoEnded, result);
    }
  }
  return Apply(state, PairEnd::NextPair, result);
}

// The position digits from `character` on, up to the ":". False with
// `result` filled on an error.
bool TakePosition(RunState& state, InfoReader& reader, int character, int base,
                  ParseResult& result) {
  OverlayInfo& info = state.overlay;
  info.position = 0;
  while (character != kPositionTerminator) {
    const int upper = UpperCase(character);
    const int digit = DigitValue(upper, base);
    if (digit < 0) {
      result = Failure(state, InfoError::WrongPositionCharacter, upper);
      return false;
    }
    info.position = static_cast<std::int16_t>(info.position * base + digit);
    if (info.position > kHighestPosition) {
      result = Failure(state, InfoError::PositionTooLarge, 0, info.position);
      return false;
    }
    if (!NextCharacter(state, reader, character)) {
      result = Failure(state, InfoError::IncompletePair);
      return false;
    }
  }
  return true;
}

ParseResult ParsePairs(RunState& state, InfoReader& reader) {
  const Notation notation = NotationOf(state.overlay.form);
  ParseResult result;
  int character = 0;
  while (NextCharacter(state, reader, character)) {
    if (!TakePosition(state, reader, character, notation.positionBase, result)) {
      return result;
    }
    if (state.overlay.position < 1 || !NextCharacter(state, reader, character)) {
      return Failure(state, InfoError::IncompletePair);
    }
    const PairEnd end =
        notation.characterValue
            ? TakeCharacterValue(state, reader, character, result)
            : TakeNumberValue(state, reader, character, notation.valueBase, result);
    if (end != PairEnd::NextPair) {
      return result;
    }
  }
  return result;
}

// Form 7: a position byte b (position b + 1), then the value byte.
ParseResult ParseBytestring(RunState& state, InfoReader& reader) {
  OverlayInfo& info = state.overlay;
  int byte = 0;
  while (NextCharacter(state, reader, byte)) {
    info.position = static_cast<std::int16_t>(byte + 1);
    int value = 0;
    if (!NextCharacter(state, reader, value)) {
      // A position byte without its value: the pair is dropped.
      info.position = 0;
      switch (reader.source) {
        case InfoSource::Parameter:
          return Failure(state, InfoError::MissingValue);
        case InfoSource::Keyboard:
          return {ParseEnd::Complete, InfoError::MissingValue, 0, 0, info.infoCount};
        case InfoSource::Dataset:
          return {};
      }
    }
    info.value = static_cast<std::int16_t>(value);
    if (!ApplyOverlayPair(state, info.position, info.value)) {
      return {ParseEnd::Mismatch};
    }
  }
  return {};
}

}  // namespace

ParseResult ParseOverlayInfo(RunState& state, InfoReader& reader) {
  state.overlay.infoCount = 0;
  const ParseResult result = state.overlay.form == kBytestring ? ParseBytestring(state, reader)
                                                               : ParsePairs(state, reader);
  // The parse took the character the code page lacks for the end of the
  // information; whatever it made of that, the information is wrong there.
  if (reader.notInCodePage) {
    return {ParseEnd::Error, InfoError::NotInCodePage, 0, 0, state.overlay.infoCount + 1};
  }
  return result;
}

}  // namespace overlay
