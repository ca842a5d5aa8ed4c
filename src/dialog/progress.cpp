#include "dialog/progress.h"

#include <cstdio>

#include "platform/clock.h"

namespace dialog {

namespace {

constexpr std::int64_t kRedrawMs = 250;
constexpr int kAssumedColumns = 80;
constexpr std::uint64_t kMegabyte = 1000000;

// Screen columns the text takes, taking every character as one column: in
// UTF-8 the continuation bytes take none.
int ColumnsOf(const RunState& state, std::string_view text) {
  int columns = 0;
  for (const char c : text) {
    const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
    columns += state.textCharset == platform::TextCharset::Utf8 && continuation ? 0 : 1;
  }
  return columns;
}

void WriteRepeated(RunState& state, char c, int count) {
  char run[kProgressCapacity];
  for (int i = 0; i < count; ++i) {
    run[i] = c;
  }
  platform::WriteBytes(state.console, run, static_cast<std::size_t>(count));
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
  // A backspace cannot go back across a wrapped row: the figure must fit
  // behind the announcement on the row where it ends.
  const int terminalColumns = platform::TerminalColumns(state.console);
  const int columns = terminalColumns > 0 ? terminalColumns : kAssumedColumns;
  const int used = ColumnsOf(state, View(line));
  progress.columnsLeft = used > 0 && used % columns == 0 ? 0 : columns - used % columns;
}

bool ProgressDue(const ProgressState& progress, std::int64_t nowMs) {
  return nowMs - progress.startMs >= progress.afterMs &&
         (progress.shownLength == 0 || nowMs - progress.drawnMs >= kRedrawMs);
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
  if (!progress.lineOpen) {
    return;
  }
  const std::int64_t now = platform::SteadyMilliseconds();
  if (!ProgressDue(progress, now)) {
    return;
  }
  char figure[kProgressCapacity];
  const std::size_t length = FormatProgress(done, total, figure);
  if (static_cast<int>(length) >= progress.columnsLeft) {
    return;
  }
  WriteRepeated(state, '\b', progress.shownLength);
  platform::WriteBytes(state.console, figure, length);
  progress.shownLength = static_cast<int>(length);
  progress.drawnMs = now;
}

void CloseProgressLine(RunState& state) {
  ProgressState& progress = state.progress;
  if (!progress.lineOpen) {
    return;
  }
  progress.lineOpen = false;
  WriteRepeated(state, '\b', progress.shownLength);
  WriteRepeated(state, ' ', progress.shownLength);
  WriteRepeated(state, '\b', progress.shownLength);
  progress.shownLength = 0;
  platform::WriteLineEnd(state.console);
}

}  // namespace dialog
