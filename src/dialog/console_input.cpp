#include "dialog/console_input.h"

#include "platform/console.h"

namespace dialog {

namespace {

constexpr int kCarriageReturn = '\r';
constexpr int kLineFeed = '\n';

}  // namespace

void HideInput(RunState& state) {
  platform::Console& console = state.console;
  platform::SetCursorVisible(console, false);
  platform::SetHiddenColours(console);
  platform::ClearToLineEnd(console);
  // A terminal that refuses is left as it is: the colours still hide the text.
  (void)platform::SetEcho(console, false);
}

void RestoreInput(RunState& state) {
  platform::Console& console = state.console;
  (void)platform::SetEcho(console, true);
  platform::MoveToColumnOne(console);
  platform::SetNormalColours(console);
  platform::SetCursorVisible(console, true);
}

void SkipLineEnds(RunState& state) {
  state.crFlag = false;
  while (state.LineEndCount < 2) {
    const int next = platform::PeekByte(state.console);
    if (next != kCarriageReturn && next != kLineFeed) {
      return;
    }
    (void)platform::ReadByte(state.console);
    if (next != kLineFeed || !state.crFlag) {
      ++state.LineEndCount;
    }
    state.crFlag = next == kCarriageReturn;
  }
  // Stopped right after a CR: its LF, if one follows, still belongs to it and
  // must not reach the next reader as an empty line.
  if (state.crFlag) {
    platform::DropFollowingLineFeed(state.console);
  }
}

void ReopenInput(RunState& state) { platform::DiscardTypeAhead(state.console); }

bool InputAtEnd(RunState& state) { return platform::PeekByte(state.console) < 0; }

}  // namespace dialog
