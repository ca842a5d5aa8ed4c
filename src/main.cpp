#include "dialog/driver.h"
#include "platform/console.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  constexpr int kStandardInput = 0;
  constexpr int kStandardOutput = 1;
  // Progress figures only on a terminal, for datasets taking more than a second.
  const dialog::Surroundings surroundings{
      .input = kStandardInput,
      .output = kStandardOutput,
      .introPauseMs = 4000,
      .charset = platform::UserCharset(),
      .progressAfterMs = platform::IsTerminal(kStandardOutput) ? 1000 : -1,
  };
  const platform::ProgramArguments arguments = platform::TakeProgramArguments(argc, argv);
  return dialog::RunProgram(arguments.count, arguments.texts, surroundings);
}
