#include "platform/file_system.h"
#include "platform/dataset_file.h"
#include "platform/path_text.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/file_system_fixture.h"

namespace {

namespace fs = std::filesystem;
using platform::View;
using testsupport::WriteFile;

std::string CurrentPath() { return fs::current_path().string(); }

class FileSystemTest : public testsupport::FileSystemTest {
 protected:
  // One entry of every kind the attribute mapping tells apart.
  void MakeEveryKind() {
    WriteFile("plain", "p");
    WriteFile("readonly", "r");
    fs::permissions("readonly", fs::perms::owner_read | fs::perms::group_read);
    WriteFile(".hidden", "h");
    fs::create_directory("dir");
    WriteFile("dir/inner.txt", "i");
    fs::create_directory(".hiddendir");
    ASSERT_EQ(mkfifo("fifo", 0666), 0);
    MakeSocket("socket");
    fs::create_directory_symlink("dir", "dirlink");
    fs::create_directory_symlink("dir", ".dirlink");
    fs::create_symlink("plain", "filelink");
    fs::create_symlink("missing", "dangling");
    fs::create_symlink("/dev/null", "devlink");
  }

  static void MakeSocket(const char* name) {
    const int handle = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(handle, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", name);
    EXPECT_EQ(bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(handle);
  }
};

using testsupport::Found;
using testsupport::Names;

// The order of platform/name_order.h, the same on every system.
TEST_F(FileSystemTest, SearchGivesNameOrderWhateverTheCreationOrder) {
  const Names names = {"b", "B", "a.txt", "10", "9", "\xE1x", "_z", "a", "\xC3\xA9", "\xC3\xA4", "\xD0\xAF", "\xD0\xB6"};
  fs::create_directory("one");
  fs::create_directory("two");
  for (std::size_t i = 0; i < names.size(); ++i) {
    WriteFile("one/" + names[i], "");
    WriteFile("two/" + names[names.size() - 1 - i], "");
  }
  const Names sorted = {"10 00",         "9 00",          "a 00",          "a.txt 00",
                        "B 00",          "b 00",          "_z 00",         "\xC3\xA4 00",
                        "\xC3\xA9 00", "\xD0\xB6 00", "\xD0\xAF 00", "\xE1x 00"};
  EXPECT_EQ(Found("one/*.*", platform::kPlainDatasets), sorted);
  EXPECT_EQ(Found("two/*.*", platform::kPlainDatasets), sorted);
}

TEST_F(FileSystemTest, SearchTakesDirectoryPartAndPattern) {
  fs::create_directory("sub");
  for (const char* name : {"a", "a.txt", "b.TXT", "sub/c.txt", "sub/d.dat"}) {
    WriteFile(name, "");
  }
  testsupport::ExpectSearches({
      {"*.txt", {"a.txt 00"}},
      {"a.*", {"a 00", "a.txt 00"}},
      {"sub/*.txt", {"c.txt 00"}},
      {root_ + "/sub/?.dat", {"d.dat 00"}},
      {"b.TXT", {"b.TXT 00"}},
      {"B.TXT", {}},
      {"sub", {}},
      {"sub/", {}},
      {"missing/*", {}},
      {"", {}},
  });
}

TEST_F(FileSystemTest, AttributesAndFilters) {
  MakeEveryKind();
  EXPECT_EQ(Found("*", 0x1E), (Names{". 10", ".. 10", ".dirlink 16", ".hidden 02", ".hiddendir 12",
                                     "dangling 04", "devlink 04", "dir 10", "dirlink 14", "fifo 04",
                                     "filelink 04", "plain 00", "readonly 01", "socket 04"}));
  EXPECT_EQ(Found("*.*", platform::kPlainDatasets), (Names{"plain 00", "readonly 01"}));
  EXPECT_EQ(Found("*.*", platform::kDirectoriesAndDatasets), (Names{". 10", ".. 10", "dir 10", "plain 00", "readonly 01"}));
  // Named exactly, a link to a regular file is the dataset the user named.
  EXPECT_EQ(Found("filelink", platform::kPlainDatasets), (Names{"filelink 00"}));
}

// Names that differ only in trailing blanks are different datasets here: each
// is reported, none is lost and the search does not end early.
TEST_F(FileSystemTest, FindNextReportsNamesThatDifferOnlyInTrailingBlanks) {
  for (const char* name : {"a", "a ", "a  ", "b"}) {
    WriteFile(name, "");
  }
  EXPECT_EQ(Found("*", platform::kPlainDatasets), (Names{"a 00", "a  00", "a   00", "b 00"}));
}

// Found and gone since: reported as a plain dataset, which then cannot be
// opened and is reported missing, never passed over without a word.
TEST_F(FileSystemTest, EntriesGoneSinceTheSearchAreStillReported) {
  for (const char* name : {"a", "b", "c"}) {
    WriteFile(name, "");
  }
  platform::SearchRecord search;
  ASSERT_TRUE(platform::FindFirstEntry(search, "*", platform::kPlainDatasets));
  fs::remove("b");
  ASSERT_TRUE(platform::FindNextEntry(search));
  EXPECT_EQ(View(search.name), "b");
  EXPECT_EQ(search.attributes, 0);
  EXPECT_FALSE(platform::DatasetExists("b"));
  ASSERT_TRUE(platform::FindNextEntry(search));
  EXPECT_EQ(View(search.name), "c");
  EXPECT_FALSE(platform::FindNextEntry(search));
  EXPECT_EQ(View(search.name), "c");
  EXPECT_FALSE(platform::FindNextEntry(search));
  platform::CloseSearch(search);
}

// Calls DatasetExists on a FIFO in a thread; should it block, opening the
// other end sets it free and the test fails instead of hanging.
bool DatasetExistsWithoutBlocking(const char* fifo, bool& exists) {
  std::promise<bool> done;
  std::future<bool> answer = done.get_future();
  std::thread worker([&done, fifo] { done.set_value(platform::DatasetExists(fifo)); });
  const bool inTime = answer.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  const int reader = inTime ? -1 : open(fifo, O_RDONLY | O_NONBLOCK);
  const int writer = inTime ? -1 : open(fifo, O_WRONLY | O_NONBLOCK);
  worker.join();
  exists = answer.get();
  close(reader);
  close(writer);
  return inTime;
}

TEST_F(FileSystemTest, DatasetExistsOnlyForWritableRegularFiles) {
  MakeEveryKind();
  testsupport::ExpectExistence(platform::DatasetExists, {
      {"plain", true},     {"filelink", true},  {"dir/inner.txt", true}, {".hidden", true},
      {"readonly", false}, {"dir", false},      {"dirlink", false},      {"socket", false},
      {"devlink", false},  {"/dev/null", false}, {"dangling", false},    {"missing", false},
      {"", false},
  });
  // A dataset found by a search is opened without following a link, so a
  // link that took its place meanwhile leads nowhere.
  platform::DatasetFile file;
  EXPECT_FALSE(platform::OpenDataset(file, "filelink", false));
  EXPECT_TRUE(platform::OpenDataset(file, "plain", false));
  EXPECT_TRUE(platform::CloseDataset(file));
  EXPECT_TRUE(platform::OpenDataset(file, "filelink", true));
  EXPECT_TRUE(platform::CloseDataset(file));
  bool exists = true;
  EXPECT_TRUE(DatasetExistsWithoutBlocking("fifo", exists));
  EXPECT_FALSE(exists);
  EXPECT_TRUE(platform::MatchExists("p*"));
  EXPECT_FALSE(platform::MatchExists(".hid*"));
  EXPECT_FALSE(platform::MatchExists("dir"));
}

// A name with wild cards is no directory: it could not be entered later.
TEST_F(FileSystemTest, DirectoryExistsForPlainDirectoriesAndLinksToThem) {
  MakeEveryKind();
  testsupport::ExpectExistence(platform::DirectoryExists, {
      {"dir", true},         {"dir/", true},          {"dirlink", true},     {root_ + "/dirlink", true},
      {"/", true},           {".", true},             {"..", true},          {"dir/..", true},
      {"d*", false},         {".hiddendir", false},   {".dirlink", false},   {".hidden*", false},
      {"f*", false},         {"plain", false},        {"fifo", false},       {"dangling", false},
      {"missing", false},    {"", false},
  });
}

TEST_F(FileSystemTest, SplitPathResolvesTheDirectoryAndComesBack) {
  fs::create_directories("sub/deeper");
  fs::create_directory_symlink("sub", "sublink");
  WriteFile("file", "");
  const std::string parent = fs::path(root_).parent_path().string();
  testsupport::ExpectPathSplits({
      {"b.txt", root_, "b.txt"},
      {root_ + "/sub/b.txt", root_ + "/sub", "b.txt"},
      {"/b.txt", "/", "b.txt"},
      {"missing/b.txt", root_, "b.txt"},
      {"file/b.txt", root_, "b.txt"},
      {"sub/deeper/../b.txt", root_ + "/sub", "b.txt"},
      {"../b.txt", parent, "b.txt"},
      {"sublink/*.txt", root_ + "/sub", "*.txt"},
      {"sub/", root_ + "/sub", ""},
      {"", root_, ""},
  }, root_);
  platform::PathText fullPath;
  platform::FullPath("/b.txt", fullPath);
  EXPECT_EQ(View(fullPath), "//b.txt");
  platform::FullPath("sub/b.txt", fullPath);
  EXPECT_EQ(View(fullPath), root_ + "/sub/b.txt");
}

// Paths beyond 255 bytes are held whole; beyond the platform's longest path
// they are reported, never cut.
TEST_F(FileSystemTest, LongPathsAreHeldWholeOrReportedNeverCut) {
  std::string deep;
  for (int i = 0; i < 8; ++i) {
    deep += std::string(30, static_cast<char>('a' + i)) + "/";
  }
  fs::create_directories(deep);
  platform::PathText directory;
  platform::PathText namePart;
  platform::SplitPath((deep + "b.txt").c_str(), directory, namePart);
  EXPECT_EQ(View(directory), root_ + "/" + deep.substr(0, deep.size() - 1));
  EXPECT_EQ(CurrentPath(), root_);

  // Deeper than the platform can name: entered step by step.
  const std::string step(200, 's');
  for (std::size_t length = root_.size(); length <= platform::kPathTextCapacity; length += 1 + step.size()) {
    ASSERT_EQ(mkdir(step.c_str(), 0700), 0);
    ASSERT_TRUE(platform::ChangeDirectory(step.c_str()));
  }
  EXPECT_FALSE(platform::CurrentDirectory(directory));
  EXPECT_EQ(View(directory), "");
  platform::PathText fullPath;
  EXPECT_FALSE(platform::FullPath("b.txt", fullPath));
  EXPECT_EQ(View(fullPath), "");
  EXPECT_FALSE(platform::SplitPathText(std::string(platform::kPathTextCapacity + 1, 'x'), directory, namePart));

  ASSERT_TRUE(platform::ChangeDirectory("/"));
  ASSERT_TRUE(platform::CurrentDirectory(directory));
  EXPECT_EQ(View(directory), "/");
  EXPECT_FALSE(platform::ChangeDirectory(""));
  EXPECT_FALSE(platform::ChangeDirectory("missing"));
}

TEST(FileSystem, ProgramPathIsTheRealExecutableWhateverArgumentZeroSays) {
  platform::PathText path;
  platform::ProgramPath("tarvex5_tests", path);
  EXPECT_EQ(View(path), fs::canonical("/proc/self/exe").string());
}

}  // namespace
