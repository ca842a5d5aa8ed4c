#include "dialog/driver.h"

namespace dialog {

int RunProgram(int, const char* const*, std::intptr_t, std::intptr_t, int) { return 0; }

}  // namespace dialog
