// The messages E1 to E7 of the overlay information, as each source writes them.
#include "dialog/questions.h"
#include "overlay/overlay_steps.h"
#include "overlay/overlay_text.h"
#include "platform/console.h"
#include "platform/text_dataset.h"

namespace overlay {

namespace {

using dialog::kMaskedCharacter;
using dialog::Msg;
using dialog::RunState;

bool HexPosition(const RunState& state) { return state.overlay.form >= 4; }
bool HexValue(const RunState& state) { return state.overlay.form == 2 || state.overlay.form == 5; }

// Nothing typed without echo is ever shown, on the console or in the log:
// neither a wrong character nor the digits of a number too large.
bool Masked(const RunState& state, InfoSource source) {
  return source == InfoSource::Keyboard &&
         (state.EntryState == dialog::kHiddenFirst || state.EntryState == dialog::kHiddenControl);
}

// "»" c "« ... " n, the frame of the three wrong-character messages.
void AddWrongCharacter(MessageLines& message, const RunState& state, const ParseResult& result,
                       bool masked, Msg begin, Msg end) {
  AddText(message, state, begin);
  const char character = masked ? kMaskedCharacter : static_cast<char>(result.character);
  if (!masked && platform::kKeyCharactersAsCodePage && result.character >= 0x80) {
    // A code-page byte is shown as the character it was typed as.
    platform::PathText typed;
    platform::CodePageToUtf8(std::string_view(&character, 1), typed);
    AddName(message, state, platform::View(typed));
  } else {
    AddName(message, state, std::string_view(&character, 1));
  }
  AddText(message, state, end);
  AddDecimal(message, result.place);
  AddText(message, state, Msg::CharacterPlaceEnd);
}

// "»" number "« up to the " n ...
void AddTooLarge(MessageLines& message, const RunState& state, const ParseResult& result,
                 bool masked, Msg begin, Msg end) {
  AddText(message, state, begin);
  if (masked) {
    AddName(message, state, std::string_view(&kMaskedCharacter, 1));
  } else {
    AddDecimal(message, result.number);
  }
  AddText(message, state, Msg::UpToThe);
  AddDecimal(message, result.place);
  AddText(message, state, end);
}

void AddInfoError(MessageLines& message, const RunState& state, const ParseResult& result,
                  bool masked) {
  switch (result.error) {
    case InfoError::None:
      break;
    case InfoError::PositionTooLarge:
      AddTooLarge(message, state, result, masked, Msg::PositionTooLargeBegin, Msg::PositionTooLargeEnd);
      break;
    case InfoError::WrongPositionCharacter:
      AddWrongCharacter(message, state, result, masked,
                        HexPosition(state) ? Msg::WrongHexPositionBegin : Msg::WrongDecimalPositionBegin,
                        HexPosition(state) ? Msg::WrongHexPositionEnd : Msg::WrongDecimalPositionEnd);
      break;
    case InfoError::IncompletePair:
      AddText(message, state, Msg::WrongOverlayBegin);
      AddDecimal(message, result.place);
      AddText(message, state, Msg::InformationCharacterEnd);
      break;
    case InfoError::WrongSeparator:
      AddWrongCharacter(message, state, result, masked, Msg::WrongSeparatorBegin, Msg::WrongSeparatorEnd);
      break;
    case InfoError::ValueTooLarge:
      AddTooLarge(message, state, result, masked, Msg::ValueTooLargeBegin, Msg::ValueTooLargeEnd);
      break;
    case InfoError::WrongValueCharacter:
      AddWrongCharacter(message, state, result, masked,
                        HexValue(state) ? Msg::WrongHexValueBegin : Msg::WrongDecimalValueBegin,
                        HexValue(state) ? Msg::WrongHexValueEnd : Msg::WrongDecimalValueEnd);
      break;
    case InfoError::MissingValue:
      AddText(message, state, Msg::MissingValueBegin);
      AddDecimal(message, result.place);
      AddText(message, state, Msg::InformationCharacterEnd);
      break;
    case InfoError::NotInCodePage:
      AddText(message, state, Msg::NotInCodePageBegin);
      AddDecimal(message, result.place);
      AddText(message, state, Msg::NotInCodePageEnd);
      break;
  }
}

void NewLine(MessageLines& message) {
  if (message.count < kMaxMessageLines) {
    ++message.count;
  }
}

void WriteParameterMessage(RunState& state, const MessageLines& message) {
  dialog::Line invalid;
  dialog::Add(invalid, state, Msg::ParameterThe);
  dialog::AddNumber(invalid, state.QuestionNumber);
  dialog::Add(invalid, state, Msg::ParameterInvalid);
  dialog::WriteBothLine(state, invalid);
  WriteBoth(state, message);
  dialog::EmptyConsoleLine(state);
}

// A bytestring typed with an odd number of bytes: not an error, the last byte
// is ignored. The control input's pairs leave no trace in the log.
void WriteKeyboardMessage(RunState& state, MessageLines& message, const ParseResult& result) {
  if (result.error == InfoError::MissingValue) {
    NewLine(message);
    AddText(message, state, Msg::PositionIgnoredBegin);
    AddDecimal(message, result.place);
    AddText(message, state, Msg::PositionIgnoredEnd);
    WriteConsole(state, message);
    if (state.EntryState != dialog::kHiddenControl) {
      WriteLog(state, message);
    }
    return;
  }
  WriteBoth(state, message);
}

void WriteDatasetMessage(RunState& state, MessageLines& message) {
  DropFinalFullStop(message);
  NewLine(message);
  AddText(message, state, Msg::InOverlayDatasetBegin);
  AddName(message, state, platform::View(state.OverlayDatasetName));
  AddText(message, state, Msg::InOverlayDatasetEnd);
  WriteBoth(state, message);
}

}  // namespace

void WriteInfoMessage(RunState& state, InfoSource source, const ParseResult& result) {
  MessageLines message;
  AddInfoError(message, state, result, Masked(state, source));
  switch (source) {
    case InfoSource::Parameter:
      WriteParameterMessage(state, message);
      break;
    case InfoSource::Keyboard:
      WriteKeyboardMessage(state, message, result);
      break;
    case InfoSource::Dataset:
      WriteDatasetMessage(state, message);
      break;
  }
}

}  // namespace overlay
