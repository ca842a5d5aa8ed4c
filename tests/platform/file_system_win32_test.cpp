// The file system as Windows has it: attributes, devices, drives, names in
// either case, UTF-8 names, long paths.
#include "platform/file_system.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "platform/file_system_fixture.h"
#include "platform/process.h"
#include "platform/win32_io.h"
#include "support/platform.h"

namespace {

namespace fs = std::filesystem;
using platform::View;
using testsupport::Found;
using testsupport::Names;

class FileSystemTest : public testsupport::FileSystemTest {
 protected:
  static void MakeFile(const std::string& name, DWORD attributes = 0) {
    testsupport::WriteFile(name, "x");
    if (attributes != 0) {
      EXPECT_TRUE(SetFileAttributesA(name.c_str(), attributes));
    }
  }

  // One entry of every kind the attributes tell apart; links where the
  // system makes them (wine makes none).
  void MakeEveryKind() {
    MakeFile("plain");
    MakeFile("readonly", FILE_ATTRIBUTE_READONLY);
    MakeFile("hidden", FILE_ATTRIBUTE_HIDDEN);
    MakeFile("system", FILE_ATTRIBUTE_SYSTEM);
    fs::create_directory("dir");
    fs::create_directory("hiddendir");
    EXPECT_TRUE(SetFileAttributesA("hiddendir", FILE_ATTRIBUTE_HIDDEN));
    linkedDirectory_ = testsupport::MakeDirectoryLink("dir", "dirlink");
    linkedFile_ = testsupport::MakeFileLink("plain", "filelink");
  }

  bool linkedDirectory_ = false;
  bool linkedFile_ = false;

  std::string Drive() const { return root_.substr(0, 2); }  // "C:"

  // `name` in the current directory as a "\\?\" path: of any length, trailing
  // dots and blanks kept.
  static std::wstring LongForm(const std::wstring& name) {
    return L"\\\\?\\" + fs::current_path().wstring() + L"\\" + name;
  }
};

TEST_F(FileSystemTest, SearchMatchesEitherCaseAndGivesNameOrder) {
  fs::create_directory("sub");
  for (const char* name : {"b.TXT", "a.txt", "C.txt", "_z", "10", "9", "sub\\c.txt", "sub\\d.dat"}) {
    MakeFile(name);
  }
  testsupport::ExpectSearches({
      {"*.txt", {"a.txt 20", "b.TXT 20", "C.txt 20"}},
      {"*.*", {"10 20", "9 20", "a.txt 20", "b.TXT 20", "C.txt 20", "_z 20"}},
      {"B.TXT", {"b.TXT 20"}},
      {"sub\\*.TXT", {"c.txt 20"}},
      {"sub/?.dat", {"d.dat 20"}},
      {root_ + "\\SUB\\*.*", {"c.txt 20", "d.dat 20"}},
      {"sub", {}},
      {"missing\\*", {}},
      {"", {}},
  });
}

// Links count as system, so no search walks or processes them; a linked file
// named exactly is the dataset the user named.
TEST_F(FileSystemTest, AttributesAsTheSystemReportsThemAndLinksAsSystem) {
  MakeEveryKind();
  Names everything = {". 10",         ".. 10",    "dir 10",      "hidden 22",
                      "hiddendir 12", "plain 20", "readonly 21", "system 24"};
  if (linkedDirectory_) {
    everything.insert(everything.begin() + 3, "dirlink 14");
  }
  if (linkedFile_) {
    everything.insert(everything.begin() + (linkedDirectory_ ? 4 : 3), "filelink 24");
    EXPECT_EQ(Found("filelink", platform::kPlainDatasets), (Names{"filelink 20"}));
  }
  EXPECT_EQ(Found("*", 0x1E), everything);
  EXPECT_EQ(Found("*.*", platform::kPlainDatasets), (Names{"plain 20", "readonly 21"}));
  EXPECT_EQ(Found("*.*", platform::kDirectoriesAndDatasets),
            (Names{". 10", ".. 10", "dir 10", "plain 20", "readonly 21"}));
}

// A read-only dataset is never opened for writing, whoever runs the program,
// and a device is never opened at all: not as a dataset, not as the log.
TEST_F(FileSystemTest, OnlyWritableFilesOnADiskAreDatasets) {
  MakeEveryKind();
  testsupport::ExpectExistence(platform::DatasetExists, {
      {"plain", true}, {"PLAIN", true}, {"hidden", true},    {"system", true},
      {"readonly", false}, {"dir", false}, {"NUL", false},   {"con", false},
      {"COM1", false}, {"nul.txt", false}, {"missing", false}, {"", false},
  });
  for (const char* name : {"NUL", "readonly", "dir"}) {
    platform::OutputFile file;
    EXPECT_FALSE(platform::CreateOutputFile(file, name)) << name;
  }
  platform::FileIdentity device;
  platform::IdentifyFile("NUL", device);
  EXPECT_FALSE(device.known);
  EXPECT_TRUE(platform::MatchExists("P*"));
  EXPECT_FALSE(platform::MatchExists("hid*"));
  EXPECT_FALSE(platform::MatchExists("dir"));
}

// A junction or a linked directory counts as system: not as a directory.
TEST_F(FileSystemTest, DirectoryExistsForPlainDirectoriesAndRoots) {
  MakeEveryKind();
  testsupport::ExpectExistence(platform::DirectoryExists, {
      {"dir", true},           {"DIR", true},         {"dir\\", true},        {"dir/", true},
      {root_ + "\\dir", true}, {"\\", true},          {Drive() + "\\", true}, {".", true},
      {"dir\\..", true},       {"hiddendir", false},  {"d*", false},          {"plain", false},
      {"missing", false},      {"", false},           {"dirlink", false},
  });
}

TEST_F(FileSystemTest, SplitPathTakesTheDriveSteps) {
  fs::create_directories("sub\\deeper");
  testsupport::ExpectPathSplits({
      {"b.txt", root_, "b.txt"},
      {Drive() + "\\b.txt", Drive() + "\\", "b.txt"},
      {"\\b.txt", Drive() + "\\", "b.txt"},
      {Drive() + "b.txt", root_, "b.txt"},
      {Drive() + "*.txt", root_, "*.txt"},
      {"sub\\b.txt", root_ + "\\sub", "b.txt"},
      {"sub/deeper/..\\b.txt", root_ + "\\sub", "b.txt"},
      {"missing\\b.txt", root_, "b.txt"},
  }, root_);
  platform::PathText fullPath;
  platform::FullPath((Drive() + "\\b.txt").c_str(), fullPath);
  EXPECT_EQ(View(fullPath), Drive() + "\\\\b.txt");
  platform::FullPath("sub/b.txt", fullPath);
  EXPECT_EQ(View(fullPath), root_ + "\\sub\\b.txt");
}

TEST_F(FileSystemTest, IdentityIsTheFileWhateverTheNameSaysOfIt) {
  MakeFile("a.txt");
  MakeFile("b.txt");
  ASSERT_TRUE(CreateHardLinkA("copy.txt", "a.txt", nullptr));
  platform::FileIdentity a;
  platform::IdentifyFile("a.txt", a);
  ASSERT_TRUE(a.known);
  for (const std::string& name : {std::string("A.TXT"), std::string("copy.txt"), root_ + "\\a.txt"}) {
    platform::FileIdentity other;
    platform::IdentifyFile(name.c_str(), other);
    EXPECT_TRUE(platform::SameFile(a, other)) << name;
  }
  platform::FileIdentity b;
  platform::IdentifyFile("b.txt", b);
  EXPECT_FALSE(platform::SameFile(a, b));
  platform::OutputFile log;
  ASSERT_TRUE(platform::CreateOutputFile(log, "B.TXT"));
  platform::FileIdentity open;
  platform::IdentifyOpenFile(log.handle, open);
  EXPECT_TRUE(platform::SameFile(b, open));
  EXPECT_TRUE(platform::CloseOutputFile(log));
}

// Names found and given are generalised UTF-8 of the names the directory
// holds, unchanged: other characters and trailing dots. (Names with unpaired
// surrogates, which NTFS holds, cannot be made under wine, whose names are
// UTF-8 on the Unix side; their conversion is tested in unicode_text_test.)
TEST_F(FileSystemTest, NamesAreUtf8WithoutLoss) {
  for (const std::wstring& name : {std::wstring(L"\u00e4rger.txt"), std::wstring(L"\u20ac.txt"), std::wstring(L"dot.")}) {
    // Through "\\?\", which keeps the trailing dot.
    const HANDLE file = CreateFileW(LongForm(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "under wine: a UTF-8 locale is needed (LC_ALL=C.UTF-8)";
    CloseHandle(file);
  }
  EXPECT_EQ(Found("*", platform::kPlainDatasets),
            (Names{"dot. 20", "\xC3\xA4rger.txt 20", "\xE2\x82\xAC.txt 20"}));
  for (const char* name : {"\xC3\xA4rger.txt", "\xE2\x82\xAC.txt", "dot.", "\xC3\x84RGER.TXT"}) {
    EXPECT_TRUE(platform::DatasetExists(name)) << name;
  }
  EXPECT_FALSE(platform::DatasetExists("dot"));
  EXPECT_FALSE(platform::DatasetExists("\x84rger.txt")) << "no generalised UTF-8";
  platform::OutputFile log;
  ASSERT_TRUE(platform::CreateOutputFile(log, "gro\xC3\x9F.log"));
  EXPECT_TRUE(platform::CloseOutputFile(log));
  EXPECT_NE(GetFileAttributesW(L"gro\u00df.log"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileSystemTest, ProgramPathIsTheRunningExecutable) {
  char module[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, module, sizeof module), 0u);
  platform::PathText path;
  platform::ProgramPath("tarvex5_tests", path);
  EXPECT_EQ(View(path), module);
}

// Paths have no length limit of their own: a directory far beyond MAX_PATH
// is entered, searched and named whole, while the process's own current
// directory stays where the system can take it.
TEST_F(FileSystemTest, PathsBeyondMaxPathAreReachedWhole) {
  std::string deep;
  for (int i = 0; i < 10; ++i) {
    deep += (i == 0 ? "" : "\\") + std::string(30, static_cast<char>('a' + i));
    ASSERT_TRUE(CreateDirectoryW(LongForm(fs::path(deep).wstring()).c_str(), nullptr));
  }
  const std::string full = root_ + "\\" + deep;
  ASSERT_GT(full.size(), std::size_t{MAX_PATH});
  EXPECT_TRUE(platform::DirectoryExists(deep.c_str()));
  platform::PathText directory;
  platform::PathText namePart;
  platform::SplitPath((deep + "\\b.txt").c_str(), directory, namePart);
  EXPECT_EQ(View(directory), full);
  ASSERT_TRUE(platform::ChangeDirectory(deep.c_str()));
  EXPECT_EQ(fs::current_path().string(), root_);
  ASSERT_TRUE(platform::CurrentDirectory(directory));
  EXPECT_EQ(View(directory), full);
  platform::OutputFile file;
  ASSERT_TRUE(platform::CreateOutputFile(file, "b.txt"));
  EXPECT_TRUE(platform::CloseOutputFile(file));
  EXPECT_EQ(Found("*", platform::kPlainDatasets), (Names{"b.txt 20"}));
  platform::PathText fullPath;
  EXPECT_TRUE(platform::FullPath("b.txt", fullPath));
  EXPECT_EQ(View(fullPath), full + "\\b.txt");
  EXPECT_TRUE(platform::DatasetExists((full + "\\b.txt").c_str()));
  ASSERT_TRUE(platform::ChangeDirectory(root_.c_str()));
  ASSERT_TRUE(platform::CurrentDirectory(directory));
  EXPECT_EQ(View(directory), root_);
}

// A current directory whose name ends in a dot (which the system strips from
// the names it is given) stays the current directory through a look into one
// of its subdirectories, never swapped for its look-alike without the dot.
TEST_F(FileSystemTest, ACurrentDirectoryEndingInADotIsKeptWhole) {
  fs::create_directories("dir\\sub");
  ASSERT_TRUE(CreateDirectoryW(LongForm(L"dir.").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(LongForm(L"dir.\\sub").c_str(), nullptr));
  ASSERT_TRUE(platform::ChangeDirectory(("\\\\?\\" + root_ + "\\dir.").c_str()));
  platform::PathText fullPath;
  EXPECT_TRUE(platform::FullPath("sub\\key.txt", fullPath));
  EXPECT_EQ(View(fullPath), root_ + "\\dir.\\sub\\key.txt");
  platform::PathText directory;
  ASSERT_TRUE(platform::CurrentDirectory(directory));
  EXPECT_EQ(View(directory), root_ + "\\dir.");
  ASSERT_TRUE(platform::ChangeDirectory(root_.c_str()));
}

}  // namespace
