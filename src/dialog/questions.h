#pragma once
// The shared operations of the dialog: the rule that takes an answer from its
// command-line parameter or from the console, numbered menus with their
// correction loop, name prompts, repeat-or-terminate and termination.
//
// Every operation that may end the program returns a Flow: Stop means the
// closing sequence (EndProgram) follows, with the termination line already
// written where one belongs.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dialog/catalogue.h"
#include "dialog/run_state.h"

namespace dialog {

enum class Flow { Go, Stop };

// Bit n is set for each allowed menu answer n (0..9).
using AllowedAnswers = std::uint16_t;
constexpr AllowedAnswers Answers(std::initializer_list<int> numbers) {
  AllowedAnswers mask = 0;
  for (int n : numbers) {
    mask = static_cast<AllowedAnswers>(mask | (1u << n));
  }
  return mask;
}

// Puts the text of parameter `QuestionNumber` into ParameterText (empty when
// there are fewer parameters) and sets askFlag when the parameter is missing.
// A parameter longer than ParameterText holds is kept cut (marked `cut`): as
// a name it names nothing (NameOf), so it is invalid as a whole.
void TakeParameter(RunState& state);

// The invalid-parameter line, console only, when askFlag is set and the
// parameter text is not empty: "The k. commandline-parameter is invalid."
void ReportInvalidParameter(RunState& state);
// The same for a pair of parameters k and k + 1 ("The 8. or 9. ...").
void ReportInvalidParameterPair(RunState& state);

// Signed 16-bit decimal number of a parameter, leading blanks and a sign
// allowed; false for anything else (empty, other characters, out of range).
[[nodiscard]] bool ParseParameterNumber(std::string_view text, int& value);
// Unsigned decimal number of a menu answer, leading blanks allowed.
[[nodiscard]] bool ParseMenuNumber(std::string_view text, int& value);

// Bracket notation of parameters 3, 6 and 12: removes the opening character
// (the first `openingLength` bytes) of ParameterText and cuts the text before
// the first `closing`; without one, keeps the whole rest and writes the
// completion line ("")" at the end of 3. commandline-parameter completed !"),
// the closing character in the run's character set. The name stays cut when
// the parameter was cut before its closing character.
void TakeBracketed(RunState& state, std::size_t openingLength, std::string_view closing);
// The same for one-byte brackets.
inline void TakeBracketed(RunState& state, char closing) { TakeBracketed(state, 1, {&closing, 1}); }

// Writes the `lineCount` menu lines and the menu prompt, reads answers until
// one is allowed (each wrong one gets the correction line) and stores it in
// `answer`. Stop at the end of the input.
[[nodiscard]] Flow ReadMenuAnswer(RunState& state, const Msg* lines, int lineCount,
                                  AllowedAnswers allowed, int& answer);

// Reads one console line into `text`; false at the end of the input. A line
// longer than `text` holds keeps its first bytes and is marked `cut`: a menu
// answer that is wrong anyway, or a name that names nothing (NameOf).
[[nodiscard]] bool ReadAnswerLine(RunState& state, ShortText& text);
[[nodiscard]] bool ReadAnswerLine(RunState& state, PathText& text);

// Stands for each character typed without echo wherever such input is
// reported: nothing typed in secret is ever shown.
inline constexpr char kMaskedCharacter = '*';

// Whether the input that failed was typed without echo.
enum class FailedInput { Shown, Secret };

// Asks "Do you want 1 to repeat ... or 9 to terminate ?" after the rest of
// the failed line is dropped. Go means repeat; on 9 (or the end of the
// input) the termination line is written and Stop returned. After `Secret`
// input, the lines typed ahead may be secret too: a terminal drops them all,
// and a wrong answer is shown as one "*" per character.
[[nodiscard]] Flow AskRepeatOrTerminate(RunState& state, FailedInput failed);

// The termination line on the console and in the log.
void TerminateProgram(RunState& state);

// TerminateProgram and Stop: the way out when the console input has ended or
// the log can no longer be written.
[[nodiscard]] Flow Terminate(RunState& state);

// The closing sequence: the closing line in the log (when open) and on the
// console, and the log closed.
void EndProgram(RunState& state);

// A menu whose answer 9 terminates the program, after an empty console line:
// the `lineCount` lines of `lines`, answers from `allowed` (9 among them).
// Another answer is stored in `mode` and followed by an empty console line.
// Stop after 9 (with the termination line) or at the end of the input, with
// `mode` unchanged.
[[nodiscard]] Flow AskModeMenu(RunState& state, const Msg* lines, int lineCount,
                               AllowedAnswers allowed, std::uint8_t& mode);

}  // namespace dialog
