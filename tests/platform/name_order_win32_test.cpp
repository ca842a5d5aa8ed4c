// Names beyond ASCII as the Windows program finds them: in the one order of
// both systems, "?" as one character, letters in either case.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_system_fixture.h"

namespace {

namespace fs = std::filesystem;

// `name` (UTF-8) created through the wide functions, as any Windows program
// names it.
void MakeFile(const std::string& name) {
  std::ofstream(fs::path(std::u8string(reinterpret_cast<const char8_t*>(name.c_str())))) << "x";
}

using NameOrderTest = testsupport::FileSystemTest;

TEST_F(NameOrderTest, SearchGivesTheOneOrderAndMatchesCharactersInEitherCase) {
  fs::create_directory("order");
  for (const char* name : {"\xC3\xA9.txt", "\xC3\xA4.txt", "B.txt", "a.txt", "_x", "\xD0\x96.txt",
                           "\xF0\x9F\x98\x80.txt", "\xEF\xBC\x8Fx", "10", "9"}) {
    MakeFile(std::string("order\\") + name);
  }
  fs::create_directory("case");
  for (const char* name : {"\xC3\x84.TXT", "\xD0\x96\xD0\xA3\xD0\xA0\xD0\x9D\xD0\x90\xD0\x9B.TXT", "ab.txt",
                           "\xF0\x9F\x98\x80.txt"}) {
    MakeFile(std::string("case\\") + name);
  }
  testsupport::ExpectSearches({
      {"order\\*", {"10 20", "9 20", "a.txt 20", "B.txt 20", "_x 20", "\xC3\xA4.txt 20", "\xC3\xA9.txt 20",
                    "\xD0\x96.txt 20", "\xF0\x9F\x98\x80.txt 20", "\xEF\xBC\x8Fx 20"}},
      {"case\\\xC3\xA4*", {"\xC3\x84.TXT 20"}},                                          // ä*
      {"case\\\xD0\xB6\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB.*",                   // журнал.*
       {"\xD0\x96\xD0\xA3\xD0\xA0\xD0\x9D\xD0\x90\xD0\x9B.TXT 20"}},
      {"case\\?.txt", {"\xC3\x84.TXT 20", "\xF0\x9F\x98\x80.txt 20"}},
  });
}

}  // namespace
