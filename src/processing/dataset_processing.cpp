#include <algorithm>

#include "dialog/output.h"
#include "dialog/progress.h"
#include "platform/dataset_file.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "processing/processed_files.h"
#include "processing/processing.h"
#include "processing/schedule_ahead.h"

namespace dialog {

namespace {

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

// Transforms the chunk read into the run's chunk buffer, by the helper
// thread's schedules or block by block.
void TransformChunk(RunState& state, const Chunk& chunk, bool ahead) {
  if (ahead) {
    TransformChunkAhead(*state.ahead, chunk.size, state.cipher);
    return;
  }
  for (std::size_t start = 0; start < chunk.size; start += static_cast<std::size_t>(chunk.blockLength)) {
    cipher::TransformBlock(state.cipher, state.processingChunk + start, chunk.blockLength);
  }
}

// Reads the chunk, transforms it and writes it back at the same offset;
// `done` becomes the end of what was written. False when a second interrupt
// asks to stop here, or a read or write failed.
bool RewriteChunk(RunState& state, platform::DatasetFile& file, const Chunk& chunk, bool ahead,
                  std::uint64_t& done) {
  if (platform::StopRequested() ||
      !platform::ReadDatasetAt(file, chunk.offset, state.processingChunk, chunk.size)) {
    return false;
  }
  TransformChunk(state, chunk, ahead);
  const std::size_t written = platform::WriteDatasetAt(file, chunk.offset, state.processingChunk, chunk.size);
  done = chunk.offset + written;
  return written == chunk.size;
}

// Every chunk in file order, with the progress figure after each chunk of
// whole blocks. `done` tells how far the dataset is rewritten, also when it
// fails part-way.
bool RewriteChunks(RunState& state, platform::DatasetFile& file, std::uint64_t length, bool ahead,
                   std::uint64_t& done) {
  const std::uint64_t whole = WholeBlockBytes(length);
  Chunk chunk;
  while (NextChunk(length, chunk)) {
    if (!RewriteChunk(state, file, chunk, ahead, done)) {
      return false;
    }
    if (chunk.offset < whole) {
      ShowProgress(state, chunk.offset + chunk.size, whole);
    }
  }
  return true;
}

// A shorter dataset is transformed block by block: handing it to the helper
// thread would take longer than its work.
constexpr std::uint64_t kShortestAhead = 64 * 1024;

bool TransformDataset(RunState& state, platform::DatasetFile& file, std::uint64_t length,
                      std::uint64_t& done) {
  const bool ahead = state.ahead != nullptr && length >= kShortestAhead;
  if (!ahead) {
    return RewriteChunks(state, file, length, false, done);
  }
  BeginAheadDataset(*state.ahead, state.cipher, length, state.processingChunk);
  const bool complete = RewriteChunks(state, file, length, true, done);
  EndAheadDataset(*state.ahead);
  return complete;
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

std::uint64_t WholeBlockBytes(std::uint64_t length) {
  const std::uint64_t whole = length / kBlockLength * kBlockLength;
  return whole > 0 && whole < length ? whole - kBlockLength : whole;
}

bool NextChunk(std::uint64_t length, Chunk& chunk) {
  const std::uint64_t whole = WholeBlockBytes(length);
  const std::uint64_t next = chunk.offset + chunk.size;
  if (next < whole) {
    chunk = {next, static_cast<std::size_t>(std::min<std::uint64_t>(whole - next, kChunkBytes)),
             static_cast<int>(kBlockLength)};
    return true;
  }
  if (next == whole && whole < length) {
    chunk = {whole, static_cast<std::size_t>(length - whole), static_cast<int>(length - whole)};
    return true;
  }
  return false;
}

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
