#include "support/program_run.h"

#include <cstdio>
#include <cstdlib>

#include <sys/wait.h>
#include <unistd.h>

#include "support/dialog_run.h"

namespace testsupport {

const platform::TextCharset kStartedProgramCharset = platform::TextCharset::CodePage;

ProgramResult RunProgramBinary(const std::vector<std::string>& parameters, const std::string& input,
                               const std::string& directory, const std::string& locale) {
  std::FILE* in = TemporaryFileWith(input);
  std::FILE* out = TemporaryFileWith("");
  std::vector<char*> arguments{const_cast<char*>(TARVEX5_BINARY)};
  for (const std::string& parameter : parameters) {
    arguments.push_back(const_cast<char*>(parameter.c_str()));
  }
  arguments.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(directory.c_str()) != 0 || dup2(fileno(in), 0) < 0 || dup2(fileno(out), 1) < 0 ||
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
  result.output = ConsoleText(out);
  std::fclose(in);
  std::fclose(out);
  return result;
}

}  // namespace testsupport
