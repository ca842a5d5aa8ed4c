// End-to-end speed of rewriting a dataset in place: ProcessDataset encoding a
// file in the page cache, again and again; the second argument 1 draws the
// progress figure all along (as on a terminal, here into /dev/null), the
// third argument 1 forces the portable byte work instead of the fastest this
// processor has, the fourth is the number of threads (2: a helper thread runs
// the cipher ahead).
// Peak resident memory is reported beside it: it must not grow with the file.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "dialog/run_state.h"
#include "platform/intro_screen.h"
#include "processing/processed_files.h"
#include "processing/processing.h"
#include "processing/schedule_ahead.h"

namespace {

std::string MakeDataset(std::size_t length) {
  const std::string name = (std::filesystem::temp_directory_path() /
                            ("tarvex5-bench-" + std::to_string(getpid()) + "-" + std::to_string(length)))
                               .string();
  std::FILE* file = std::fopen(name.c_str(), "wb");
  std::vector<char> chunk(1 << 20);
  for (std::size_t i = 0; i < chunk.size(); ++i) {
    chunk[i] = static_cast<char>(i * 2654435761u >> 24);
  }
  for (std::size_t written = 0; written < length; written += chunk.size()) {
    std::fwrite(chunk.data(), 1, std::min(chunk.size(), length - written), file);
  }
  std::fclose(file);
  return name;
}

void BM_ProcessDataset(benchmark::State& benchState) {
  const auto length = static_cast<std::size_t>(benchState.range(0)) << 20;
  const bool progress = benchState.range(1) == 1;
  const std::string name = MakeDataset(length);
  auto state = std::make_unique<dialog::RunState>();
  std::FILE* sink = std::fopen("/dev/null", "w");
  platform::OpenConsole(state->console, -1, fileno(sink));
  for (int position = 1; position <= 256; ++position) {
    state->InitialKey[position] = static_cast<std::uint8_t>(position * 7);
  }
  std::uint8_t screen[platform::kScreenSize];
  platform::Decipher(platform::StoredIntroImage(0), platform::kScreenSize, screen);
  state->cipher.encode = true;
  state->progress.afterMs = progress ? 0 : -1;
  state->cipher.bytePath =
      benchState.range(2) == 1 ? cipher::BytePath::kScalar : cipher::BytePath::kFastest;
  cipher::PrepareKey(state->cipher, state->InitialKey + 1, platform::kBaseTable,
                     screen + platform::kExcerptOffset);
  state->processingThreads = static_cast<int>(benchState.range(3));
  dialog::StartScheduleAhead(*state);
  for (auto _ : benchState) {
    // Each iteration is a run of its own: a run processes a file only once.
    dialog::ReleaseProcessed(state->processed);
    dialog::ProcessDataset(*state, name.c_str(), true);
  }
  dialog::StopScheduleAhead(*state);
  benchState.SetBytesProcessed(static_cast<std::int64_t>(benchState.iterations()) *
                               static_cast<std::int64_t>(length));
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  benchState.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::fclose(sink);
  std::remove(name.c_str());
}
BENCHMARK(BM_ProcessDataset)
    ->ArgNames({"MiB", "progress", "portable", "threads"})
    ->Args({256, 0, 0, 1})
    ->Args({256, 0, 0, 2})
    ->Args({16, 0, 0, 1})
    ->Args({16, 0, 0, 2})
    ->Args({256, 1, 0, 2})
    ->Args({256, 0, 1, 1})
    ->Args({256, 0, 1, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(4);

}  // namespace
