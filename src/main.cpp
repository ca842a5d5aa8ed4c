#include "dialog/driver.h"

int main(int argc, char** argv) {
  constexpr int kIntroPauseMs = 4000;
  return dialog::RunProgram(argc - 1, argv, 0, 1, kIntroPauseMs);
}
