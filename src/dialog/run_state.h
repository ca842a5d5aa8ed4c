#pragma once
// RunState: the one record of a run, created at start and alive until the end.
// Every phase of the dialog and the processing run reads and writes its fields.

#include <cstddef>
#include <cstdint>

#include "cipher/cipher_state.h"
#include "platform/console.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/intro_screen.h"
#include "platform/short_text.h"

namespace dialog {

using platform::PathText;
using platform::ShortText;

inline constexpr int kParameterCount = 12;
// The program, the log and the list, key and overlay datasets.
inline constexpr int kSkipNameCount = 5;
// Those five and the files behind the console's input and output.
inline constexpr int kSkipIdentityCount = kSkipNameCount + 2;
// Datasets are read and written through a chunk of this many bytes.
inline constexpr std::size_t kChunkBytes = 1 << 20;

struct ScheduleAhead;

// The overlay's form, limits and the pair being read.
struct OverlayInfo {
  std::uint8_t form = 0;           // 0 none, 1..6 notations of position and value, 7 bytestring
  std::int16_t positionLow = 1;    // lowest key position the overlay may change
  std::int16_t positionHigh = 256; // highest key position the overlay may change
  std::int16_t valueLow = 0;       // lowest byte value the overlay may set
  std::int16_t valueHigh = 255;    // highest byte value the overlay may set
  std::int16_t position = 0;       // key position of the pair being read
  std::int16_t value = 0;          // byte value of the pair being read
  std::int64_t infoCount = 0;      // information characters read so far (a dataset may hold many)
};

// The files processed in this run, by identity: an open-addressing hash
// table in one array that grows with the selection (processing/processed_files.h).
struct ProcessedFiles {
  platform::FileIdentity* slots = nullptr;  // `known` marks a used slot
  std::size_t capacity = 0;                 // slots, a power of two (or 0)
  std::size_t count = 0;                    // used slots
};

// The progress figure of the dataset being processed, on the console only.
struct ProgressState {
  int afterMs = -1;          // a dataset taking longer shows the figure; -1: never (no terminal)
  bool lineOpen = false;     // the announcement waits for its line end
  int columnsLeft = 0;       // room behind the announcement on its screen row
  int shownLength = 0;       // characters of the figure now on the screen
  std::int64_t startMs = 0;  // when the announcement was written
  std::int64_t drawnMs = 0;  // when the figure was last drawn
};

// EntryState values, shared by the key entry and the overlay entry.
inline constexpr std::uint8_t kHiddenFirst = 0;    // keyboard without echo, first input
inline constexpr std::uint8_t kShown = 1;          // keyboard once with echo
inline constexpr std::uint8_t kFromDataset = 2;    // via a key dataset
inline constexpr std::uint8_t kFromParameter = 3;  // parameter 6 held the key
inline constexpr std::uint8_t kHiddenControl = 10; // keyboard without echo, control input
inline constexpr std::uint8_t kOpen = 255;         // nothing chosen yet, or finished

struct RunState {
  // The program's surroundings.
  platform::Console console;          // standard input and output
  int introPauseMs = 4000;            // how long the intro screen stays
  int processingThreads = 0;          // threads that process a dataset: 1, 2 or more for two, 0 as the processor allows
  platform::TextCharset textCharset = platform::TextCharset::CodePage;  // of the own texts, console and log
  int argumentCount = 0;              // parameters 1..argumentCount exist
  const char* const* arguments = nullptr;  // arguments[0] is the program as started

  // Dialog driver.
  std::int16_t QuestionNumber = 0;    // number of the current question and parameter
  bool askFlag = false;               // the current answer must be asked at the console
  PathText ParameterText;             // text of parameter QuestionNumber
  ShortText AnswerText;               // the last line typed at a numbered menu
  std::uint8_t Language = 0;          // 0 English, 1 German
  std::uint8_t DescriptionAnswer = 0; // 0 none, 1 description and go on, 2 description and end
  PathText ProgramPath;               // full path of the program's own file
  std::uint8_t StartupScreenCopy[platform::kScreenSize] = {};  // the deciphered intro image

  // Control-information log.
  PathText ControlLogName;            // as typed or given
  platform::OutputFile ControlLog;    // open from question 2 until the end
  PathText ControlLogPath;            // its full path (never processed)
  bool logWriteFailed = false;        // a write to the log failed; the run ends

  // Dataset selection.
  std::uint8_t SelectionMode = 0;     // 1 name, 2 list dataset, 3 directory, 4 tree
  PathText SelectionText;             // name or list dataset; "*.*" in modes 3 and 4
  PathText SelectionDirectory;        // modes 3 and 4: the directory as entered
  std::uint8_t ProcessingForm = 0;    // 1..4: encode/decode, single/one unit

  // Run counters (floating-point, as the statistics print them).
  double byteCount = 0;
  double datasetCount = 0;
  double directoryCount = 0;

  // Key input.
  std::uint8_t KeyCharset = 0;        // 1 ASCII, 2 hexadecimal
  std::uint8_t EntryState = 255;      // state of the key entry
  std::int16_t KeyLength = 0;         // key bytes entered
  std::uint8_t InitialKey[257] = {};  // positions 1..256 (index 0 unused)
  std::int16_t FirstInputLength = 0;  // KeyLength of the first input without echo
  std::uint8_t LineEndCount = 0;      // line ends read in a row by SkipLineEnds (0..2)
  bool crFlag = false;                // the last line-end character SkipLineEnds read was a CR
  std::uint8_t KeyNameMode = 255;     // how the key dataset's name is obtained
  PathText KeyDatasetName;            // full path of the key dataset, or empty
  PathText KeyNameControl;            // the key dataset's name typed the second time

  // Key overlay.
  OverlayInfo overlay;
  std::uint8_t KeyBackup[257] = {};   // InitialKey before the overlay (index 0 unused)
  std::uint8_t OverlayNameMode = 255; // how the overlay dataset's name is obtained
  PathText OverlayDatasetName;        // full path of the overlay dataset, or empty
  PathText OverlayNameControl;        // the overlay dataset's name typed the second time

  // Directories.
  PathText StartDirectory;            // current directory at program start
  PathText ListDatasetPath;           // full path of the list dataset (mode 2)

  // Processing run.
  platform::FileIdentity skipIdentities[kSkipIdentityCount];  // files never processed, however named
  ProcessedFiles processed;                   // the files processed so far in this run
  bool interrupted = false;                   // an interrupt ended the enumeration
  ProgressState progress;                     // the figure behind "... is just processed ..."
  std::uint8_t processingChunk[kChunkBytes];  // whole blocks are read and written through it
  ScheduleAhead* ahead = nullptr;             // the helper thread that runs the cipher ahead, if any

  // Cipher.
  cipher::CipherState cipher;
};

}  // namespace dialog
