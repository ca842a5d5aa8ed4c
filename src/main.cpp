#include "dialog/driver.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  const dialog::Surroundings surroundings{
      .input = 0, .output = 1, .introPauseMs = 4000, .charset = platform::UserCharset()};
  return dialog::RunProgram(argc - 1, argv, surroundings);
}
