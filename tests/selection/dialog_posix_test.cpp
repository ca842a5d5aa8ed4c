// Names on POSIX are bytes: under a UTF-8 console they are written as they
// are inside the UTF-8 frame, also where they are no UTF-8, and « » arrive in
// UTF-8 (on Windows the names are in the console's code page).
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/oem_text.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::DialogResult;
using testsupport::LogLines;
using testsupport::RunDialog;

class Utf8NamesTest : public ::testing::Test {
 protected:
  testsupport::ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};

  std::string Log() const { return testsupport::ReadFile(scratch.Path("log.txt")); }
};

// On a UTF-8 console names stay bytes: a UTF-8 name and one with a lone byte
// 0x81 come back unchanged inside the UTF-8 frame. « and » of parameter 3
// are taken in UTF-8 as well as as code-page bytes.
TEST_F(Utf8NamesTest, Utf8ConsoleKeepsNamesAsBytesAndTakesUtf8Brackets) {
  const std::string utf8Name = "Grüße";
  const std::string loneByte = "a\x81";
  std::filesystem::create_directory(scratch.Path(utf8Name));
  std::filesystem::create_directory(scratch.Path(loneByte));
  const std::string tree = " and these of all subdirectories of lower steps will be processed.\n";
  struct Case {
    std::string parameter;
    std::string confirmation;
  };
  const Case cases[] = {
      {"[Grüße]", "The datasets of the directory »Grüße« will be processed.\n"},
      {"«Grüße»", "The datasets of the directory »Grüße«\n" + tree},
      {"\xAE" "a\x81\xAF", "The datasets of the directory »a\x81«\n" + tree},
      {"«a\x81", "The datasets of the directory »a\x81«\n" + tree},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameter);
    const DialogResult result =
        RunDialog({"0", "log.txt", c.parameter, "1"}, "", platform::TextCharset::Utf8);
    const std::string completion =
        c.parameter.ends_with("\x81") ? "\"»\" at the end of 3. commandline-parameter completed !\n" : "";
    EXPECT_NE(result.output.find(" »log.txt«.\n\n" + completion + c.confirmation), std::string::npos)
        << result.output;
    EXPECT_NE(Log().find(LogLines(c.confirmation)), std::string::npos);
  }

  testsupport::WriteFile(scratch.Path(utf8Name + "/Grüße.txt"), "abc");
  testsupport::WriteFile(scratch.Path(utf8Name + "/" + loneByte), "def");
  const DialogResult result = RunDialog({"1", "log.txt", "[Grüße]", "1", "1", "Schlüssel", "0"}, "",
                                        platform::TextCharset::Utf8);
  for (const std::string& name : {loneByte, std::string("Grüße.txt")}) {
    EXPECT_NE(result.output.find("Die Datei »" + name + "« wird gerade bearbeitet ...\n"
                                 "Die Datei »" + name + "« wurde verschlüsselt.\n"),
              std::string::npos)
        << result.output;
    EXPECT_NE(Log().find("Die Datei »" + name + "« wurde verschlüsselt.\r\n"), std::string::npos);
  }
}

}  // namespace
