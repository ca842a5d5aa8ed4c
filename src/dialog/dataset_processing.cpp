#include <algorithm>

#include "dialog/output.h"
#include "dialog/processing.h"
#include "dialog/progress.h"
#include "platform/dataset_file.h"
#include "platform/file_system.h"

namespace dialog {

namespace {

constexpr std::uint64_t kBlockLength = 512;

void ReportNameLine(RunState& state, const char* name, Msg ending, bool toLog) {
  Line line;
  AddFramed(line, state, Msg::DatasetBegin, name, ending);
  if (toLog) {
    WriteBothLine(state, line);
  } else {
    WriteConsoleLine(state, line);
  }
}

// English names the dataset on the first line, German on the second.
void ReportTooLong(RunState& state, const char* name, std::uint64_t length) {
  const bool english = state.Language == kEnglish;
  Line first;
  Add(first, state, Msg::LengthOf);
  AddScientific(first, static_cast<double>(length));
  Add(first, state, Msg::LengthOfDataset);
  Line second;
  Add(second, state, Msg::LengthSecondLine);
  Line& named = english ? first : second;
  Add(named, name);
  Add(named, state, Msg::LengthNameEnd);
  AddScientific(second, static_cast<double>(kMaxDatasetLength));
  Add(second, state, Msg::StampEnd);
  WriteConsoleLine(state, first);
  WriteConsoleLine(state, second);
  SayConsole(state, Msg::LengthNotModified);
  Line log;
  AddFramed(log, state, Msg::LengthErrorBegin, name, Msg::LengthErrorEnd);
  WriteLogLine(state, log);
}

// Transforms `length` bytes of whole blocks at `offset` and writes them back
// at the same offsets, a chunk of the run's buffer at a time.
bool TransformWholeBlocks(RunState& state, platform::DatasetFile& file, std::uint64_t length) {
  for (std::uint64_t offset = 0; offset < length;) {
    const std::size_t size = static_cast<std::size_t>(
        std::min<std::uint64_t>(length - offset, sizeof state.processingChunk));
    if (!platform::ReadDatasetAt(file, offset, state.processingChunk, size)) {
      return false;
    }
    for (std::size_t block = 0; block < size; block += kBlockLength) {
      cipher::TransformBlock(state.cipher, state.processingChunk + block, kBlockLength);
    }
    if (!platform::WriteDatasetAt(file, offset, state.processingChunk, size)) {
      return false;
    }
    offset += size;
    ShowProgress(state, offset, length);
  }
  return true;
}

// The last block joins the partial block with the whole block before it, so
// that it holds 513 to 1023 bytes; a dataset shorter than a block is one
// block of its own length.
bool TransformDataset(RunState& state, platform::DatasetFile& file, std::uint64_t length) {
  std::uint64_t whole = length / kBlockLength * kBlockLength;
  std::uint64_t tail = length - whole;
  if (tail > 0 && whole > 0) {
    whole -= kBlockLength;
    tail += kBlockLength;
  }
  if (!TransformWholeBlocks(state, file, whole)) {
    return false;
  }
  if (tail == 0) {
    return true;
  }
  const auto tailSize = static_cast<std::size_t>(tail);
  if (!platform::ReadDatasetAt(file, whole, state.processingChunk, tailSize)) {
    return false;
  }
  cipher::TransformBlock(state.cipher, state.processingChunk, static_cast<int>(tailSize));
  return platform::WriteDatasetAt(file, whole, state.processingChunk, tailSize);
}

}  // namespace

void ReportMissingDataset(RunState& state, const char* name) {
  ReportNameLine(state, name, Msg::DatasetNotExistingEnd, false);
  SayConsole(state, Msg::DatasetItemIgnored);
}

void ProcessDataset(RunState& state, const char* name) {
  platform::DatasetFile file;
  // Opening checks all that DatasetExists checks: a regular file this process
  // may write.
  if (!platform::OpenDataset(file, name)) {
    ReportMissingDataset(state, name);
    return;
  }
  Line announcement;
  AddFramed(announcement, state, Msg::DatasetBegin, name, Msg::DatasetInProgressEnd);
  OpenProgressLine(state, announcement);
  std::uint64_t length = 0;
  bool complete = platform::DatasetLength(file, length);
  if (complete && length > kMaxDatasetLength) {
    (void)platform::CloseDataset(file);
    ReportTooLong(state, name, length);
    return;
  }
  if (!state.cipher.oneUnit) {
    cipher::ResetCipher(state.cipher);
  }
  complete = complete && TransformDataset(state, file, length);
  complete = platform::CloseDataset(file) && complete;
  if (!complete) {
    ReportNameLine(state, name, Msg::DatasetIncompleteEnd, true);
    return;
  }
  state.datasetCount += 1;
  state.byteCount += static_cast<double>(length);
  ReportNameLine(state, name, state.cipher.encode ? Msg::DatasetEncodedEnd : Msg::DatasetDecodedEnd, true);
}

}  // namespace dialog
