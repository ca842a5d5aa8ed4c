#include "support/program_run.h"

#include <io.h>

#include <cstdio>

#include "platform/win32_io.h"

#include "support/dialog_run.h"

namespace testsupport {

namespace {

// `parameter` as CommandLineToArgvW and the C run-time read it back: in
// quotes, with the backslashes before a quote doubled and the quote escaped.
std::string Quoted(const std::string& parameter) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : parameter) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

HANDLE InheritableHandle(std::FILE* file) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fileno(file)));
  SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return handle;
}

}  // namespace

// The locale is a POSIX matter: the program on Windows speaks the console's
// code page whatever the locale.
ProgramResult RunProgramBinary(const std::vector<std::string>& parameters, const std::string& input,
                               const std::string& directory, const std::string& /*locale*/) {
  std::string commandLine = Quoted(TARVEX5_BINARY);
  for (const std::string& parameter : parameters) {
    commandLine += ' ' + Quoted(parameter);
  }
  std::FILE* in = TemporaryFileWith(input);
  std::FILE* out = TemporaryFileWith("");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = InheritableHandle(in);
  startup.hStdOutput = InheritableHandle(out);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  ProgramResult result;
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     directory.c_str(), &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    if (GetExitCodeProcess(process.hProcess, &status)) {
      result.exitStatus = static_cast<int>(status);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  result.output = ConsoleText(out);
  std::fclose(in);
  std::fclose(out);
  return result;
}

}  // namespace testsupport
