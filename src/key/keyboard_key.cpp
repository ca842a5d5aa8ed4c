// The key typed at the keyboard: one pass of the first input, the control
// input or the input with echo.
#include "dialog/console_input.h"
#include "dialog/output.h"
#include "dialog/questions.h"
#include "key/key_steps.h"
#include "platform/console.h"
#include "platform/unicode_text.h"

namespace key {

namespace {

using dialog::FailedInput;
using dialog::Flow;
using dialog::kMaskedCharacter;
using dialog::Msg;
using dialog::RunState;

enum class PassEnd { Complete, WrongCharacter, Mismatch, NoCodePageByte };

struct PassResult {
  PassEnd end = PassEnd::Complete;
  int character = 0;  // the wrong hexadecimal character
  int position = 0;   // its position, counting hexadecimal characters from 1
};

bool Hidden(const RunState& state) {
  return state.EntryState == kHiddenFirst || state.EntryState == kHiddenControl;
}

void WriteRequest(RunState& state) {
  dialog::SayConsole(state, state.KeyCharset == kHexadecimal ? Msg::EnterKeyHex : Msg::EnterKeyAscii);
  const Msg end = state.EntryState == kHiddenFirst     ? Msg::KeyEndFirst
                  : state.EntryState == kHiddenControl ? Msg::KeyEndControl
                                                       : Msg::KeyEndShown;
  dialog::SayConsole(state, end);
}

// True when the line ends (or the input's end) after a first digit leave it
// without its second digit.
bool KeyEndsHere(RunState& state) {
  SkipLineEnds(state);
  return state.LineEndCount == 2 || InputAtEnd(state);
}

// Reads the key byte at KeyLength (already counted) in hexadecimal; false
// with `result` filled for a character that is not a digit.
bool ReadHexByte(RunState& state, int first, std::uint8_t& byte, PassResult& result) {
  const int high = HexDigitValue(first);
  if (high < 0) {
    result = {PassEnd::WrongCharacter, first, 2 * state.KeyLength - 1};
    return false;
  }
  if (KeyEndsHere(state)) {
    byte = static_cast<std::uint8_t>(16 * high);
    WriteUnbalancedLine(state);
    return true;
  }
  state.LineEndCount = 0;
  const int second = platform::ReadByte(state.console);
  const int low = HexDigitValue(second);
  if (low < 0) {
    result = {PassEnd::WrongCharacter, second, 2 * state.KeyLength};
    return false;
  }
  byte = static_cast<std::uint8_t>(16 * high + low);
  return true;
}

// Keeps `byte` as the key byte at KeyLength (already counted): the first
// input and the input with echo in InitialKey, the control input compared
// with it. False with `result` filled on a difference.
bool KeepKeyByte(RunState& state, std::uint8_t byte, PassResult& result) {
  if (state.EntryState != kHiddenControl) {
    state.InitialKey[state.KeyLength] = byte;
    return true;
  }
  if (state.KeyLength > state.FirstInputLength || state.InitialKey[state.KeyLength] != byte) {
    result.end = PassEnd::Mismatch;
    return false;
  }
  return true;
}

// Where key characters are code-page bytes (Windows), the character that
// starts with `first` (typed as UTF-8) becomes its bytes, kept from KeyLength
// on. A byte that starts no UTF-8 character is kept as it is (input
// redirected from a file of code-page bytes). False with `result` filled when
// the code page lacks the character or the control input differs.
bool KeepTypedCharacter(RunState& state, int first, PassResult& result) {
  unsigned char code[platform::kMaxUtf8CharBytes];
  const std::size_t count = dialog::CodePageBytesOfTyped(state, first, code);
  if (count == 0) {
    result = {PassEnd::NoCodePageByte, 0, state.KeyLength};
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0 && state.KeyLength == kKeySize) {
      break;
    }
    state.KeyLength += i > 0 ? 1 : 0;
    if (!KeepKeyByte(state, code[i], result)) {
      return false;
    }
  }
  return true;
}

// Reads key bytes until two line ends in a row, the end of the input or the
// 256th byte. The first input and the input with echo go to InitialKey; the
// control input is compared with it byte by byte as it comes.
PassResult ReadKeyBytes(RunState& state) {
  PassResult result;
  state.LineEndCount = 0;
  state.KeyLength = 0;
  while (state.KeyLength < kKeySize && state.LineEndCount < 2 && !InputAtEnd(state)) {
    SkipLineEnds(state);
    if (state.LineEndCount == 2 || InputAtEnd(state)) {
      break;
    }
    state.LineEndCount = 0;
    const int character = platform::ReadByte(state.console);
    ++state.KeyLength;
    std::uint8_t byte = static_cast<std::uint8_t>(character);
    if (state.KeyCharset == kHexadecimal && !ReadHexByte(state, character, byte, result)) {
      return result;
    }
    if (state.KeyCharset == kAscii && platform::kKeyCharactersAsCodePage && character >= 0x80) {
      if (!KeepTypedCharacter(state, character, result)) {
        return result;
      }
    } else if (!KeepKeyByte(state, byte, result)) {
      return result;
    }
  }
  if (state.KeyLength == kKeySize) {
    // The key ended inside a line: the rest of it was typed for the key (maybe
    // without echo) and must not become the answer to what follows.
    platform::FinishCurrentLine(state.console);
  }
  return result;
}

Flow ReportWrongCharacter(RunState& state, const PassResult& result) {
  if (Hidden(state)) {
    RestoreInput(state);
  } else {
    // What was typed in clear is no more kept on the screen than a whole key.
    platform::ClearScreen(state.console);
  }
  dialog::Line line;
  dialog::Add(line, state, Msg::WrongHexBegin);
  // Nothing typed without echo is ever shown, not even a wrong character.
  const char character = Hidden(state) ? kMaskedCharacter : static_cast<char>(result.character);
  dialog::AddName(line, state, std::string_view(&character, 1));
  dialog::Add(line, state, Msg::WrongHexAtPosition);
  dialog::AddNumber(line, result.position, 4);
  dialog::Add(line, state, Msg::FullStop);
  dialog::WriteConsoleLine(state, line);
  if (dialog::AskRepeatOrTerminate(state, Hidden(state) ? FailedInput::Secret : FailedInput::Shown) ==
      Flow::Stop) {
    return Flow::Stop;
  }
  dialog::SayConsole(state, Msg::RepeatHexKeyInput);
  if (state.EntryState == kHiddenControl) {
    state.EntryState = kHiddenFirst;
  }
  return Flow::Go;
}

// A character the code page lacks: the key could not be what was typed.
Flow ReportNoCodePageByte(RunState& state) {
  if (Hidden(state)) {
    RestoreInput(state);
  } else {
    platform::ClearScreen(state.console);
  }
  dialog::SayConsole(state, Msg::KeyCharacterNotInCodePage);
  dialog::SayConsole(state, Msg::KeyCharacterHint);
  if (dialog::AskRepeatOrTerminate(state, Hidden(state) ? FailedInput::Secret : FailedInput::Shown) ==
      Flow::Stop) {
    return Flow::Stop;
  }
  dialog::SayConsole(state, Msg::RepeatKeyInput);
  if (state.EntryState == kHiddenControl) {
    state.EntryState = kHiddenFirst;
  }
  return Flow::Go;
}

Flow ReportMismatch(RunState& state) {
  RestoreInput(state);
  dialog::SayConsole(state, Msg::KeyInputsDiffer);
  if (dialog::AskRepeatOrTerminate(state, FailedInput::Secret) == Flow::Stop) {
    return Flow::Stop;
  }
  dialog::SayConsole(state, Msg::RepeatKeyInput);
  state.EntryState = kHiddenFirst;
  return Flow::Go;
}

}  // namespace

Flow RunKeyboardPass(RunState& state) {
  RestoreInput(state);
  dialog::EmptyConsoleLine(state);
  WriteRequest(state);
  ReopenInput(state);
  if (Hidden(state)) {
    HideInput(state);
  }
  const PassResult result = ReadKeyBytes(state);
  if (result.end == PassEnd::WrongCharacter) {
    return ReportWrongCharacter(state, result);
  }
  if (result.end == PassEnd::Mismatch) {
    return ReportMismatch(state);
  }
  if (result.end == PassEnd::NoCodePageByte) {
    return ReportNoCodePageByte(state);
  }
  switch (state.EntryState) {
    case kHiddenFirst:
      state.FirstInputLength = state.KeyLength;
      state.EntryState = kHiddenControl;
      break;
    case kHiddenControl:
      if (state.KeyLength < state.FirstInputLength) {
        return ReportMismatch(state);
      }
      RestoreInput(state);
      state.EntryState = kOpen;
      break;
    default:
      // The key typed in clear must not stay on the screen.
      platform::ClearScreen(state.console);
      state.EntryState = kOpen;
      break;
  }
  return Flow::Go;
}

}  // namespace key
