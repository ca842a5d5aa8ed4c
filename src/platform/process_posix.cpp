#include <csignal>

#include <sys/resource.h>
#include <unistd.h>
#if defined(__linux__)
#include <sched.h>
#include <sys/prctl.h>
#endif

#include "platform/process.h"

namespace platform {

void PrepareProcess() {
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
#if defined(__linux__)
  // Not dumpable: /proc/PID/mem and ptrace are then closed to other processes
  // of the same user, which could otherwise read the key while the dialog waits.
  prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
  std::signal(SIGPIPE, SIG_IGN);
  // A write beyond the file-size limit then fails like any other write.
  std::signal(SIGXFSZ, SIG_IGN);
}

int UsableCores() {
#if defined(__linux__)
  cpu_set_t cores;
  if (sched_getaffinity(0, sizeof cores, &cores) == 0) {
    return CPU_COUNT(&cores) > 0 ? CPU_COUNT(&cores) : 1;
  }
#endif
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

ProgramArguments TakeProgramArguments(int argc, char** argv) { return {argc - 1, argv}; }

}  // namespace platform
