#include "platform/text_dataset.h"

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

void CloseTextDataset(TextDataset& dataset) {
  // Only read from: a failed close loses nothing.
  (void)CloseDataset(dataset.file);
  WipeBytes(dataset.buffer, sizeof dataset.buffer);
  UnlockMemory(dataset.buffer, sizeof dataset.buffer);
  dataset.begin = dataset.end = 0;
}

}  // namespace platform
