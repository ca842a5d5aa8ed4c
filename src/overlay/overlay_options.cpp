// Questions 7 to 11: the overlay form and the limits of positions and values,
// and the pair rule that the limits govern.
#include "dialog/output.h"
#include "overlay/overlay.h"
#include "overlay/overlay_steps.h"
#include "overlay/overlay_text.h"

namespace overlay {

namespace {

using dialog::Flow;
using dialog::Msg;
using dialog::RunState;

constexpr int kFormQuestion = 7;
constexpr int kPositionQuestion = 8;
constexpr int kValueQuestion = 10;
constexpr int kTerminateAnswer = 9;

// Questions 8 and 9, 10 and 11: two limits asked or taken together.
struct LimitQuestion {
  int firstParameter;  // the lower limit's parameter; the upper one follows it
  int lowest;          // smallest lower limit
  int highest;         // largest upper limit
  int termination;     // the answer that ends the program at the prompts
  Msg ask1, ask2;      // the two lines before the prompts
  Msg lowerBegin, upperBegin, promptEnd;
  Msg confirmBegin, confirmMiddle, confirmEnd;
};

constexpr LimitQuestion kPositionLimits = {
    kPositionQuestion,        1,                         kHighestPosition,
    0,                        Msg::PositionLimitsAsk1,   Msg::PositionLimitsAsk2,
    Msg::LowerPositionBegin,  Msg::UpperPositionBegin,   Msg::PositionPromptEnd,
    Msg::PositionLimitsBegin, Msg::PositionLimitsMiddle, Msg::PositionLimitsEnd};

constexpr LimitQuestion kValueLimits = {
    kValueQuestion,        0,                      kHighestValue,
    -1,                    Msg::ValueLimitsAsk1,   Msg::ValueLimitsAsk2,
    Msg::LowerValueBegin,  Msg::UpperValueBegin,   Msg::ValuePromptEnd,
    Msg::ValueLimitsBegin, Msg::ValueLimitsMiddle, Msg::ValueLimitsEnd};

// Question 7. The command line may not terminate: 9 counts there as invalid.
Flow AskOverlayForm(RunState& state) {
  static constexpr Msg kMenu[] = {
      Msg::OverlayQuestion,         Msg::OverlayMenuNone,       Msg::OverlayMenuDecCharacter,
      Msg::OverlayMenuDecHex,       Msg::OverlayMenuDecDec,     Msg::OverlayMenuHexCharacter,
      Msg::OverlayMenuHexHex,       Msg::OverlayMenuHexDec,     Msg::OverlayMenuBytestring,
      Msg::OverlayMenuTerminate};
  static constexpr Msg kConfirmations[] = {
      Msg::OverlayIsNone,         Msg::OverlayIsDecCharacter, Msg::OverlayIsDecHex,
      Msg::OverlayIsDecDec,       Msg::OverlayIsHexCharacter, Msg::OverlayIsHexHex,
      Msg::OverlayIsHexDec,       Msg::OverlayIsBytestring};
  state.QuestionNumber = kFormQuestion;
  dialog::TakeParameter(state);
  int form = 0;
  if (state.askFlag || !dialog::ParseParameterNumber(platform::View(state.ParameterText), form) ||
      form < kNoOverlay || form > kBytestring) {
    state.askFlag = true;
    dialog::ReportInvalidParameter(state);
    dialog::EmptyConsoleLine(state);
    if (dialog::ReadMenuAnswer(state, kMenu, 10, dialog::Answers({0, 1, 2, 3, 4, 5, 6, 7, 9}),
                               form) == Flow::Stop) {
      return Flow::Stop;
    }
    if (form == kTerminateAnswer) {
      dialog::TerminateProgram(state);
      return Flow::Stop;
    }
  }
  state.overlay.form = static_cast<std::uint8_t>(form);
  dialog::SayConsole(state, kConfirmations[form]);
  dialog::EmptyConsoleLine(state);
  return Flow::Go;
}

// A limit parameter: a signed 16-bit number from `minimum` to `maximum`.
bool TakeLimit(RunState& state, int minimum, int maximum, int& limit) {
  dialog::TakeParameter(state);
  return !state.askFlag &&
         dialog::ParseParameterNumber(platform::View(state.ParameterText), limit) &&
         limit >= minimum && limit <= maximum;
}

// Both limits from their parameters; false (after the pair message where it
// belongs) when either is missing or unusable.
bool TakeLimitParameters(RunState& state, const LimitQuestion& question, int& lower, int& upper) {
  state.QuestionNumber = static_cast<std::int16_t>(question.firstParameter);
  bool usable = TakeLimit(state, question.lowest, question.highest, lower);
  state.QuestionNumber = static_cast<std::int16_t>(question.firstParameter + 1);
  usable = TakeLimit(state, lower, question.highest, upper) && usable;
  if (!usable) {
    // The message names the pair from its first parameter, whose text decides.
    state.QuestionNumber = static_cast<std::int16_t>(question.firstParameter);
    state.askFlag = true;
    dialog::ReportInvalidParameterPair(state);
    state.QuestionNumber = static_cast<std::int16_t>(question.firstParameter + 1);
  }
  return usable;
}

// Writes `prompt` and reads answers until one is the termination value or
// lies from `minimum` to `maximum`; every other answer gets the correction.
Flow ReadLimit(RunState& state, const dialog::Line& prompt, int termination, int minimum,
               int maximum, int& limit) {
  dialog::WritePrompt(state, prompt);
  for (;;) {
    if (!dialog::ReadAnswerLine(state, state.AnswerText)) {
      return dialog::Terminate(state);
    }
    int value = 0;
    if (dialog::ParseParameterNumber(platform::View(state.AnswerText), value) &&
        (value == termination || (value >= minimum && value <= maximum))) {
      if (value == termination) {
        dialog::TerminateProgram(state);
        return Flow::Stop;
      }
      limit = value;
      return Flow::Go;
    }
    dialog::Line correction;
    dialog::AddFramed(correction, state, Msg::WrongInputBegin, platform::View(state.AnswerText), Msg::WrongInputEnd);
    dialog::WritePrompt(state, correction);
  }
}

Flow TypeLimits(RunState& state, const LimitQuestion& question, int& lower, int& upper) {
  dialog::EmptyConsoleLine(state);
  dialog::SayConsole(state, question.ask1);
  dialog::SayConsole(state, question.ask2);
  dialog::Line lowerPrompt;
  dialog::Add(lowerPrompt, state, question.lowerBegin);
  dialog::AddNumber(lowerPrompt, question.highest);
  dialog::Add(lowerPrompt, state, question.promptEnd);
  if (ReadLimit(state, lowerPrompt, question.termination, question.lowest, question.highest,
                lower) == Flow::Stop) {
    return Flow::Stop;
  }
  dialog::Line upperPrompt;
  dialog::Add(upperPrompt, state, question.upperBegin);
  dialog::AddNumber(upperPrompt, lower);
  dialog::Add(upperPrompt, state, Msg::LimitTo);
  dialog::AddNumber(upperPrompt, question.highest);
  dialog::Add(upperPrompt, state, question.promptEnd);
  return ReadLimit(state, upperPrompt, question.termination, lower, question.highest, upper);
}

Flow AskLimits(RunState& state, const LimitQuestion& question, std::int16_t& low,
               std::int16_t& high) {
  int lower = 0;
  int upper = 0;
  if (!TakeLimitParameters(state, question, lower, upper) &&
      TypeLimits(state, question, lower, upper) == Flow::Stop) {
    return Flow::Stop;
  }
  low = static_cast<std::int16_t>(lower);
  high = static_cast<std::int16_t>(upper);
  MessageLines confirmation;
  AddText(confirmation, state, question.confirmBegin);
  AddDecimal(confirmation, lower);
  AddText(confirmation, state, question.confirmMiddle);
  AddDecimal(confirmation, upper);
  AddText(confirmation, state, question.confirmEnd);
  WriteConsole(state, confirmation);
  dialog::EmptyConsoleLine(state);
  return Flow::Go;
}

}  // namespace

bool ApplyOverlayPair(RunState& state, int position, int value) {
  const OverlayInfo& info = state.overlay;
  if (position < info.positionLow || position > info.positionHigh || value < info.valueLow ||
      value > info.valueHigh) {
    return true;
  }
  if (state.EntryState == dialog::kHiddenControl) {
    return state.InitialKey[position] == value;
  }
  state.InitialKey[position] = static_cast<std::uint8_t>(value);
  return true;
}

Flow RunOverlay(RunState& state) {
  if (AskOverlayForm(state) == Flow::Stop) {
    return Flow::Stop;
  }
  if (state.overlay.form == kNoOverlay) {
    return Flow::Go;
  }
  OverlayInfo& info = state.overlay;
  if (AskLimits(state, kPositionLimits, info.positionLow, info.positionHigh) == Flow::Stop ||
      AskLimits(state, kValueLimits, info.valueLow, info.valueHigh) == Flow::Stop) {
    return Flow::Stop;
  }
  return RunOverlayEntry(state);
}

}  // namespace overlay
