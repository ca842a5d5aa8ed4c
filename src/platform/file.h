#pragma once
// Output text files: the control-information log. Names are byte strings
// as the user typed them, passed to the operating system unchanged (on
// Windows: generalised UTF-8, see file_system.h).

#include <cstddef>
#include <cstdint>

namespace platform {

struct OutputFile {
  std::intptr_t handle = -1;  // descriptor; -1 when not open
};

// Creates the file `name`, or truncates it when it exists, for writing.
// Returns false when that is not possible (missing directory, no permission,
// an empty name, a directory, FIFO, device or socket of that name: only a
// regular file is ever truncated and written).
[[nodiscard]] bool CreateOutputFile(OutputFile& file, const char* name);

// Writes all `size` bytes; false when any of them could not be written.
[[nodiscard]] bool WriteOutputFile(OutputFile& file, const char* data, std::size_t size);

// Closes the file; false when the close reported an error (data may be lost).
// Closing a file that is not open does nothing and succeeds.
[[nodiscard]] bool CloseOutputFile(OutputFile& file);

inline bool IsOpen(const OutputFile& file) { return file.handle >= 0; }

// Whether a text file written in UTF-8 begins with a byte-order mark: on
// Windows, so that Notepad and PowerShell read it as UTF-8; not on POSIX.
extern const bool kUtf8TextFilesHaveBom;
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

}  // namespace platform
