// Random trees, encoded and decoded in all four forms: every byte comes
// back, nothing outside the tree is touched, and every dataset of the tree
// is named in the log, processed once or passed over.
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/dialog_run.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

constexpr unsigned kTrees = 40;
constexpr std::size_t kSizes[] = {0, 1, 2, 511, 512, 513, 1023, 1024, 1025, 1536, 2047, 2049, 4096};
// Blanks, dots, UTF-8 and other high bytes; never the bytes that frame names
// in the log.
const char* const kNamePieces[] = {"a", "b c", "x.y", " lead", "trail ", "\xC3\xA4nderung", "\xE1\xFF\x80", "dot.", "..dots"};
constexpr std::size_t kLongestPath = 3000;  // std::filesystem reads the tree back

struct RandomTree {
  explicit RandomTree(unsigned seed) : random(seed) {}

  std::size_t Pick(std::size_t n) { return random() % n; }

  // A name unique in the tree; hidden now and then, long now and then.
  std::string Name(bool mayHide) {
    std::string name = kNamePieces[Pick(std::size(kNamePieces))] + std::to_string(++names);
    if (Pick(12) == 0) {
      name = std::string(150 + Pick(100), 'L') + name;
    }
    return mayHide && Pick(8) == 0 ? "." + name : name;
  }

  std::string AnyDirectory() {
    const bool hidden = !hiddenDirectories.empty() && Pick(5) == 0;
    return hidden ? hiddenDirectories[Pick(hiddenDirectories.size())] : directories[Pick(directories.size())];
  }

  void AddDirectory() {
    const std::string parent = AnyDirectory();
    std::string name = Name(true);
    if (parent.size() + name.size() > kLongestPath) {
      return;
    }
    const std::string path = parent + "/" + name;
    fs::create_directory(path);
    const bool walked = name[0] != '.' && parent.find("/.") == std::string::npos;
    (walked ? directories : hiddenDirectories).push_back(path);
  }

  void AddFile() {
    const std::size_t size = Pick(4) == 0 ? Pick(5000) : kSizes[Pick(std::size(kSizes))];
    files.push_back(AnyDirectory() + "/" + Name(true));
    testsupport::WriteFile(files.back(), testsupport::RandomBytes(size, static_cast<unsigned>(random())));
    if (Pick(10) == 0) {
      fs::permissions(files.back(), fs::perms::owner_read);
    }
  }

  void AddLinks(const std::string& outside) {
    for (std::size_t i = 0; i < 2; ++i) {
      const std::string& target = Pick(3) == 0 ? outside : files[Pick(files.size())];
      fs::create_symlink(fs::absolute(target), AnyDirectory() + "/" + Name(false));
      fs::create_hard_link(files[Pick(files.size())], AnyDirectory() + "/" + Name(false));
    }
    fs::create_directory_symlink(fs::absolute(directories[Pick(directories.size())]),
                                 AnyDirectory() + "/" + Name(false));
  }

  void Build(const std::string& outside) {
    directories.push_back("tree");
    fs::create_directory("tree");
    for (std::size_t n = 3 + Pick(8); n > 0; --n) {
      AddDirectory();
    }
    for (std::size_t n = 4 + Pick(16); n > 0; --n) {
      AddFile();
    }
    AddLinks(outside);
  }

  std::mt19937 random;
  int names = 0;
  std::vector<std::string> directories;        // walked
  std::vector<std::string> hiddenDirectories;  // never walked
  std::vector<std::string> files;
};

// Every regular file below `root`, by path, without following links.
std::map<std::string, std::string> Contents(const std::string& root) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && !entry.is_symlink()) {
      contents[entry.path().string()] = ReadFile(entry.path().string());
    }
  }
  return contents;
}

// The datasets of the tree as the program is to see them: regular files
// with visible names, in directories reached without hidden names or links;
// full path, and its inode (hard links share one).
void CollectDatasets(const fs::path& directory, std::map<std::string, ino_t>& datasets) {
  for (const auto& entry : fs::directory_iterator(directory)) {
    const fs::file_status status = entry.symlink_status();
    if (entry.path().filename().string()[0] == '.') {
      continue;
    }
    if (fs::is_directory(status)) {
      CollectDatasets(entry.path(), datasets);
    } else if (fs::is_regular_file(status)) {
      struct stat info {};
      stat(entry.path().c_str(), &info);
      datasets[entry.path().string()] = info.st_ino;
    }
  }
}

// What the log says of each dataset, by full path: the rest of each line
// after the name, in order.
std::map<std::string, std::string> Outcomes(const std::string& log) {
  const std::string subdirectory = " --- Subdirectory: ";
  const std::string dataset = "The dataset \xAF";
  std::map<std::string, std::string> outcomes;
  std::string directory;
  for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = log.substr(start, end - start);
    if (line.starts_with(subdirectory)) {
      directory = line.substr(subdirectory.size(), line.size() - subdirectory.size() - 5);
    } else if (line.starts_with(dataset) && !line.ends_with(" and is left out.")) {
      const std::size_t close = line.find('\xAE');
      outcomes[directory + "/" + line.substr(dataset.size(), close - dataset.size())] += line.substr(close + 1);
    }
  }
  return outcomes;
}

void CheckLog(const std::string& log, const std::string& root) {
  std::map<std::string, ino_t> datasets;
  CollectDatasets(root, datasets);
  const std::map<std::string, std::string> outcomes = Outcomes(log);
  std::map<ino_t, int> encodedPerFile;
  for (const auto& [path, inode] : datasets) {
    SCOPED_TRACE(path);
    const auto found = outcomes.find(path);
    ASSERT_NE(found, outcomes.end()) << "not named in the log";
    if ((fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none) {
      EXPECT_EQ(found->second, " doesn't exist!");  // read-only: never rewritten
      continue;
    }
    const bool encoded = found->second == " is just processed ... has been encoded.";
    EXPECT_TRUE(encoded || found->second == " has already been processed and will be ignored!") << found->second;
    encodedPerFile[inode] += encoded ? 1 : 0;
  }
  for (const auto& [inode, encoded] : encodedPerFile) {
    EXPECT_EQ(encoded, 1) << "inode " << inode;
  }
  EXPECT_EQ(outcomes.size(), datasets.size()) << "something else was named";
}

TEST(RandomTree, EveryFormRestoresEveryByteAndNamesEveryDataset) {
  for (unsigned seed = 1; seed <= kTrees; ++seed) {
    SCOPED_TRACE(seed);
    testsupport::ScratchDir scratch;
    testsupport::DirectoryGuard inScratch(scratch.path);
    testsupport::WriteFile("outside.bin", testsupport::RandomBytes(700, seed));
    RandomTree tree(seed);
    tree.Build("outside.bin");
    const std::map<std::string, std::string> before = Contents(".");
    const std::string root = fs::canonical("tree").string();
    for (const int encodeForm : {1, 3}) {
      SCOPED_TRACE(encodeForm);
      for (const int form : {encodeForm, encodeForm + 1}) {
        testsupport::RunDialog({"0", "run.log", "\xAEtree\xAF", std::to_string(form), "1", "key", "0"}, "");
        if (form == encodeForm) {
          CheckLog(ReadFile("run.log"), root);
          EXPECT_TRUE(ReadFile("outside.bin") == testsupport::RandomBytes(700, seed));
        }
      }
      std::map<std::string, std::string> after = Contents(".");
      after.erase("./run.log");
      EXPECT_TRUE(after == before);
    }
  }
}

}  // namespace
