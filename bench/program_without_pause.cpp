// The whole program as src/main.cpp runs it, but without the four-second
// intro pause, for timing whole processes against other programs. A first
// argument "--threads=N" sets the processing threads (default: as the
// processor allows); everything after it goes to the program as usual.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/process.h"
#include "program/driver.h"

int main(int argc, char** argv) {
  constexpr const char kThreadsOption[] = "--threads=";
  const platform::ProgramArguments given = platform::TakeProgramArguments(argc, argv);
  std::vector<const char*> texts(given.texts, given.texts + given.count + 1);
  dialog::Surroundings surroundings = dialog::StandardSurroundings();
  surroundings.introPauseMs = 0;
  if (texts.size() > 1 && std::strncmp(texts[1], kThreadsOption, sizeof kThreadsOption - 1) == 0) {
    surroundings.processingThreads = std::atoi(texts[1] + sizeof kThreadsOption - 1);
    texts.erase(texts.begin() + 1);
  }
  const int count = static_cast<int>(texts.size()) - 1;
  texts.push_back(nullptr);
  return dialog::RunProgram(count, texts.data(), surroundings);
}
