#pragma once
// What the hostile-input tests of every platform share: a scratch directory
// as the current directory, holding the dataset "a.txt", where the runs
// write their log "log.txt".

#include <string>

#include <gtest/gtest.h>

#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace testsupport {

class HostileInputTest : public ::testing::Test {
 protected:
  ScratchDir scratch;
  DirectoryGuard inScratch{scratch.path};

  void SetUp() override { WriteFile(scratch.Path("a.txt"), "abc"); }
  std::string Log() const { return ReadFile(scratch.Path("log.txt")); }
};

}  // namespace testsupport
