// Lists without a byte-order mark on Windows: UTF-8 where a line is UTF-8,
// otherwise the OEM code page of the lists written for earlier builds.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/text_dataset.h"
#include "support/scratch_dir.h"

namespace {

TEST(ListDatasetWin32, UnmarkedLinesAreUtf8OrOemBytes) {
  if (GetOEMCP() != 437 && GetOEMCP() != 850) {
    GTEST_SKIP() << "OEM code page " << GetOEMCP() << ": the bytes below are those of 437 and 850";
  }
  testsupport::ScratchDir scratch;
  const std::string path = scratch.Path("list.txt");
  // ä.txt in OEM bytes with ö in its remark; ä.txt in UTF-8; a line that is
  // not UTF-8 only because of its remark.
  testsupport::WriteFile(path, "\x84.txt \x94\r\n\xC3\xA4.txt\r\n\xC3\xA4.txt \x94\r\n");
  platform::TextDataset list;
  ASSERT_TRUE(platform::OpenTextDataset(list, path.c_str()));
  const platform::ListCharset charset = platform::TakeByteOrderMark(list);
  std::string lines;
  platform::PathText line;
  while (platform::ReadListLine(list, charset, platform::kNativeUnmarkedLines, line)) {
    lines += std::string(platform::View(line)) + "|";
  }
  platform::CloseTextDataset(list);
  EXPECT_EQ(lines, "\xC3\xA4.txt \xC3\xB6|\xC3\xA4.txt|\xE2\x94\x9C\xC3\xB1.txt \xC3\xB6|");
}

}  // namespace
