#include <algorithm>

#include "dialog/output.h"
#include "dialog/processing.h"
#include "dialog/progress.h"
#include "platform/dataset_file.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"

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
  AddName(named, name);
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

// Reads `size` bytes at `offset`, transforms them in blocks of `block` bytes
// and writes them back at the same offset; `done` becomes the end of what was
// written. False when a second interrupt asks to stop here, or a read or
// write failed.
bool RewriteChunk(RunState& state, platform::DatasetFile& file, std::uint64_t offset,
                  std::size_t size, std::size_t block, std::uint64_t& done) {
  if (platform::StopRequested() ||
      !platform::ReadDatasetAt(file, offset, state.processingChunk, size)) {
    return false;
  }
  for (std::size_t start = 0; start < size; start += block) {
    cipher::TransformBlock(state.cipher, state.processingChunk + start, static_cast<int>(block));
  }
  const std::size_t written = platform::WriteDatasetAt(file, offset, state.processingChunk, size);
  done = offset + written;
  return written == size;
}

// Whole blocks go through the run's chunk. The last block joins the partial
// block with the whole block before it, so that it holds 513 to 1023 bytes; a
// dataset shorter than a block is one block of its own length. `done` tells
// how far the dataset is rewritten, also when it fails part-way.
bool TransformDataset(RunState& state, platform::DatasetFile& file, std::uint64_t length,
                      std::uint64_t& done) {
  std::uint64_t whole = length / kBlockLength * kBlockLength;
  std::uint64_t tail = length - whole;
  if (tail > 0 && whole > 0) {
    whole -= kBlockLength;
    tail += kBlockLength;
  }
  for (std::uint64_t offset = 0; offset < whole;) {
    const auto size = static_cast<std::size_t>(
        std::min<std::uint64_t>(whole - offset, sizeof state.processingChunk));
    if (!RewriteChunk(state, file, offset, size, kBlockLength, done)) {
      return false;
    }
    offset += size;
    ShowProgress(state, offset, whole);
  }
  const auto tailSize = static_cast<std::size_t>(tail);
  return tail == 0 || RewriteChunk(state, file, whole, tailSize, tailSize, done);
}

// Whoever repairs the dataset needs to know where the transformed part ends.
void ReportIncomplete(RunState& state, const char* name, std::uint64_t done) {
  ReportNameLine(state, name, Msg::DatasetIncompleteEnd, true);
  Line line;
  Add(line, state, Msg::IncompleteBytesBegin);
  AddNumber(line, static_cast<long long>(done));
  Add(line, state, Msg::IncompleteBytesEnd);
  WriteBothLine(state, line);
}

bool IsNeverProcessed(const RunState& state, const platform::FileIdentity& identity) {
  for (const platform::FileIdentity& skipped : state.skipIdentities) {
    if (platform::SameFile(identity, skipped)) {
      return true;
    }
  }
  return false;
}

// The file may not be processed: one of the files the program itself reads
// or writes, or one processed in this run already. Reports it.
bool PassOver(RunState& state, const platform::FileIdentity& identity, const char* name) {
  if (IsNeverProcessed(state, identity)) {
    ReportIgnoredDataset(state, name);
    return true;
  }
  if (WasProcessed(state.processed, identity)) {
    ReportNameLine(state, name, Msg::DatasetAlreadyProcessedEnd, true);
    return true;
  }
  return false;
}

}  // namespace

// In the log too: the log of a run must name every dataset it left as it was.
void ReportMissingDataset(RunState& state, const char* name) {
  ReportNameLine(state, name, Msg::DatasetNotExistingEnd, true);
  SayBoth(state, Msg::DatasetItemIgnored);
}

void ReportIgnoredDataset(RunState& state, const char* name) {
  ReportNameLine(state, name, Msg::DatasetIgnoredEnd, false);
}

void ProcessDataset(RunState& state, const char* name, bool followLink) {
  platform::DatasetFile file;
  // Opening checks all that DatasetExists checks: a regular file this process
  // may write.
  if (!platform::OpenDataset(file, name, followLink)) {
    ReportMissingDataset(state, name);
    return;
  }
  platform::FileIdentity identity;
  platform::IdentifyOpenFile(file.handle, identity);
  if (PassOver(state, identity, name)) {
    (void)platform::CloseDataset(file);
    return;
  }
  // In the log before the dataset is touched, so that even the log of a
  // killed run names the dataset that may be half transformed.
  Line announcement;
  AddFramed(announcement, state, Msg::DatasetBegin, name, Msg::DatasetInProgressEnd);
  OpenProgressLine(state, announcement);
  WriteLogLine(state, announcement);
  std::uint64_t length = 0;
  bool complete = platform::DatasetLength(file, length);
  if (complete && length > kMaxDatasetLength) {
    (void)platform::CloseDataset(file);
    ReportTooLong(state, name, length);
    return;
  }
  if (!NoteProcessed(state.processed, identity)) {
    // Without room to remember the file it could be processed twice: the run
    // ends here, as after an interrupt.
    (void)platform::CloseDataset(file);
    ReportIncomplete(state, name, 0);
    state.interrupted = true;
    return;
  }
  if (!state.cipher.oneUnit) {
    cipher::ResetCipher(state.cipher);
  }
  std::uint64_t done = 0;
  complete = complete && TransformDataset(state, file, length, done);
  // A dataset that grew or shrank meanwhile is not what was transformed.
  std::uint64_t lengthAfter = 0;
  complete = complete && platform::DatasetLength(file, lengthAfter) && lengthAfter == length;
  complete = platform::CloseDataset(file) && complete;
  if (!complete) {
    ReportIncomplete(state, name, done);
    return;
  }
  state.datasetCount += 1;
  state.byteCount += static_cast<double>(length);
  ReportNameLine(state, name, state.cipher.encode ? Msg::DatasetEncodedEnd : Msg::DatasetDecodedEnd, true);
}

}  // namespace dialog
