#include "dialog/progress.h"

#include <algorithm>
#include <cstdio>

#include "dialog/display_columns.h"
#include "platform/clock.h"

namespace dialog {

namespace {

constexpr std::int64_t kRedrawMs = 250;
constexpr std::uint64_t kMegabyte = 1000000;

void WriteRepeated(RunState& state, char c, int count) {
  char run[kProgressCapacity];
  for (int i = 0; i < count; ++i) {
    run[i] = c;
  }
  platform::WriteBytes(state.console, run, static_cast<std::size_t>(count));
}

// Blanks the figure as far as a row `columns` wide still reaches behind the
// announcement (a terminal cuts what lies beyond when it narrows); the
// cursor then stands behind the blanks.
void EraseFigure(RunState& state, int columns) {
  ProgressState& progress = state.progress;
  const int reach = columns - progress.endColumn;
  if (progress.shownLength > 0 && reach > 0) {
    WriteRepeated(state, ' ', std::min(progress.shownLength, reach));
  }
  progress.shownLength = 0;
}

}  // namespace

void OpenProgressLine(RunState& state, const Line& line) {
  ProgressState& progress = state.progress;
  if (progress.afterMs < 0) {
    WriteConsoleLine(state, line);
    return;
  }
  WritePrompt(state, line);
  progress.lineOpen = true;
  progress.shownLength = 0;
  progress.startMs = platform::SteadyMilliseconds();
  progress.columns = platform::TerminalColumns(state.console);
  progress.endColumn = EndColumn(View(line), state.textCharset, progress.columns);
}

bool ProgressDue(const ProgressState& progress, std::int64_t nowMs) {
  return nowMs - progress.startMs >= progress.afterMs &&
         (progress.shownLength == 0 || nowMs - progress.drawnMs >= kRedrawMs);
}

bool FigureFits(int endColumn, int length, int columns) {
  return endColumn >= 0 && endColumn + length < columns;
}

std::size_t FormatProgress(std::uint64_t done, std::uint64_t total, char* out) {
  const auto percent = static_cast<unsigned>(total == 0 ? 100 : done * 100 / total);
  const unsigned long long totalMb = total / kMegabyte;
  const int width = std::snprintf(nullptr, 0, "%llu", totalMb);
  const int n = std::snprintf(out, kProgressCapacity, " %3u%% (%*llu/%llu MB)", percent, width,
                              static_cast<unsigned long long>(done / kMegabyte), totalMb);
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

void ShowProgress(RunState& state, std::uint64_t done, std::uint64_t total) {
  ProgressState& progress = state.progress;
  if (!progress.lineOpen || progress.endColumn < 0) {
    return;
  }
  const std::int64_t now = platform::SteadyMilliseconds();
  if (!ProgressDue(progress, now)) {
    return;
  }
  const int columns = platform::TerminalColumns(state.console);
  if (columns != progress.columns) {
    EraseFigure(state, columns);
    progress.endColumn = -1;
    return;
  }
  char figure[kProgressCapacity];
  const int length = static_cast<int>(FormatProgress(done, total, figure));
  if (!FigureFits(progress.endColumn, length, columns)) {
    return;
  }
  platform::WriteBytes(state.console, figure, static_cast<std::size_t>(length));
  WriteRepeated(state, '\b', length);
  progress.shownLength = length;
  progress.drawnMs = now;
}

void CloseProgressLine(RunState& state) {
  ProgressState& progress = state.progress;
  if (!progress.lineOpen) {
    return;
  }
  progress.lineOpen = false;
  if (progress.shownLength > 0) {
    EraseFigure(state, platform::TerminalColumns(state.console));
  }
  platform::WriteLineEnd(state.console);
}

}  // namespace dialog
