// The two intro images and parameter descriptions, written here in plain text
// and enciphered at compile time, so that the program holds them only in the
// stored form.
#include <array>

#include "platform/intro_screen.h"
#include "platform/oem_text.h"

namespace platform {


namespace {

template <std::size_t Size, std::size_t Count>
consteval std::array<std::uint8_t, Size> Encipher(const char* const (&utf8Lines)[Count],
                                                  bool lineEnds, char pad) {
  std::array<char, Size> plain{};
  std::size_t length = 0;
  for (const char* line : utf8Lines) {
    char converted[512] = {};
    const std::size_t n = ConvertToOem(line, Utf8Length(line), converted);
    if (n > kScreenColumns) {
      throw "a line is longer than 80 characters";
    }
    if (!lineEnds && n != kScreenColumns) {
      throw "an image row must have exactly 80 characters";
    }
    for (std::size_t i = 0; i < n; ++i) {
      plain[length++] = converted[i];
    }
    if (lineEnds) {
      plain[length++] = '\r';
      plain[length++] = '\n';
    }
  }
  if (length > Size) {
    throw "text does not fit its field";
  }
  // Text with line ends is padded with lines of blanks of at most 80
  // characters, the last one ending the field, so that what follows starts a
  // new line.
  for (std::size_t lineStart = length; lineEnds && length < Size; lineStart = length) {
    while (length < Size - 2 && length - lineStart < kScreenColumns) {
      plain[length++] = pad;
    }
    if (length + 2 > Size) {
      throw "the padding leaves one character over: change the text's length";
    }
    plain[length++] = '\r';
    plain[length++] = '\n';
  }
  while (length < Size) {
    plain[length++] = pad;
  }
  std::array<std::uint8_t, Size> stored{};
  for (std::size_t i = 0; i < Size; ++i) {
    stored[i] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(plain[i]) ^ kBaseTable[i % 256]);
  }
  return stored;
}

// Each row has exactly 80 characters.
constexpr const char* kEnglishImage[kScreenRows] = {
#include "intro_image_en.inc"
};
constexpr const char* kGermanImage[kScreenRows] = {
#include "intro_image_de.inc"
};
// Lines of at most 80 characters; each gets CR LF, and the rest of the 5120
// characters is filled with lines of blanks.
constexpr const char* kEnglishDescription[] = {
#include "parameter_description_en.inc"
};
constexpr const char* kGermanDescription[] = {
#include "parameter_description_de.inc"
};

constexpr std::array<std::uint8_t, kScreenSize> kStoredImages[kLanguageCount] = {
    Encipher<kScreenSize>(kEnglishImage, false, ' '),
    Encipher<kScreenSize>(kGermanImage, false, ' '),
};
constexpr std::array<std::uint8_t, kDescriptionSize> kStoredDescriptions[kLanguageCount] = {
    Encipher<kDescriptionSize>(kEnglishDescription, true, ' '),
    Encipher<kDescriptionSize>(kGermanDescription, true, ' '),
};

}  // namespace

const std::uint8_t* StoredIntroImage(int language) {
  return kStoredImages[language == 1 ? 1 : 0].data();
}

const std::uint8_t* StoredParameterDescription(int language) {
  return kStoredDescriptions[language == 1 ? 1 : 0].data();
}

}  // namespace platform
