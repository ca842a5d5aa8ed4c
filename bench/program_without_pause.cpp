// The whole program as src/main.cpp runs it, but without the four-second
// intro pause, for timing whole processes against other programs. A first
// argument "--threads=N" sets the processing threads (default: as the
// processor allows); everything after it goes to the program as usual.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "dialog/driver.h"
#include "platform/console.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  constexpr int kStandardInput = 0;
  constexpr int kStandardOutput = 1;
  constexpr const char kThreadsOption[] = "--threads=";
  const platform::ProgramArguments given = platform::TakeProgramArguments(argc, argv);
  std::vector<const char*> texts(given.texts, given.texts + given.count + 1);
  int threads = 0;
  if (texts.size() > 1 && std::strncmp(texts[1], kThreadsOption, sizeof kThreadsOption - 1) == 0) {
    threads = std::atoi(texts[1] + sizeof kThreadsOption - 1);
    texts.erase(texts.begin() + 1);
  }
  const int count = static_cast<int>(texts.size()) - 1;
  texts.push_back(nullptr);
  const dialog::Surroundings surroundings{
      .input = kStandardInput,
      .output = kStandardOutput,
      .introPauseMs = 0,
      .charset = platform::UserCharset(),
      .progressAfterMs = platform::IsTerminal(kStandardOutput) ? 1000 : -1,
      .processingThreads = threads,
  };
  return dialog::RunProgram(count, texts.data(), surroundings);
}
