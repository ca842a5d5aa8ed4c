#pragma once
// The progress figure of a long dataset. Where the console is a terminal, the
// line "The dataset »name« is just processed ..." stays open while the dataset
// is rewritten; a dataset that takes longer than `progress.afterMs` shows at
// its end a figure such as " 42% (1234/2900 MB)", redrawn at most four times a
// second and erased before anything else reaches the console, so that the
// screen afterwards reads as without it. The log never sees it.
//
// The cursor stays at the end of the announcement, the figure stands behind
// it. The figure is drawn only where the row holds it for certain: the
// announcement's place on the screen is known (EndColumn) and the terminal
// is as wide as when it was written. After a resize the terminal may have
// cut the row (or wrapped it anew): the figure is then blanked as far as the
// row still reaches and left out for the rest of the dataset.

#include <cstddef>
#include <cstdint>

#include "dialog/output.h"
#include "dialog/run_state.h"

namespace dialog {

// Writes the announcement `line` to the console; where progress figures are
// shown, its line end waits for CloseProgressLine.
void OpenProgressLine(RunState& state, const Line& line);

// After each part of the dataset: `done` of `total` bytes are rewritten.
// Reads the terminal's width, and draws or redraws the figure when it is due
// and fits behind the announcement.
void ShowProgress(RunState& state, std::uint64_t done, std::uint64_t total);

// Erases the figure and ends the open line; does nothing when no line is
// open. Every console write of the dialog calls it first.
void CloseProgressLine(RunState& state);

// Whether the figure is to be drawn at `nowMs`: once the dataset has taken
// `afterMs`, and then a quarter of a second after the last drawing.
[[nodiscard]] bool ProgressDue(const ProgressState& progress, std::int64_t nowMs);

// Whether a figure of `length` columns fits behind an announcement that ends
// at `endColumn` (EndColumn; -1: not known) on a row `columns` wide: it must
// stay out of the row's last column, since a character written there leaves
// the cursor waiting to wrap, and no backspace brings it back reliably.
[[nodiscard]] bool FigureFits(int endColumn, int length, int columns);

// Writes the figure for `done` of `total` bytes into `out` (at least
// kProgressCapacity bytes) and returns its length; every `done` of the same
// `total` gives the same length, so that one figure overwrites the last.
inline constexpr std::size_t kProgressCapacity = 64;
std::size_t FormatProgress(std::uint64_t done, std::uint64_t total, char* out);

}  // namespace dialog
