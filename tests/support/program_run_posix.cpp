#include "support/program_run.h"

#include <cstdio>
#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>

#include "support/dialog_run.h"
#include "support/platform.h"

namespace testsupport {

namespace {

int TemporaryDescriptorWith(const std::string& content) {
  std::FILE* file = TemporaryFile();
  std::fwrite(content.data(), 1, content.size(), file);
  std::fflush(file);
  const int fd = dup(fileno(file));
  std::fclose(file);
  lseek(fd, 0, SEEK_SET);
  return fd;
}

}  // namespace

ProgramResult RunProgramBinary(const std::vector<std::string>& parameters, const std::string& input,
                               const std::string& directory, const std::string& locale) {
  const int in = TemporaryDescriptorWith(input);
  const int out = TemporaryDescriptorWith("");
  std::vector<char*> arguments{const_cast<char*>(TARVEX5_BINARY)};
  for (const std::string& parameter : parameters) {
    arguments.push_back(const_cast<char*>(parameter.c_str()));
  }
  arguments.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(directory.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
        setenv("LC_ALL", locale.c_str(), 1) != 0) {
      _exit(127);
    }
    execv(TARVEX5_BINARY, arguments.data());
    _exit(127);
  }
  ProgramResult result;
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
  }
  lseek(out, 0, SEEK_SET);
  char chunk[4096];
  ssize_t n;
  while ((n = read(out, chunk, sizeof chunk)) > 0) {
    result.output.append(chunk, static_cast<std::size_t>(n));
  }
  result.output = WithPlainLineEnds(result.output);
  close(in);
  close(out);
  return result;
}

}  // namespace testsupport
