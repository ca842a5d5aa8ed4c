// Names and paths as Windows users have them, through the real program: every
// dataset named or found is the one processed, never a look-alike and never
// one outside the selection, and none is left out for its name, its length
// or its directory's attributes. Names are made through the wide functions,
// so they hold exactly the characters given here (UTF-8 in this file).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/unicode_text.h"
#include "platform/win32_io.h"
#include "support/program_run.h"
#include "support/scratch_dir.h"

namespace {

using testsupport::ScratchDir;

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(platform::Utf8ToUtf16(utf8, reinterpret_cast<char16_t*>(wide.data()), wide.size()));
  return wide;
}

// Names of every kind are made and read through "\\?\" paths, so that trailing
// dots and blanks and any length are kept.
class NamesTest : public ::testing::Test {
 protected:
  ScratchDir scratch_;

  std::wstring At(const std::string& relative) const {
    std::wstring path = L"\\\\?\\" + Wide(scratch_.path) + L"\\";
    for (wchar_t c : Wide(relative)) {
      path += c == L'/' ? L'\\' : c;
    }
    return path;
  }

  void MakeDirectory(const std::string& relative, DWORD attributes = 0) const {
    ASSERT_TRUE(CreateDirectoryW(At(relative).c_str(), nullptr)) << relative;
    if (attributes != 0) {
      ASSERT_TRUE(SetFileAttributesW(At(relative).c_str(), attributes));
    }
  }

  void MakeFile(const std::string& relative, const std::string& content = "plain text") const {
    const HANDLE file = CreateFileW(At(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << relative << " (under wine: LC_ALL=C.UTF-8)";
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
  }

  std::string Content(const std::string& relative) const {
    const HANDLE file = CreateFileW(At(relative).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    std::string content(4096, '\0');
    DWORD read = 0;
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, content.data(), 4096, &read, nullptr)) {
      read = 0;
    }
    CloseHandle(file);
    return content.substr(0, read);
  }

  bool Encoded(const std::string& relative) const { return Content(relative) != "plain text"; }

  // The program in the scratch directory, encoding `selection` in form 1.
  testsupport::ProgramResult Encode(const std::string& selection) const {
    return testsupport::RunProgramBinary({"0", "l.txt", selection, "1", "1", "K", "0"}, "", scratch_.path);
  }
};

// A found name is never read as a path: fullwidth and other slashes stay
// characters of the name, and the walk stays inside the selection. (With
// the old conversion, "a／..／..／victim.txt" in sel named the victim.txt
// beside sel.)
TEST_F(NamesTest, NoDatasetOutsideTheSelectionIsProcessed) {
  const std::string fullwidthSolidus = "\xEF\xBC\x8F";      // ／
  const std::string divisionSlash = "\xE2\x88\x95";         // ∕
  const std::string fullwidthBackslash = "\xEF\xBC\xBC";    // ＼
  const std::string up = "a" + fullwidthBackslash + ".." + fullwidthBackslash + ".." + fullwidthBackslash;
  MakeDirectory("sel");
  MakeFile("victim.txt");
  MakeFile("sel/a" + fullwidthSolidus + ".." + fullwidthSolidus + ".." + fullwidthSolidus + "victim.txt");
  MakeFile("sel/a" + divisionSlash + ".." + divisionSlash + ".." + divisionSlash + "victim.txt");
  MakeDirectory("Fotos");
  MakeFile("Fotos/bild.jpg");
  MakeDirectory("sel/" + up + "Fotos");
  MakeFile("sel/" + up + "Fotos/bild.jpg");
  MakeDirectory("sel/" + up + "sel");
  Encode("[sel]");
  EXPECT_FALSE(Encoded("victim.txt"));
  EXPECT_TRUE(Encoded("sel/a" + fullwidthSolidus + ".." + fullwidthSolidus + ".." + fullwidthSolidus + "victim.txt"));
  EXPECT_TRUE(Encoded("sel/a" + divisionSlash + ".." + divisionSlash + ".." + divisionSlash + "victim.txt"));
  const testsupport::ProgramResult tree = Encode("\xC2\xAB" "sel\xC2\xBB");
  EXPECT_FALSE(Encoded("Fotos/bild.jpg"));
  EXPECT_TRUE(Encoded("sel/" + up + "Fotos/bild.jpg"));
  EXPECT_NE(tree.output.find(" 3 dataset(s) in      3 directories processed."), std::string::npos)
      << tree.output;
}

// A name given as a parameter is that name: a character the old code pages
// lack is no wild card, and no look-alike beside it is taken instead.
TEST_F(NamesTest, ANamedDatasetIsNeverSwappedForALookAlike) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Preis 5\xE2\x82\xAC.txt", "Preis 5E.txt"},
      {"Bewerbung \xE2\x80\x93 Lebenslauf.txt", "Bewerbung - Lebenslauf.txt"},
      {"\xC5\xA0" "eik.txt", "Seik.txt"},
  };
  for (const auto& [named, lookAlike] : cases) {
    SCOPED_TRACE(named);
    MakeFile(named);
    MakeFile(lookAlike);
    Encode(named);
    EXPECT_TRUE(Encoded(named));
    EXPECT_FALSE(Encoded(lookAlike));
  }
}

// Every name, every length, and directories whatever their read-only and
// archive attributes: nothing is left out without a word.
TEST_F(NamesTest, NoDatasetIsLeftOutForItsNameItsLengthOrItsDirectory) {
  const std::vector<std::string> names = {
      "Preis 5\xE2\x82\xAC.txt",  "Bewerbung \xE2\x80\x93 Lebenslauf.txt",
      "\xE2\x80\x9CZitat\xE2\x80\x9D.txt", "\xE4\xB8\xAD\xE6\x96\x87.txt",
      "emoji\xF0\x9F\x98\x80.txt", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC",
      "\xD0\x96\xD1\x83\xD0\xBA.txt", "\xC5\x81\xC3\xB3" "d\xC5\xBA.txt",
      "ends in a dot.",            "ends in a blank ",
  };
  MakeDirectory("sel");
  for (const std::string& name : names) {
    MakeFile("sel/" + name);
  }
  MakeDirectory("sel/\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC dir");
  MakeFile("sel/\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC dir/a.txt");
  MakeDirectory("sel/Documents", FILE_ATTRIBUTE_READONLY);
  MakeFile("sel/Documents/brief.txt");
  MakeDirectory("sel/archived", FILE_ATTRIBUTE_ARCHIVE);
  MakeFile("sel/archived/a.txt");
  std::string deep = "sel";
  for (int i = 0; i < 6; ++i) {
    deep += "/" + std::string(50, static_cast<char>('a' + i));
    MakeDirectory(deep);
  }
  MakeFile(deep + "/tief.txt");
  ASSERT_GT(scratch_.path.size() + deep.size(), 300u);
  const testsupport::ProgramResult tree = Encode("\xC2\xAB" "sel\xC2\xBB");
  for (const std::string& name : names) {
    EXPECT_TRUE(Encoded("sel/" + name)) << name;
  }
  EXPECT_TRUE(Encoded("sel/\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC dir/a.txt"));
  EXPECT_TRUE(Encoded("sel/Documents/brief.txt"));
  EXPECT_TRUE(Encoded("sel/archived/a.txt"));
  EXPECT_TRUE(Encoded(deep + "/tief.txt"));
  EXPECT_NE(tree.output.find(" 14 dataset(s) in     10 directories processed."), std::string::npos)
      << tree.output;
  // The directory named at the console, read-only as Windows marks Documents.
  EXPECT_NE(Encode("[sel\\Documents]").output.find("brief.txt"), std::string::npos);
}

// Names are split and matched by characters, not by the bytes of a
// double-byte code page: "表" ends in 0x5C in code page 932, and "ツ*" must
// not match "イカ.txt" (whose first byte pair shares a lead with ツ).
TEST_F(NamesTest, NamesAreSplitAndMatchedByCharacters) {
  MakeDirectory("\xE8\xA1\xA8");  // 表
  MakeFile("\xE8\xA1\xA8/a.txt");
  MakeDirectory("data");
  MakeFile("data/\xE3\x83\x84.txt");           // ツ.txt
  MakeFile("data/\xE3\x82\xA4\xE3\x82\xAB.txt");  // イカ.txt
  Encode("\xC2\xAB\xE8\xA1\xA8\xC2\xBB");
  EXPECT_TRUE(Encoded("\xE8\xA1\xA8/a.txt"));
  Encode("data\\\xE3\x83\x84*");
  EXPECT_TRUE(Encoded("data/\xE3\x83\x84.txt"));
  EXPECT_FALSE(Encoded("data/\xE3\x82\xA4\xE3\x82\xAB.txt"));
}

}  // namespace
