// The two intro images and parameter descriptions, written here in plain text
// and enciphered at compile time, so that the program holds them only in the
// stored form.
#include <array>

#include "platform/intro_screen.h"
#include "platform/oem_text.h"
#include "platform/version.h"

namespace platform {

namespace {

// The banner's row of the intro screen and the row that underlines it: the
// banner, which ends with the program's version, centred between the
// frame's bars (one more blank on the right where the rest is odd).
struct BannerRows {
  char banner[kScreenColumns * kMaxOwnCharBytes + 1] = {};  // UTF-8, like the other rows
  char underline[kScreenColumns + 1] = {};
};

consteval BannerRows FramedBanner(const char* utf8Banner) {
  char converted[kScreenColumns * kMaxOwnCharBytes] = {};
  const std::size_t bytes = Utf8Length(utf8Banner);
  if (bytes > sizeof converted) {
    throw "the banner is wider than the frame";
  }
  const std::size_t width = ConvertToOem(utf8Banner, bytes, converted);
  constexpr std::size_t kInside = kScreenColumns - 2;
  if (width > kInside) {
    throw "the banner is wider than the frame";
  }
  const std::size_t left = (kInside - width) / 2;
  BannerRows rows;
  std::size_t b = 0;
  std::size_t u = 0;
  rows.banner[b++] = rows.underline[u++] = '|';
  for (std::size_t column = 0; column < kInside; ++column) {
    const bool inBanner = column >= left && column < left + width;
    rows.underline[u++] = inBanner ? '=' : ' ';
    if (!inBanner) {
      rows.banner[b++] = ' ';
    } else if (column == left) {
      for (std::size_t i = 0; i < bytes; ++i) {
        rows.banner[b++] = utf8Banner[i];
      }
    }
  }
  rows.banner[b] = rows.underline[u] = '|';
  return rows;
}

constexpr BannerRows kEnglishBanner = FramedBanner("En-/decoding program  T A R V E X 5  " TARVEX5_VERSION);
constexpr BannerRows kGermanBanner = FramedBanner("Ver-/Entschlüsselungsprogramm  T A R V E X 5  " TARVEX5_VERSION);

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

// Each row has exactly 80 characters; the banner's two rows are made above.
constexpr const char* kEnglishImage[kScreenRows] = {
#include "intro_image_en.inc"
};
constexpr const char* kGermanImage[kScreenRows] = {
#include "intro_image_de.inc"
};
// Lines of at most 80 characters; each gets CR LF, and the rest of the 5120
// characters is filled with lines of blanks. Each system has its own (paths,
// shell, attributes): CMake names the files.
constexpr const char* kEnglishDescription[] = {
#include TARVEX5_DESCRIPTION_EN
};
constexpr const char* kGermanDescription[] = {
#include TARVEX5_DESCRIPTION_DE
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
