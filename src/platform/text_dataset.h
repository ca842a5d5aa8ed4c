#pragma once
// A dataset read as text (the key dataset, the overlay dataset, the list
// dataset),
// through a fixed buffer held in the record. Reading never changes the
// dataset. The buffer may hold key material: it is kept out of swap while
// the dataset is open, and CloseTextDataset wipes it.

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// A list dataset. Its byte-order mark chooses how its lines are read: as
// UTF-8, or as UTF-16 (little- or big-endian, as Windows programs write it)
// converted to UTF-8. Without a mark a line is read as `UnmarkedLines` say.
enum class ListCharset : std::uint8_t { Unmarked, Utf8, Utf16Le, Utf16Be };

// Lines of a list without a byte-order mark: the bytes they are (POSIX names
// are bytes), or UTF-8 where the line is well-formed (generalised) UTF-8 and
// otherwise bytes of the OEM code page, converted (CodePageToUtf8), as lists
// written for Windows consoles have them.
enum class UnmarkedLines : std::uint8_t { Bytes, Utf8OrCodePage };

#if defined(_WIN32)
inline constexpr UnmarkedLines kNativeUnmarkedLines = UnmarkedLines::Utf8OrCodePage;
#else
inline constexpr UnmarkedLines kNativeUnmarkedLines = UnmarkedLines::Bytes;
#endif

// Passes over the byte-order mark at the start of a dataset just opened and
// returns the character set it marks (Unmarked when there is none).
[[nodiscard]] ListCharset TakeByteOrderMark(TextDataset& dataset);

// Reads the next line of a list in `charset` into `line`, as UTF-8 (or bytes,
// see UnmarkedLines): CR, LF and CR LF each end a line, in UTF-16 as units.
// A line longer than a PathText holds keeps its first whole characters and is
// marked `cut`; a last odd byte of a UTF-16 list is no character. False at
// the end.
[[nodiscard]] bool ReadListLine(TextDataset& dataset, ListCharset charset, UnmarkedLines unmarked,
                                PathText& line);

// Appends the UTF-16 `units` to `text` as UTF-8, whole characters only (an
// unpaired surrogate as its own three bytes); once a character does not fit,
// `cut` is set and nothing more is appended.
void AppendUtf16(PathText& text, std::u16string_view units);

// The platform's part: `bytes`, text in the machine's OEM code page, as UTF-8
// in `utf8` (cut as AppendUtf16 cuts). POSIX has no such code page; there the
// bytes are taken as they are.
void CodePageToUtf8(std::string_view bytes, PathText& utf8);

}  // namespace platform
