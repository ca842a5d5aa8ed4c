#include "key/key_entry.h"

#include "dialog/console_input.h"
#include "dialog/dataset_name.h"
#include "dialog/output.h"
#include "platform/console.h"
#include "platform/unicode_text.h"
#include "key/key_steps.h"
#include "platform/file_system.h"

namespace key {

namespace {

using dialog::Flow;
using dialog::Msg;
using dialog::RunState;

constexpr char kDatasetOpening = '(';
constexpr char kDatasetClosing = ')';

void WriteCharsetMenu(RunState& state) {
  dialog::SayConsole(state, Msg::CharsetQuestion);
  dialog::Line ascii;
  dialog::Add(ascii, state, Msg::CharsetAsciiBegin);
  dialog::AddNumber(ascii, kKeySize);
  dialog::Add(ascii, state, Msg::CharsetAsciiEnd);
  dialog::WriteConsoleLine(state, ascii);
  dialog::SayConsole(state, Msg::CharsetHex);
  dialog::Line hexLimit;
  dialog::Add(hexLimit, state, Msg::CharsetHexLimitBegin);
  dialog::AddNumber(hexLimit, kMaxHexDigits);
  dialog::Add(hexLimit, state, Msg::CharsetHexLimitEnd);
  dialog::WriteConsoleLine(state, hexLimit);
  dialog::SayConsole(state, Msg::MenuTerminate);
}

// Question 5. The command line may not terminate: 9 counts there as invalid.
Flow AskKeyCharset(RunState& state) {
  state.QuestionNumber = 5;
  dialog::TakeParameter(state);
  int charset = 0;
  if (state.askFlag || !dialog::ParseParameterNumber(platform::View(state.ParameterText), charset) ||
      (charset != kAscii && charset != kHexadecimal)) {
    state.askFlag = true;
    dialog::ReportInvalidParameter(state);
    WriteCharsetMenu(state);
    if (dialog::ReadMenuAnswer(state, nullptr, 0, dialog::Answers({1, 2, 9}), charset) ==
        Flow::Stop) {
      return Flow::Stop;
    }
    if (charset == 9) {
      dialog::TerminateProgram(state);
      return Flow::Stop;
    }
  }
  state.KeyCharset = static_cast<std::uint8_t>(charset);
  dialog::SayConsole(state, charset == kAscii ? Msg::CharsetIsAscii : Msg::CharsetIsHex);
  dialog::EmptyConsoleLine(state);
  return Flow::Go;
}

// Parameter 6 where key characters are code-page bytes (Windows): each
// character of the UTF-8 `text` becomes its bytes (the command line always
// gives UTF-8). False, with a line that
// says what to do instead, for a character the code page lacks.
bool TakeKeyCharacters(RunState& state, std::string_view text) {
  while (!text.empty() && state.KeyLength < kKeySize - 1) {
    unsigned char bytes[platform::kMaxUtf8CharBytes];
    std::size_t length = 0;
    const std::size_t count = dialog::CodePageBytesOfText(text, length, bytes);
    if (count == 0) {
      state.KeyLength = 0;
      dialog::SayConsole(state, Msg::KeyCharacterNotInCodePage);
      dialog::SayConsole(state, Msg::KeyCharacterHint);
      return false;
    }
    for (std::size_t i = 0; i < count && state.KeyLength < kKeySize - 1; ++i) {
      state.InitialKey[++state.KeyLength] = bytes[i];
    }
    text.remove_prefix(length);
  }
  return true;
}

// The key written in parameter 6 itself. False for a character that is not a
// hexadecimal digit (hexadecimal key); the bytes formed so far are dropped.
bool TakeKeyText(RunState& state) {
  // A key is a short text: only its first 255 characters count.
  const std::string_view text = platform::View(state.ParameterText).substr(0, platform::kShortTextCapacity);
  state.KeyLength = 0;
  if (state.KeyCharset == kAscii && platform::kKeyCharactersAsCodePage) {
    return TakeKeyCharacters(state, text);
  }
  if (state.KeyCharset == kAscii) {
    for (const char c : text) {
      state.InitialKey[++state.KeyLength] = static_cast<std::uint8_t>(c);
    }
    return true;
  }
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigitValue(static_cast<unsigned char>(text[i]));
    const int low = i + 1 < text.size() ? HexDigitValue(static_cast<unsigned char>(text[i + 1])) : 0;
    if (high < 0 || low < 0) {
      state.KeyLength = 0;
      return false;
    }
    state.InitialKey[++state.KeyLength] = static_cast<std::uint8_t>(16 * high + low);
  }
  if (text.size() % 2 != 0) {
    WriteUnbalancedLine(state);
  }
  return true;
}

// Parameter 6: the key itself, or "(name)" naming a key dataset. Leaves
// EntryState 255 when the entry mode is to be asked.
void TakeKeyParameter(RunState& state) {
  state.EntryState = kOpen;
  state.KeyNameMode = kOpen;
  state.QuestionNumber = 6;
  dialog::TakeParameter(state);
  if (state.askFlag) {
    return;
  }
  bool valid = false;
  if (state.ParameterText.chars[0] == kDatasetOpening) {
    dialog::TakeBracketed(state, kDatasetClosing);
    valid = platform::DatasetExists(platform::NameOf(state.ParameterText));
    if (valid) {
      state.EntryState = kFromDataset;
      state.KeyNameMode = dialog::kNameFromParameter;
      state.KeyDatasetName = state.ParameterText;
    }
  } else {
    valid = TakeKeyText(state);
    if (valid) {
      state.EntryState = kFromParameter;
    }
  }
  if (!valid) {
    state.askFlag = true;
    dialog::ReportInvalidParameter(state);
  }
}

Flow AskEntryMode(RunState& state) {
  static constexpr Msg kMenu[] = {Msg::EntryModeQuestion, Msg::ModeTwiceHidden,
                                  Msg::ModeSecondForControl, Msg::EntryModeOnceShown,
                                  Msg::EntryModeDataset, Msg::MenuTerminate};
  return AskModeMenu(state, kMenu, 6, dialog::Answers({0, 1, 2, 9}), state.EntryState);
}

Flow RunEntryLoop(RunState& state) {
  while (state.EntryState != kOpen) {
    Flow flow = Flow::Go;
    switch (state.EntryState) {
      case kFromDataset:
        flow = ReadKeyDataset(state);
        break;
      case kFromParameter:
        state.EntryState = kOpen;
        break;
      default:
        flow = RunKeyboardPass(state);
        break;
    }
    if (flow == Flow::Stop) {
      return Flow::Stop;
    }
  }
  return Flow::Go;
}

}  // namespace

int HexDigitValue(int character) {
  if (character >= 'a' && character <= 'z') {
    character = character - 'a' + 'A';
  }
  if (character >= '0' && character <= '9') {
    return character - '0';
  }
  if (character >= 'A' && character <= 'F') {
    return character - 'A' + 10;
  }
  return -1;
}

void WriteUnbalancedLine(RunState& state) {
  dialog::Line line;
  dialog::Add(line, state, Msg::UnbalancedHex);
  dialog::Add(line, state, Msg::NullDigitCompleted);
  dialog::WriteBothLine(state, line);
}

void WidenKey(std::uint8_t (&initialKey)[kKeySize + 1], std::int16_t& keyLength) {
  if (keyLength == 0) {
    initialKey[1] = DefaultKey[0];
    initialKey[2] = DefaultKey[1];
    keyLength = 2;
  }
  for (int j = keyLength + 1; j <= kKeySize; ++j) {
    initialKey[j] = initialKey[j - keyLength];
  }
}

Flow RunKeyEntry(RunState& state) {
  if (AskKeyCharset(state) == Flow::Stop) {
    return Flow::Stop;
  }
  platform::Clear(state.KeyDatasetName);
  TakeKeyParameter(state);
  if (state.EntryState == kOpen && AskEntryMode(state) == Flow::Stop) {
    return Flow::Stop;
  }
  if (RunEntryLoop(state) == Flow::Stop) {
    return Flow::Stop;
  }
  WidenKey(state.InitialKey, state.KeyLength);
  dialog::SayConsole(state, Msg::KeyInputEnd);
  dialog::EmptyConsoleLine(state);
  return Flow::Go;
}

}  // namespace key
