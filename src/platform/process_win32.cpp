#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/win32_io.h"

#include <aclapi.h>  // after <windows.h>, which they build on
#include <shellapi.h>

namespace platform {

namespace {

// A wide text in the OEM code page. Characters the code page lacks become
// "?" rather than a look-alike ("best fit"), which could name another file.
std::string ToOem(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0,
                                       nullptr, nullptr);
  if (size <= 0) {
    return {};
  }
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide, -1, text.data(), size, nullptr,
                      nullptr);
  text.pop_back();  // the terminating NUL
  return text;
}

// Other processes of the same user may see the program and end it, but no
// longer read or change its memory (the key, while the dialog waits) or start
// threads in it: the process's access list grants its user nothing else.
// (An administrator with the debug privilege still can.)
void GuardProcessMemory() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return;
  }
  alignas(TOKEN_USER) unsigned char userBuffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  const bool known = GetTokenInformation(token, TokenUser, userBuffer, sizeof userBuffer, &size) != 0;
  CloseHandle(token);
  if (!known) {
    return;
  }
  const PSID user = reinterpret_cast<TOKEN_USER*>(userBuffer)->User.Sid;
  alignas(ACL) unsigned char aclBuffer[sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
  auto* acl = reinterpret_cast<PACL>(aclBuffer);
  if (InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
      AddAccessAllowedAce(acl, ACL_REVISION,
                          PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, user)) {
    SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                    acl, nullptr);
  }
}

}  // namespace

void PrepareProcess() {
  // Neither a dialog nor a crash dump when something goes wrong: a dump would
  // hold the key material.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  GuardProcessMemory();
  SetFileApisToOEM();
}

ProgramArguments TakeProgramArguments(int argc, char** argv) {
  // Kept for the whole run: the dialog reads the parameters until the end.
  static std::vector<std::string> texts;
  static std::vector<const char*> pointers;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    return {argc - 1, argv};
  }
  for (int i = 0; i < count; ++i) {
    texts.push_back(ToOem(wide[i]));
  }
  LocalFree(wide);
  for (const std::string& text : texts) {
    pointers.push_back(text.c_str());
  }
  pointers.push_back(nullptr);
  return {count - 1, pointers.data()};
}

int UsableCores() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
    return std::popcount(static_cast<std::uint64_t>(process));
  }
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

}  // namespace platform
