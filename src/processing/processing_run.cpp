#include <array>
#include <new>
#include <string>

#include "dialog/output.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/path_text.h"
#include "platform/stamps.h"
#include "platform/text_dataset.h"
#include "platform/walk.h"
#include "processing/processed_files.h"
#include "processing/processing.h"
#include "processing/schedule_ahead.h"

namespace dialog {

namespace {

constexpr int kBytesWidth = 15;
constexpr int kDatasetsWidth = 8;
constexpr int kDirectoriesWidth = 6;

// What the enumeration needs besides the run: the directory being searched
// and, in mode 2, the open list dataset.
struct Enumeration {
  RunState* state;
  // The path of the directory searched: its absolute path, or where that is
  // longer than the platform can name, the path by which it was entered.
  std::string walkDirectory;
  PathText pattern;          // name part, wild cards allowed
  platform::TextDataset list;
  platform::ListCharset listCharset = platform::ListCharset::Unmarked;  // by its byte-order mark
  bool matched = false;      // the last dataset loop found at least one entry
  bool searchFailed = false; // the last dataset loop could not read its directory
  bool announcePending = false;  // the directory searched is still to be announced
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
std::array<const PathText*, kSkipNameCount> SkipPaths(const RunState& state) {
  return {&state.ProgramPath, &state.ControlLogPath, &state.ListDatasetPath, &state.KeyDatasetName,
          &state.OverlayDatasetName};
}

// These datasets are never processed: neither under their full path nor
// through another name for the same file. The log and the list are open, so
// their identity comes from the open file, whatever their names; so does the
// identity of the console's input and output, which may be redirected to a
// file inside the selection.
void NoteSkipIdentities(RunState& state, const Enumeration& run) {
  const auto paths = SkipPaths(state);
  for (int i = 0; i < kSkipNameCount; ++i) {
    platform::IdentifyFile(paths[i]->chars, state.skipIdentities[i]);
  }
  platform::IdentifyOpenFile(state.ControlLog.handle, state.skipIdentities[1]);
  platform::IdentifyOpenFile(run.list.file.handle, state.skipIdentities[2]);
  platform::IdentifyOpenFile(state.console.input, state.skipIdentities[kSkipNameCount]);
  platform::IdentifyOpenFile(state.console.output, state.skipIdentities[kSkipNameCount + 1]);
}

// The identities are compared when the dataset is open (ProcessDataset).
bool IsSkippedPath(const RunState& state, std::string_view directory, const char* name) {
  PathText fullPath;
  if (!platform::JoinPath(directory, name, fullPath)) {
    return false;  // longer than any path the program was given
  }
  for (const PathText* path : SkipPaths(state)) {
    if (path->length > 0 && *path == fullPath) {
      return true;
    }
  }
  return false;
}

// True when the enumeration must end before the next dataset, directory or
// list line: an interrupt arrived (it takes effect at once where no dataset
// is in hand), a dataset of a unit was cut short, or the log or the memory
// failed.
bool EnumerationEnds(RunState& state) {
  state.interrupted = state.interrupted || platform::InterruptRequested();
  return state.interrupted || state.runEnds || state.logWriteFailed;
}

// Its datasets are left as they were.
void ReportDirectoryNotEntered(RunState& state, std::string_view directory) {
  NoteExitStatus(state, ExitStatus::DatasetsLeft);
  WriteFramedBothLine(state, Msg::DirectoryBegin, directory, Msg::DirectoryNotEnteredEnd);
}

void WriteSubdirectoryLine(RunState& state, std::string_view directory) {
  WriteFramedBothLine(state, Msg::SubdirectoryBegin, directory, Msg::SubdirectoryEnd);
}

// Announces the directory being searched, when that is still to be done.
void AnnounceDirectory(Enumeration& run) {
  if (run.announcePending) {
    run.announcePending = false;
    WriteSubdirectoryLine(*run.state, run.walkDirectory);
  }
}

Msg LeftOutEnd(platform::LeftOutReason reason) {
  switch (reason) {
    case platform::LeftOutReason::Link:
      return Msg::LeftOutLinkEnd;
    case platform::LeftOutReason::System:
      return Msg::LeftOutSystemEnd;
    default:
      return Msg::LeftOutHiddenEnd;
  }
}

// Hidden and system datasets and links are left out as always, but the log
// names each one: nothing is left as it was without a word. (A directory is
// no dataset; the walk tells the subdirectories it leaves out.)
void TellLeftOutDataset(void* context, std::string_view name, std::uint8_t attributes,
                        platform::LeftOutReason reason) {
  Enumeration& run = *static_cast<Enumeration*>(context);
  if ((attributes & platform::kDirectory) == 0) {
    AnnounceDirectory(run);
    WriteFramedLogLine(*run.state, Msg::DatasetBegin, name, LeftOutEnd(reason));
  }
}

void TellLeftOutSubdirectory(void* context, std::string_view name, platform::LeftOutReason reason) {
  WriteFramedLogLine(*static_cast<Enumeration*>(context)->state, Msg::LeftOutSubdirectoryBegin, name,
                     LeftOutEnd(reason));
}

// The datasets of the current directory that match the pattern, in the
// search's order. A dataset found by wild cards is never reached through a
// link. A directory whose entries cannot be read is reported; one that can
// is announced first when `announce` is set. False when the enumeration
// ends (EnumerationEnds), also before the search.
bool DatasetLoop(Enumeration& run, bool announce) {
  RunState& state = *run.state;
  if (EnumerationEnds(state)) {
    return false;
  }
  const bool followLinks = !platform::HasWildcard(platform::View(run.pattern));
  platform::SearchRecord search;
  search.leftOut = TellLeftOutDataset;
  search.leftOutContext = &run;
  run.announcePending = announce;
  bool found = platform::FindFirstEntry(search, run.pattern.chars, platform::kPlainDatasets);
  run.matched = found;
  run.searchFailed = search.failed;
  if (search.failed) {
    ReportDirectoryNotEntered(state, run.walkDirectory);
  } else {
    AnnounceDirectory(run);
  }
  bool ends = false;
  while (found && !ends) {
    if (IsSkippedPath(state, run.walkDirectory, search.name.chars)) {
      ReportIgnoredDataset(state, search.name.chars);
    } else {
      ProcessDataset(state, search.name.chars, followLinks);
    }
    ends = EnumerationEnds(state);
    found = !ends && platform::FindNextEntry(search);
  }
  platform::CloseSearch(search);
  return !EnumerationEnds(state);
}

// A directory of the tree: announced and counted where it can be read (the
// selected directory was counted when the selection was prepared).
bool VisitDirectory(void* context, std::string_view, bool subdirectory) {
  Enumeration& run = *static_cast<Enumeration*>(context);
  if (EnumerationEnds(*run.state)) {
    return false;  // neither announced nor counted
  }
  const bool goOn = DatasetLoop(run, true);
  if (subdirectory && !run.searchFailed) {
    run.state->directoryCount += 1;
  }
  return goOn;
}

void CannotEnter(void* context, std::string_view directory) {
  ReportDirectoryNotEntered(*static_cast<Enumeration*>(context)->state, directory);
}

// The walk directory after a change of directory: the absolute path of the
// current directory where it can be learned, otherwise `enteredBy`.
void LearnWalkDirectory(Enumeration& run, std::string_view enteredBy) {
  PathText current;
  if (platform::CurrentDirectory(current)) {
    run.walkDirectory.assign(platform::View(current));
  } else {
    // clear and append rather than assign: GCC 12 at -O3 warns of an overlap
    // in assign's inlined replace that cannot happen (a false -Wrestrict).
    run.walkDirectory.clear();
    run.walkDirectory.append(enteredBy);
  }
}

// Changes into the directory part of `path` (relative to the current
// directory) and takes its name part as the pattern; false when the
// directory cannot be entered or `path` was cut.
bool EnterDirectoryOf(Enumeration& run, const PathText& path) {
  PathText directoryPart;
  if (path.cut || !platform::SplitPathText(platform::View(path), directoryPart, run.pattern)) {
    return false;
  }
  if (directoryPart.length == 0) {
    LearnWalkDirectory(run, ".");
    return true;
  }
  if (!platform::ChangeDirectory(directoryPart.chars)) {
    return false;
  }
  LearnWalkDirectory(run, platform::View(directoryPart));
  return true;
}

// One name, wild cards allowed, as mode 1 gives it and as each line of a
// list does. An item whose directory cannot be entered, or that names no
// dataset at all, is reported: the user named it for a reason.
void EnumerateItem(Enumeration& run, const PathText& item) {
  RunState& state = *run.state;
  if (!EnterDirectoryOf(run, item)) {
    ReportMissingDataset(state, item);
    return;
  }
  if (!DatasetLoop(run, false)) {
    return;
  }
  if (!run.matched && !run.searchFailed) {
    ReportMissingDataset(state, item);
  }
}

// Where the run cannot get its memory it says so and ends; the rest of the
// selection is left.
void ReportNoMemory(RunState& state) {
  NoteExitStatus(state, ExitStatus::DatasetsLeft);
  SayBoth(state, Msg::NotEnoughMemory);
  state.runEnds = true;
}

// Room for any path the platform names, so that the path of the directory in
// hand grows only in a tree deeper than that. Without it the run processes
// nothing and ends.
bool ReserveWalkDirectory(Enumeration& run) {
  RunState& state = *run.state;
  try {
    run.walkDirectory.reserve(platform::kPathTextCapacity + 1);
  } catch (const std::bad_alloc&) {
    ReportNoMemory(state);
    SayBoth(state, Msg::NoDatasetsProcessed);
    return false;
  }
  return true;
}

// Prepares the selection; false when there is nothing to enumerate.
bool PrepareSelection(Enumeration& run) {
  RunState& state = *run.state;
  switch (state.SelectionMode) {
    case 1:
      return true;
    case 2:
      (void)platform::FullPath(state.SelectionText.chars, state.ListDatasetPath);
      if (!platform::OpenTextDataset(run.list, state.SelectionText.chars)) {
        // The list is gone since question 3: none of its datasets is processed.
        NoteExitStatus(state, ExitStatus::DatasetsLeft);
        return false;
      }
      run.listCharset = platform::TakeByteOrderMark(run.list);
      return platform::PeekDatasetByte(run.list) >= 0;
    default:
      state.directoryCount += 1;
      platform::Assign(run.pattern, "*.*");
      if (!platform::ChangeDirectory(state.SelectionDirectory.chars)) {
        ReportDirectoryNotEntered(state, platform::View(state.SelectionDirectory));
        return false;
      }
      LearnWalkDirectory(run, platform::View(state.SelectionDirectory));
      return true;
  }
}

// Each line of the list names datasets as in mode 1; everything from its
// first blank on is a remark. Relative names count from the directory of
// the line before. A line too long to be held names nothing, unless its
// name ends before the cut.
void EnumerateList(Enumeration& run) {
  RunState& state = *run.state;
  PathText line;
  while (!EnumerationEnds(state) &&
         platform::ReadListLine(run.list, run.listCharset, platform::kNativeUnmarkedLines, line)) {
    const std::string_view text = platform::View(line);
    const std::size_t blank = text.find(' ');
    PathText entry;
    platform::Assign(entry, text.substr(0, blank));
    entry.cut = line.cut && blank == std::string_view::npos;
    if (entry.length > 0) {
      EnumerateItem(run, entry);
    }
  }
}

void Enumerate(Enumeration& run) {
  RunState& state = *run.state;
  switch (state.SelectionMode) {
    case 1:
      EnumerateItem(run, state.SelectionText);
      break;
    case 2:
      EnumerateList(run);
      break;
    case 4: {
      const platform::WalkVisitor visitor{VisitDirectory, CannotEnter, &run, TellLeftOutSubdirectory};
      if (platform::WalkDirectory(visitor, run.walkDirectory) == platform::WalkEnd::NoMemory) {
        ReportNoMemory(state);
      }
      break;
    }
    default:
      DatasetLoop(run, false);
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
  const bool found = ReserveWalkDirectory(run) && PrepareSelection(run);
  NoteSkipIdentities(state, run);
  cipher::PrepareKey(state.cipher, state.InitialKey + 1, platform::kBaseTable,
                     state.StartupScreenCopy + platform::kExcerptOffset);
  if (state.cipher.oneUnit) {
    cipher::ResetCipher(state.cipher);
  }
  if (found) {
    StartScheduleAhead(state);
    Enumerate(run);
    StopScheduleAhead(state);
  }
  if (run.list.failed) {
    // The datasets named after the line that could not be read are left.
    NoteExitStatus(state, ExitStatus::DatasetsLeft);
  }
  const bool ended = EnumerationEnds(state);
  if (state.interrupted) {
    NoteExitStatus(state, ExitStatus::Interrupted);
  }
  platform::CloseTextDataset(run.list);
  ReleaseProcessed(state.processed);
  (void)platform::ChangeDirectory(state.StartDirectory.chars);
  platform::RestoreInterrupts();
  WriteStatistics(state);
  WriteStamp(state, Msg::EndStamp);
  return ended ? Terminate(state) : Flow::Go;
}

}  // namespace dialog
