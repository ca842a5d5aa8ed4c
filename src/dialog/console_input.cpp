#include "dialog/console_input.h"

#include <cstring>

#include "platform/console.h"
#include "platform/unicode_text.h"

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

std::size_t CodePageBytesOfText(std::string_view text, std::size_t& length, unsigned char* out) {
  char32_t c = 0;
  length = platform::DecodeUtf8Char(text, c);
  if (length == 0) {
    length = 1;
    out[0] = static_cast<unsigned char>(text[0]);
    return 1;
  }
  return platform::KeyBytesOf(c, out);
}

std::size_t CodePageBytesOfTyped(RunState& state, int first, unsigned char* out) {
  char typed[platform::kMaxUtf8CharBytes] = {static_cast<char>(first)};
  const auto lead = static_cast<unsigned char>(first);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
  std::size_t taken = 1;
  while (taken < length && (platform::PeekByte(state.console) & 0xC0) == 0x80) {
    typed[taken++] = static_cast<char>(platform::ReadByte(state.console));
  }
  char32_t c = 0;
  if (taken < length || platform::DecodeUtf8Char({typed, taken}, c) != taken) {
    std::memcpy(out, typed, taken);
    return taken;
  }
  return platform::KeyBytesOf(c, out);
}

}  // namespace dialog
