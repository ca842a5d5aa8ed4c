#include "platform/intro_screen.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string DecipheredImage(int language) {
  std::uint8_t plain[platform::kScreenSize];
  platform::Decipher(platform::StoredIntroImage(language), platform::kScreenSize, plain);
  return std::string(reinterpret_cast<const char*>(plain), platform::kScreenSize);
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

}  // namespace
