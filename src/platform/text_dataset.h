#pragma once
// A dataset read as text (the key dataset, the overlay dataset, the list
// dataset),
// through a fixed buffer held in the record. Reading never changes the
// dataset. The buffer may hold key material: it is kept out of swap while
// the dataset is open, and CloseTextDataset wipes it.

#include <cstddef>
#include <cstdint>

#include "platform/dataset_file.h"
#include "platform/short_text.h"

namespace platform {

inline constexpr std::size_t kTextDatasetBuffer = 512;

struct TextDataset {
  DatasetFile file;
  std::uint64_t length = 0;   // bytes in the dataset when it was opened
  std::uint64_t offset = 0;   // position in the dataset of buffer[end]
  std::size_t begin = 0;      // unread bytes are buffer[begin, end)
  std::size_t end = 0;
  bool failed = false;        // a read failed; the dataset then counts as ended
  std::uint8_t buffer[kTextDatasetBuffer];
};

// Opens the dataset `name` (a regular file this process may write, as
// DatasetExists demands) and takes its length. False when it cannot be opened.
[[nodiscard]] bool OpenTextDataset(TextDataset& dataset, const char* name);

// The next byte without consuming it, or -1 at the physical end or after a
// failed read (`failed` tells which).
[[nodiscard]] int PeekDatasetByte(TextDataset& dataset);
// Consumes and returns the next byte, or -1 as PeekDatasetByte.
int ReadDatasetByte(TextDataset& dataset);

// Reads the next line into `line`: CR, LF and CR LF each end a line. A line
// longer than a PathText holds keeps its first bytes and is marked `cut`.
// False at the end.
[[nodiscard]] bool ReadDatasetLine(TextDataset& dataset, PathText& line);

// Skips line ends and empty lines. True when the text has then ended: at the
// physical end or at a Ctrl-Z (0x1A), which ends a text as well.
[[nodiscard]] bool SkipLineEndsToEnd(TextDataset& dataset);

// Reads the next byte in the counted reading of a dataset: line ends are
// passed over, and every line end passed counts as two bytes (CR LF) against
// the dataset's length, kept in `consumed`; every other byte counts one. The
// text ends when the count reaches the length (so a dataset whose lines end
// in a lone LF or CR is read that many bytes short) or at the physical end.
// False at that end.
[[nodiscard]] bool ReadCountedByte(TextDataset& dataset, std::uint64_t& consumed, int& byte);

// Closes the dataset and wipes the buffer.
void CloseTextDataset(TextDataset& dataset);

}  // namespace platform
