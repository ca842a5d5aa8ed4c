#include <algorithm>
#include <chrono>

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
  NoteExitStatus(state, ExitStatus::DatasetsLeft);
  const bool english = state.Language == kEnglish;
  Line first;
  Add(first, state, Msg::LengthOf);
  AddScientific(first, static_cast<double>(length));
  Add(first, state, Msg::LengthOfDataset);
  Line second;
  Add(second, state, Msg::LengthSecondLine);
  Line& named = english ? first : second;
  AddName(named, state, name);
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
  cipher::TransformBlocks(state.cipher, state.processingChunk, chunk.blockLength,
                          static_cast<int>(chunk.size / static_cast<std::size_t>(chunk.blockLength)));
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

std::int64_t ReadChunkClock(const RunState& state, bool withHelper) {
  if (state.chunkClock != nullptr) {
    return state.chunkClock(withHelper);
  }
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Every chunk in file order, with the progress figure after each chunk of
// whole blocks. With `helperAtHand`, each chunk goes to the helper thread or
// not as ThreadChoice decides, and is timed for it; the helper takes over
// from the state after the chunk before. `done` tells how far the dataset is
// rewritten, also when it fails part-way.
bool RewriteChunks(RunState& state, platform::DatasetFile& file, std::uint64_t length,
                   bool helperAtHand, std::uint64_t& done) {
  const std::uint64_t whole = WholeBlockBytes(length);
  bool helperAtWork = false;
  bool complete = true;
  Chunk previous;
  Chunk chunk;
  while (complete && NextChunk(length, chunk)) {
    const bool withHelper = helperAtHand && HelperPays(ChoiceOf(*state.ahead));
    if (withHelper && !helperAtWork) {
      BeginAheadDataset(*state.ahead, state.cipher, length, state.processingChunk, previous);
    } else if (!withHelper && helperAtWork) {
      EndAheadDataset(*state.ahead);
    }
    helperAtWork = withHelper;
    const std::int64_t start = ReadChunkClock(state, withHelper);
    complete = RewriteChunk(state, file, chunk, withHelper, done);
    if (complete && helperAtHand) {
      NoteChunkTime(ChoiceOf(*state.ahead), withHelper, chunk.size,
                    ReadChunkClock(state, withHelper) - start);
    }
    if (complete && chunk.offset < whole) {
      ShowProgress(state, chunk.offset + chunk.size, whole);
    }
    previous = chunk;
  }
  if (helperAtWork) {
    EndAheadDataset(*state.ahead);
  }
  return complete;
}

// A shorter dataset is transformed block by block: handing it to the helper
// thread would take longer than its work.
constexpr std::uint64_t kShortestAhead = 64 * 1024;

bool TransformDataset(RunState& state, platform::DatasetFile& file, std::uint64_t length,
                      std::uint64_t& done) {
  const bool helperAtHand = state.ahead != nullptr && length >= kShortestAhead;
  return RewriteChunks(state, file, length, helperAtHand, done);
}

// Whoever repairs the dataset needs to know where the transformed part ends.
// In a unit the run ends here: the datasets after it would start from a
// state that no decoding of the selection reaches.
void ReportIncomplete(RunState& state, const char* name, std::uint64_t done) {
  NoteExitStatus(state, ExitStatus::DatasetsLeft);
  ReportNameLine(state, name, Msg::DatasetIncompleteEnd, true);
  Line line;
  Add(line, state, Msg::IncompleteBytesBegin);
  AddNumber(line, static_cast<long long>(done));
  Add(line, state, Msg::IncompleteBytesEnd);
  WriteBothLine(state, line);
  if (state.cipher.oneUnit) {
    SayBoth(state, Msg::UnitEndsHere);
    state.runEnds = true;
  }
}

// The dataset announced is closed untouched and the run ends; the line
// before says why. (A log that failed takes no more lines.)
void LeaveUntouchedAndEnd(RunState& state, platform::DatasetFile& file, const char* name) {
  NoteExitStatus(state, ExitStatus::DatasetsLeft);
  (void)platform::CloseDataset(file);
  ReportNameLine(state, name, Msg::LengthErrorEnd, true);  // "... will  n o t  be modified."
  state.runEnds = true;
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
void ReportMissingDataset(RunState& state, const PathText& item) {
  NoteExitStatus(state, ExitStatus::DatasetsLeft);
  Line line;
  AddFramed(line, state, Msg::DatasetBegin, item, Msg::DatasetNotExistingEnd);
  WriteBothLine(state, line);
  SayBoth(state, Msg::DatasetItemIgnored);
}

void ReportMissingDataset(RunState& state, const char* name) {
  PathText item;
  platform::Assign(item, name);
  ReportMissingDataset(state, item);
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
  if (state.logWriteFailed) {
    // The log is the record of what was done: nothing it does not name is
    // touched. Its failure was said on the console.
    LeaveUntouchedAndEnd(state, file, name);
    return;
  }
  std::uint64_t length = 0;
  bool complete = platform::DatasetLength(file, length);
  if (complete && length > kMaxDatasetLength) {
    (void)platform::CloseDataset(file);
    ReportTooLong(state, name, length);
    return;
  }
  if (!NoteProcessed(state.processed, identity)) {
    // Without room to remember the file it could be processed twice.
    SayBoth(state, Msg::NotEnoughMemory);
    LeaveUntouchedAndEnd(state, file, name);
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
