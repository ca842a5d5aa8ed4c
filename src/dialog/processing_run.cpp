#include <array>

#include "dialog/output.h"
#include "dialog/processing.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/path_text.h"
#include "platform/stamps.h"
#include "platform/text_dataset.h"
#include "platform/walk.h"

namespace dialog {

namespace {

constexpr int kBytesWidth = 15;
constexpr int kDatasetsWidth = 8;
constexpr int kDirectoriesWidth = 6;

// What the enumeration needs besides the run: the directory being searched
// and, in mode 2, the open list dataset.
struct Enumeration {
  RunState* state;
  ShortText walkDirectory;  // absolute path of the directory searched
  ShortText pattern;        // name part, wild cards allowed
  platform::TextDataset list;
  bool matched = false;     // the last dataset loop found at least one entry
};

void WriteStamp(RunState& state, Msg label) {
  const platform::LocalTime now = platform::ReadLocalTime();
  ShortText date;
  ShortText time;
  platform::DateText(now, state.Language, date);
  platform::TimeText(now, time);
  Line line;
  Add(line, state, label);
  Add(line, platform::View(date));
  Add(line, state, Msg::StampSeparator);
  Add(line, platform::View(time));
  Add(line, state, Msg::StampEnd);
  WriteBothLine(state, line);
}

void WriteStatistics(RunState& state) {
  Line line;
  AddWholeNumber(line, state.byteCount, kBytesWidth);
  Add(line, state, Msg::BytesIn);
  AddWholeNumber(line, state.datasetCount, kDatasetsWidth);
  if (state.directoryCount == 0) {
    Add(line, state, Msg::DatasetsProcessed);
  } else {
    Add(line, state, Msg::DatasetsIn);
    AddWholeNumber(line, state.directoryCount, kDirectoriesWidth);
    Add(line, state, Msg::DirectoriesProcessed);
  }
  WriteBothLine(state, line);
}

// The program, the log and the list, key and overlay datasets, in the order
// of `skipIdentities`.
std::array<const ShortText*, kSkipNameCount> SkipPaths(const RunState& state) {
  return {&state.ProgramPath, &state.ControlLogPath, &state.ListDatasetPath, &state.KeyDatasetName,
          &state.OverlayDatasetName};
}

// These datasets are never processed: neither under their full path nor
// through another name (a link) for the same file. The log and the list are
// open, so their identity comes from the open file, whatever their names.
void NoteSkipIdentities(RunState& state, const Enumeration& run) {
  const auto paths = SkipPaths(state);
  for (int i = 0; i < kSkipNameCount; ++i) {
    platform::IdentifyFile(paths[i]->chars, state.skipIdentities[i]);
  }
  platform::IdentifyOpenFile(state.ControlLog.handle, state.skipIdentities[1]);
  platform::IdentifyOpenFile(run.list.file.handle, state.skipIdentities[2]);
}

bool IsSkipped(const RunState& state, const ShortText& fullPath, const char* name) {
  const auto paths = SkipPaths(state);
  platform::FileIdentity identity;
  platform::IdentifyFile(name, identity);
  for (int i = 0; i < kSkipNameCount; ++i) {
    if ((paths[i]->length > 0 && *paths[i] == fullPath) ||
        platform::SameFile(identity, state.skipIdentities[i])) {
      return true;
    }
  }
  return false;
}

void ReportIgnored(RunState& state, const char* name) {
  Line line;
  AddFramed(line, state, Msg::DatasetBegin, name, Msg::DatasetIgnoredEnd);
  WriteConsoleLine(state, line);
}

// The datasets of the current directory that match the pattern, in the
// search's order. False when an interrupt ends the enumeration.
bool DatasetLoop(Enumeration& run) {
  RunState& state = *run.state;
  platform::SearchRecord search;
  bool found = platform::FindFirstEntry(search, run.pattern.chars, platform::kPlainDatasets);
  run.matched = found;
  while (found && !state.interrupted) {
    ShortText fullPath;
    (void)platform::JoinPath(platform::View(run.walkDirectory), platform::View(search.name), fullPath);
    if (IsSkipped(state, fullPath, search.name.chars)) {
      ReportIgnored(state, search.name.chars);
    } else {
      ProcessDataset(state, search.name.chars);
    }
    state.interrupted = platform::InterruptRequested() || state.logWriteFailed;
    found = !state.interrupted && platform::FindNextEntry(search);
  }
  platform::CloseSearch(search);
  return !state.interrupted;
}

void WriteSubdirectoryLine(RunState& state, const ShortText& directory) {
  Line line;
  AddFramed(line, state, Msg::SubdirectoryBegin, platform::View(directory), Msg::SubdirectoryEnd);
  WriteBothLine(state, line);
}

bool VisitDatasets(void* context) { return DatasetLoop(*static_cast<Enumeration*>(context)); }

bool EnteredDirectory(void* context, const ShortText& directory) {
  Enumeration& run = *static_cast<Enumeration*>(context);
  run.walkDirectory = directory;
  run.state->directoryCount += 1;
  WriteSubdirectoryLine(*run.state, directory);
  return true;
}

// Changes into the directory of `path` and takes its name part as the
// pattern; false when the directory cannot be entered.
bool EnterDirectoryOf(Enumeration& run, const char* path) {
  ShortText directory;
  if (!platform::SplitPathExactly(path, directory, run.pattern) ||
      !platform::ChangeDirectory(directory.chars)) {
    return false;
  }
  run.walkDirectory = directory;
  return true;
}

// Prepares the selection; false when there is nothing to enumerate.
bool PrepareSelection(Enumeration& run) {
  RunState& state = *run.state;
  switch (state.SelectionMode) {
    case 1:
      return EnterDirectoryOf(run, state.SelectionText.chars);
    case 2: {
      (void)platform::FullPath(state.SelectionText.chars, state.ListDatasetPath);
      return platform::OpenTextDataset(run.list, state.SelectionText.chars) &&
             platform::PeekDatasetByte(run.list) >= 0;
    }
    default: {
      const bool entered = platform::ChangeDirectory(state.SelectionDirectory.chars) &&
                           platform::CurrentDirectory(run.walkDirectory);
      state.directoryCount += 1;
      platform::Assign(run.pattern, "*.*");
      return entered;
    }
  }
}

// Each line of the list names datasets as in mode 1; everything from its
// first blank on is a remark. Relative names count from the directory of
// the line before. A line whose directory cannot be entered is reported and
// skipped instead of being searched in the wrong directory, and a line that
// names no dataset at all is reported too: the user listed it for a reason.
void EnumerateList(Enumeration& run) {
  RunState& state = *run.state;
  ShortText line;
  while (!state.interrupted && platform::ReadDatasetLine(run.list, line)) {
    const std::string_view text = platform::View(line);
    ShortText entry;
    platform::Assign(entry, text.substr(0, text.find(' ')));
    if (entry.length == 0) {
      continue;
    }
    if (!EnterDirectoryOf(run, entry.chars)) {
      ReportMissingDataset(state, entry.chars);
      continue;
    }
    DatasetLoop(run);
    if (!run.matched) {
      ReportMissingDataset(state, entry.chars);
    }
  }
}

void Enumerate(Enumeration& run) {
  RunState& state = *run.state;
  switch (state.SelectionMode) {
    case 2:
      EnumerateList(run);
      break;
    case 4: {
      WriteSubdirectoryLine(state, run.walkDirectory);
      const platform::WalkVisitor visitor{VisitDatasets, EnteredDirectory, &run};
      platform::WalkDirectory(visitor);
      break;
    }
    default:
      DatasetLoop(run);
      break;
  }
}

}  // namespace

Flow RunProcessing(RunState& state) {
  platform::DiscardTypeAhead(state.console);
  EmptyLogLine(state);
  WriteStamp(state, Msg::BeginStamp);
  platform::DeferInterrupts();
  Enumeration run{&state, {}, {}, {}};
  const bool found = PrepareSelection(run);
  NoteSkipIdentities(state, run);
  cipher::PrepareKey(state.cipher, state.InitialKey + 1, platform::kBaseTable,
                     state.StartupScreenCopy + platform::kExcerptOffset);
  if (state.cipher.oneUnit) {
    cipher::ResetCipher(state.cipher);
  }
  if (found) {
    Enumerate(run);
  }
  platform::CloseTextDataset(run.list);
  (void)platform::ChangeDirectory(state.StartDirectory.chars);
  platform::RestoreInterrupts();
  WriteStatistics(state);
  WriteStamp(state, Msg::EndStamp);
  if (state.interrupted) {
    return Terminate(state);
  }
  return Flow::Go;
}

}  // namespace dialog
