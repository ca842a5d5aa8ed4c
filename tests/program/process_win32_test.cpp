// What a run does to the process on Windows: other processes of the same user
// may no longer read its memory, and names are taken in the OEM code page.
#include <string>

#include <gtest/gtest.h>

#include "platform/win32_io.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

// Whether this process can be opened with `access` by its process id, as
// another process of the same user would open it.
bool Opens(DWORD access) {
  const HANDLE process = OpenProcess(access, FALSE, GetCurrentProcessId());
  if (process == nullptr) {
    return false;
  }
  CloseHandle(process);
  return true;
}

TEST(WindowsProcess, RunGuardsTheMemoryAndTakesNamesInTheOemCodePage) {
  testsupport::ScratchDir scratch;
  testsupport::DirectoryGuard inScratch(scratch.path);
  testsupport::WriteFile("a.txt", "abc");
  ASSERT_TRUE(Opens(PROCESS_VM_READ)) << "as any process of the user before the run";
  const testsupport::DialogResult result =
      testsupport::RunDialog({"0", "log.txt", "a.txt", "1", "1", "key", "0"}, "");
  ASSERT_NE(result.output.find("has been encoded."), std::string::npos) << result.output;
  EXPECT_FALSE(Opens(PROCESS_VM_READ));
  EXPECT_FALSE(Opens(PROCESS_VM_WRITE | PROCESS_VM_OPERATION));
  EXPECT_FALSE(Opens(PROCESS_CREATE_THREAD));
  EXPECT_TRUE(Opens(PROCESS_TERMINATE | SYNCHRONIZE)) << "the user may still end it";
  EXPECT_FALSE(AreFileApisANSI());
}

}  // namespace
