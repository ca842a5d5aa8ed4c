#include "platform/process.h"
#include "program/driver.h"

int main(int argc, char** argv) {
  const platform::ProgramArguments arguments = platform::TakeProgramArguments(argc, argv);
  return dialog::RunProgram(arguments.count, arguments.texts, dialog::StandardSurroundings());
}
