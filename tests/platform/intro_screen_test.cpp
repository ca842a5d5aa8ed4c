#include "platform/intro_screen.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/path_text.h"

namespace {

std::string DecipheredImage(int language) {
  std::uint8_t plain[platform::kScreenSize];
  platform::Decipher(platform::StoredIntroImage(language), platform::kScreenSize, plain);
  return std::string(reinterpret_cast<const char*>(plain), platform::kScreenSize);
}

std::string DecipheredDescription(int language) {
  std::uint8_t plain[platform::kDescriptionSize];
  platform::Decipher(platform::StoredParameterDescription(language), platform::kDescriptionSize, plain);
  return std::string(reinterpret_cast<const char*>(plain), platform::kDescriptionSize);
}

// The key schedule's fixed inputs: Algorithm 1's table must be a permutation
// and the exponent byte must keep every generator value a normal double.
TEST(IntroScreen, ExcerptAndBaseTableGiveAPermutationAndAUsableExponent) {
  const std::string english = DecipheredImage(0);
  const std::string german = DecipheredImage(1);
  const std::string excerpt = english.substr(platform::kExcerptOffset, platform::kExcerptLength);
  EXPECT_EQ(excerpt, german.substr(platform::kExcerptOffset, platform::kExcerptLength));
  EXPECT_NE(english, german);

  const auto k = [&](int position) { return static_cast<std::uint8_t>(excerpt[position - 1]); };
  bool seen[256] = {};
  for (int j = 0; j < 256; ++j) {
    const int value = j < 255 ? (platform::kBaseTable[j] ^ k((j % 15) + 1)) : platform::kBaseTable[255];
    EXPECT_FALSE(seen[value]) << "value " << value << " twice";
    seen[value] = true;
  }
  const int expByte = ((((k(9) * 4) % 256) ^ k(2)) / 2) + 1;
  EXPECT_GE(expByte, 48);
  EXPECT_LE(expByte, 79);
}

// The description is written into the log unchanged and serves as --help:
// it must read as text lines of at most 80 characters, each ending in CR LF,
// padded to its size with lines of blanks, and list the parameters 1 to 12
// in order, each as a line "k  text".
TEST(ParameterDescription, IsCrLfLinesOfAtMost80CharactersAndListsAllTwelveParameters) {
  for (int language = 0; language < platform::kLanguageCount; ++language) {
    SCOPED_TRACE(language);
    const std::string whole = DecipheredDescription(language);
    EXPECT_EQ(whole.substr(whole.size() - 2), "\r\n");
    std::vector<int> listed;
    bool padding = false;
    for (std::size_t start = 0; start < whole.size();) {
      const std::size_t end = whole.find("\r\n", start);
      ASSERT_NE(end, std::string::npos);
      const std::string line = whole.substr(start, end - start);
      EXPECT_LE(line.size(), platform::kScreenColumns) << line;
      for (const char c : line) {
        EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "control character in: " << line;
      }
      const std::size_t digits = line.find_first_not_of(' ');
      padding = padding || (!line.empty() && digits == std::string::npos);
      EXPECT_TRUE(!padding || digits == std::string::npos) << "text after the padding: " << line;
      if (digits != std::string::npos && digits <= 2 && std::isdigit(static_cast<unsigned char>(line[digits]))) {
        const std::size_t after = line.find_first_not_of("0123456789", digits);
        if (after != std::string::npos && line.compare(after, 2, "  ") == 0) {
          listed.push_back(std::stoi(line.substr(digits, after - digits)));
        }
      }
      start = end + 2;
    }
    EXPECT_EQ(listed, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  }
}

// Each system has its own description (CMake picks the files): it shows that
// system's paths and shell, and never the other's.
TEST(ParameterDescription, SpeaksTheSystemItRunsOn) {
  struct Words {
    std::vector<std::string> own;
    std::vector<std::string> foreign;
  };
  const Words words = platform::kNativePaths.drives
                          ? Words{{"C:\\", "tarvex5.exe /?", "\"[C:\\"}, {"/home", "'[", "$'"}}
                          : Words{{"/home/", "'["}, {":\\", ".exe", "/?"}};
  for (int language = 0; language < platform::kLanguageCount; ++language) {
    SCOPED_TRACE(language);
    const std::string description = DecipheredDescription(language);
    for (const std::string& word : words.own) {
      EXPECT_NE(description.find(word), std::string::npos) << word;
    }
    for (const std::string& word : words.foreign) {
      EXPECT_EQ(description.find(word), std::string::npos) << word;
    }
  }
}

}  // namespace
