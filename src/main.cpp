#include "dialog/driver.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  constexpr int kIntroPauseMs = 4000;
  const platform::ProgramArguments arguments = platform::TakeProgramArguments(argc, argv);
  return dialog::RunProgram(arguments.count, arguments.texts, 0, 1, kIntroPauseMs);
}
