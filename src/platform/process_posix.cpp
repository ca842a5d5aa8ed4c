#include <csignal>

#include <sys/resource.h>

#include "platform/process.h"

namespace platform {

void PrepareProcess() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
  std::signal(SIGPIPE, SIG_IGN);
  // A write beyond the file-size limit then fails like any other write.
  std::signal(SIGXFSZ, SIG_IGN);
}

ProgramArguments TakeProgramArguments(int argc, char** argv) { return {argc - 1, argv}; }

}  // namespace platform
