// The whole program as src/main.cpp runs it, but without the four-second
// intro pause, for timing whole processes against other programs. A first
// argument "--threads=N" sets the processing threads (default: as the
// processor allows); everything after it goes to the program as usual.
#include <cstdlib>
#include <cstring>

#include "dialog/driver.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  constexpr int kStandardInput = 0;
  constexpr int kStandardOutput = 1;
  constexpr const char kThreadsOption[] = "--threads=";
  int threads = 0;
  if (argc > 1 && std::strncmp(argv[1], kThreadsOption, sizeof kThreadsOption - 1) == 0) {
    threads = std::atoi(argv[1] + sizeof kThreadsOption - 1);
    argv[1] = argv[0];
    --argc;
    ++argv;
  }
  const dialog::Surroundings surroundings{
      .input = kStandardInput,
      .output = kStandardOutput,
      .introPauseMs = 0,
      .charset = platform::UserCharset(),
      .progressAfterMs = platform::IsTerminal(kStandardOutput) ? 1000 : -1,
      .processingThreads = threads,
  };
  return dialog::RunProgram(argc - 1, argv, surroundings);
}
