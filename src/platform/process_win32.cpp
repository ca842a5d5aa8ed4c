#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/unicode_text.h"
#include "platform/win32_io.h"

#include <aclapi.h>  // after <windows.h>, which they build on
#include <shellapi.h>

namespace platform {

namespace {

// A wide text in generalised UTF-8, as the program keeps every name: nothing
// is lost, not even an unpaired surrogate.
std::string ToUtf8(const wchar_t* wide) {
  std::u16string_view units(reinterpret_cast<const char16_t*>(wide));
  std::string text(units.size() * 3, '\0');
  const std::size_t size = Utf16ToUtf8(units, text.data(), text.size());
  text.resize(size == kNotConvertible ? 0 : size);
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
    texts.push_back(ToUtf8(wide[i]));
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
