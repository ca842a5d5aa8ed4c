// The real tarvex5.exe: its version resource, and an interrupt through a
// console control event.
#include <string>

#include <gtest/gtest.h>

#include "platform/version.h"
#include "platform/win32_io.h"
#include "support/platform.h"
#include "support/scratch_dir.h"

#include <winver.h>  // after <windows.h>, which it builds on

namespace {

// The file's properties name the project's version, in the fixed part as
// major, minor, 0, 0.
TEST(Program, VersionResourceNamesTheVersion) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(TARVEX5_BINARY, &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(TARVEX5_BINARY, 0, size, data.data()));
  char* version = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                             reinterpret_cast<void**>(&version), &length));
  EXPECT_STREQ(version, TARVEX5_VERSION);
  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const std::string dotted = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                             std::to_string(LOWORD(fixed->dwFileVersionMS));
  EXPECT_EQ(std::string(TARVEX5_VERSION).rfind(dotted, 0), 0u) << dotted;
}

HANDLE Inheritable(HANDLE handle) {
  SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return handle;
}

// The test's own share of a Ctrl-C sent to every process of the console.
BOOL WINAPI IgnoreEvent(DWORD) { return TRUE; }

// Ctrl-C during the processing run ends the process with 130 once the
// dataset in hand is complete. The program, on this console, writes into a
// pipe that is not read after the first dataset's announcement: with this
// many datasets it cannot get to the end of the run before the event
// arrives.
TEST(Program, InterruptEndsTheRunWithStatus130) {
  ASSERT_TRUE(testsupport::HaveConsole());
  testsupport::ScratchDir scratch;
  testsupport::WritePipeFillingDatasets(scratch);
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  HANDLE nothing = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(nothing);
  startup.hStdOutput = Inheritable(writeEnd);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::string commandLine = std::string("\"") + TARVEX5_BINARY + "\" 0 log.txt [data] 1 1 secret 0";
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             scratch.path.c_str(), &startup, &process));
  CloseHandle(writeEnd);
  CloseHandle(nothing);
  std::string output;
  const auto readSome = [&] {
    char buffer[4096];
    DWORD got = 0;
    const bool read = ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0;
    output.append(buffer, read ? got : 0);
    return read;
  };
  while (output.find(" is just processed ...") == std::string::npos && readSome()) {
  }
  SetConsoleCtrlHandler(IgnoreEvent, TRUE);
  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  while (readSome()) {
  }
  CloseHandle(readEnd);
  SetConsoleCtrlHandler(IgnoreEvent, FALSE);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &status));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_EQ(status, 130u) << output.substr(output.size() > 500 ? output.size() - 500 : 0);
  EXPECT_NE(output.find("  T e r m i n a t i n g   p r o g r a m !  \r\n"), std::string::npos);
  EXPECT_TRUE(testsupport::SomePipeFillingDatasetUnchanged(scratch))
      << "the run ended before the end of the selection";
}

}  // namespace
