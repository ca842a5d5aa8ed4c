#include "support/program_run.h"

#include <io.h>

#include <cstdio>
#include <string>

#include "platform/unicode_text.h"
#include "platform/win32_io.h"

#include "support/dialog_run.h"

namespace testsupport {

const platform::TextCharset kStartedProgramCharset = platform::TextCharset::Utf8;

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

// The locale is a POSIX matter: the program on Windows takes its parameters as
// wide text and writes redirected output in UTF-8 whatever the locale.
// Parameters and directory are UTF-8.
ProgramResult RunProgramBinary(const std::vector<std::string>& parameters, const std::string& input,
                               const std::string& directory, const std::string& /*locale*/) {
  std::string commandLine = Quoted(TARVEX5_BINARY);
  for (const std::string& parameter : parameters) {
    commandLine += ' ' + Quoted(parameter);
  }
  std::FILE* in = TemporaryFileWith(input);
  std::FILE* out = TemporaryFileWith("");
  // Parameters are UTF-8, as the program keeps them; the command line is wide.
  std::wstring wideLine(commandLine.size(), L'\0');
  wideLine.resize(platform::Utf8ToUtf16(commandLine, reinterpret_cast<char16_t*>(wideLine.data()),
                                        wideLine.size()));
  std::wstring wideDirectory(directory.size(), L'\0');
  wideDirectory.resize(platform::Utf8ToUtf16(directory, reinterpret_cast<char16_t*>(wideDirectory.data()),
                                             wideDirectory.size()));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = InheritableHandle(in);
  startup.hStdOutput = InheritableHandle(out);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  ProgramResult result;
  if (CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, TRUE, 0, nullptr, wideDirectory.c_str(),
                     &startup, &process)) {
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
