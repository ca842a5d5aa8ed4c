#include "key/text_dataset.h"

#include "platform/wipe.h"

namespace key {

namespace {

bool Refill(TextDataset& dataset) {
  if (dataset.failed || dataset.offset >= dataset.length) {
    return false;
  }
  const std::uint64_t left = dataset.length - dataset.offset;
  const std::size_t size = left < kTextDatasetBuffer ? static_cast<std::size_t>(left) : kTextDatasetBuffer;
  if (!platform::ReadDatasetAt(dataset.file, dataset.offset, dataset.buffer, size)) {
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
  if (!platform::OpenDataset(dataset.file, name)) {
    return false;
  }
  if (!platform::DatasetLength(dataset.file, dataset.length)) {
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

void CloseTextDataset(TextDataset& dataset) {
  // Only read from: a failed close loses nothing.
  (void)platform::CloseDataset(dataset.file);
  platform::WipeBytes(dataset.buffer, sizeof dataset.buffer);
  dataset.begin = dataset.end = 0;
}

}  // namespace key
