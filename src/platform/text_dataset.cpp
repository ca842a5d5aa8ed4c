#include "platform/text_dataset.h"

#include "platform/unicode_text.h"
#include "platform/wipe.h"

namespace platform {

namespace {

constexpr int kCarriageReturn = '\r';
constexpr int kLineFeed = '\n';
constexpr int kEndOfText = 0x1A;  // Ctrl-Z

bool IsLineEnd(int byte) { return byte == kCarriageReturn || byte == kLineFeed; }

bool Refill(TextDataset& dataset) {
  if (dataset.failed || dataset.offset >= dataset.length) {
    return false;
  }
  const std::uint64_t left = dataset.length - dataset.offset;
  const std::size_t size = left < kTextDatasetBuffer ? static_cast<std::size_t>(left) : kTextDatasetBuffer;
  if (!ReadDatasetAt(dataset.file, dataset.offset, dataset.buffer, size)) {
    dataset.failed = true;
    return false;
  }
  dataset.offset += size;
  dataset.begin = 0;
  dataset.end = size;
  return true;
}

}  // namespace

bool OpenTextDataset(TextDataset& dataset, const char* name) {
  dataset.length = 0;
  dataset.offset = 0;
  dataset.begin = dataset.end = 0;
  dataset.failed = false;
  if (!OpenDataset(dataset.file, name)) {
    return false;
  }
  LockMemory(dataset.buffer, sizeof dataset.buffer);
  if (!DatasetLength(dataset.file, dataset.length)) {
    CloseTextDataset(dataset);
    return false;
  }
  return true;
}

int PeekDatasetByte(TextDataset& dataset) {
  if (dataset.begin == dataset.end && !Refill(dataset)) {
    return -1;
  }
  return dataset.buffer[dataset.begin];
}

int ReadDatasetByte(TextDataset& dataset) {
  const int byte = PeekDatasetByte(dataset);
  if (byte >= 0) {
    ++dataset.begin;
  }
  return byte;
}

bool ReadDatasetLine(TextDataset& dataset, PathText& line) {
  Clear(line);
  int byte = ReadDatasetByte(dataset);
  if (byte < 0) {
    return false;
  }
  while (byte >= 0 && !IsLineEnd(byte)) {
    if (line.length < kPathTextCapacity) {
      line.chars[line.length++] = static_cast<char>(byte);
    } else {
      line.cut = true;
    }
    byte = ReadDatasetByte(dataset);
  }
  line.chars[line.length] = '\0';
  if (byte == kCarriageReturn && PeekDatasetByte(dataset) == kLineFeed) {
    (void)ReadDatasetByte(dataset);
  }
  return true;
}

bool SkipLineEndsToEnd(TextDataset& dataset) {
  while (IsLineEnd(PeekDatasetByte(dataset))) {
    (void)ReadDatasetByte(dataset);
  }
  const int next = PeekDatasetByte(dataset);
  return next < 0 || next == kEndOfText;
}

bool ReadCountedByte(TextDataset& dataset, std::uint64_t& consumed, int& byte) {
  while (IsLineEnd(PeekDatasetByte(dataset)) && consumed < dataset.length) {
    // To the start of the next line: CR LF, a lone CR or a lone LF.
    if (ReadDatasetByte(dataset) == kCarriageReturn && PeekDatasetByte(dataset) == kLineFeed) {
      (void)ReadDatasetByte(dataset);
    }
    consumed += 2;
  }
  if (consumed >= dataset.length || PeekDatasetByte(dataset) < 0) {
    return false;
  }
  ++consumed;
  byte = ReadDatasetByte(dataset);
  return true;
}

namespace {

constexpr bool IsLeadSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsTrailSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The next UTF-16 unit without consuming it; false at the end. Units never
// straddle two fillings of the buffer: both the mark and the buffer have an
// even length.
bool PeekUnit(TextDataset& dataset, bool bigEndian, char16_t& unit) {
  if (PeekDatasetByte(dataset) < 0 || dataset.end - dataset.begin < 2) {
    return false;
  }
  const unsigned first = dataset.buffer[dataset.begin];
  const unsigned second = dataset.buffer[dataset.begin + 1];
  unit = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  return true;
}

bool ReadUnit(TextDataset& dataset, bool bigEndian, char16_t& unit) {
  if (!PeekUnit(dataset, bigEndian, unit)) {
    return false;
  }
  dataset.begin += 2;
  return true;
}

bool ReadUtf16Line(TextDataset& dataset, bool bigEndian, PathText& line) {
  Clear(line);
  char16_t unit = 0;
  if (!ReadUnit(dataset, bigEndian, unit)) {
    return false;
  }
  char16_t lead = 0;  // a lead surrogate waiting for its trail
  for (bool more = true; more && unit != kCarriageReturn && unit != kLineFeed;
       more = ReadUnit(dataset, bigEndian, unit)) {
    if (lead != 0 && IsTrailSurrogate(unit)) {
      const char16_t pair[] = {lead, unit};
      AppendUtf16(line, {pair, 2});
      lead = 0;
      continue;
    }
    if (lead != 0) {
      AppendUtf16(line, {&lead, 1});
      lead = 0;
    }
    if (IsLeadSurrogate(unit)) {
      lead = unit;
    } else {
      AppendUtf16(line, {&unit, 1});
    }
  }
  if (lead != 0) {
    AppendUtf16(line, {&lead, 1});
  }
  char16_t next = 0;
  if (unit == kCarriageReturn && PeekUnit(dataset, bigEndian, next) && next == kLineFeed) {
    dataset.begin += 2;
  }
  return true;
}

// `text` without the bytes of a character that a cut left incomplete.
std::string_view WithoutCutCharacter(std::string_view text) {
  for (std::size_t back = 1; back <= kMaxUtf8CharBytes && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) != 0x80) {
      char32_t codePoint = 0;
      return DecodeUtf8Char(text.substr(text.size() - back), codePoint) == 0
                 ? text.substr(0, text.size() - back)
                 : text;
    }
  }
  return text;
}

}  // namespace

ListCharset TakeByteOrderMark(TextDataset& dataset) {
  struct Mark {
    std::string_view bytes;
    ListCharset charset;
  };
  static constexpr Mark kMarks[] = {
      {"\xEF\xBB\xBF", ListCharset::Utf8},
      {"\xFF\xFE", ListCharset::Utf16Le},
      {"\xFE\xFF", ListCharset::Utf16Be},
  };
  if (PeekDatasetByte(dataset) < 0) {
    return ListCharset::Unmarked;
  }
  // The buffer was filled from the dataset's start: a mark lies wholly in it.
  const std::string_view start(reinterpret_cast<const char*>(dataset.buffer) + dataset.begin,
                               dataset.end - dataset.begin);
  for (const Mark& mark : kMarks) {
    if (start.starts_with(mark.bytes)) {
      dataset.begin += mark.bytes.size();
      return mark.charset;
    }
  }
  return ListCharset::Unmarked;
}

bool ReadListLine(TextDataset& dataset, ListCharset charset, UnmarkedLines unmarked, PathText& line) {
  if (charset == ListCharset::Utf16Le || charset == ListCharset::Utf16Be) {
    return ReadUtf16Line(dataset, charset == ListCharset::Utf16Be, line);
  }
  if (!ReadDatasetLine(dataset, line)) {
    return false;
  }
  if (charset != ListCharset::Unmarked || unmarked == UnmarkedLines::Bytes) {
    return true;
  }
  const std::string_view text = View(line);
  if (!IsGeneralisedUtf8(line.cut ? WithoutCutCharacter(text) : text)) {
    const PathText bytes = line;
    CodePageToUtf8(View(bytes), line);
    line.cut = line.cut || bytes.cut;
  }
  return true;
}

void AppendUtf16(PathText& text, std::u16string_view units) {
  for (std::size_t i = 0; i < units.size() && !text.cut;) {
    const std::size_t length =
        IsLeadSurrogate(units[i]) && i + 1 < units.size() && IsTrailSurrogate(units[i + 1]) ? 2 : 1;
    char bytes[kMaxUtf8CharBytes];
    const std::size_t size = Utf16ToUtf8(units.substr(i, length), bytes, sizeof bytes);
    if (size == kNotConvertible || kPathTextCapacity - text.length < size) {
      text.cut = true;
      break;
    }
    (void)Append(text, {bytes, size});
    i += length;
  }
}

void CloseTextDataset(TextDataset& dataset) {
  // Only read from: a failed close loses nothing.
  (void)CloseDataset(dataset.file);
  WipeBytes(dataset.buffer, sizeof dataset.buffer);
  UnlockMemory(dataset.buffer, sizeof dataset.buffer);
  dataset.begin = dataset.end = 0;
}

}  // namespace platform
