#pragma once
// Names and paths between the program and the wide file functions. For the
// platform's Win32 files only.
//
// Inside the program names and paths are generalised UTF-8 (unicode_text.h);
// the system gets them as UTF-16, always as an absolute "\\?\" path ("\\?\UNC\"
// for a share), so that no path is limited to MAX_PATH and no name found in a
// directory is changed on its way back (the system strips trailing dots and
// blanks and reads "/" and ".." only in the other forms).
//
// The current directory is the process's own wherever the system can take it.
// A directory it cannot take (its path is too long, or a name in it ends in a
// dot or blank, which the system would strip) is kept here instead and counts
// as the current one until the program changes directory again or something
// else changes the process's current directory.

#include <cstddef>
#include <string_view>

#include "platform/short_text.h"
#include "platform/unicode_text.h"
#include "platform/win32_io.h"

namespace platform {

// The longest path the wide functions take, in UTF-16 units, its NUL excluded.
inline constexpr std::size_t kWidePathCapacity = 32767;

struct WidePath {
  std::size_t length = 0;
  wchar_t chars[kWidePathCapacity + 1] = {};
};

inline std::wstring_view View(const WidePath& path) { return {path.chars, path.length}; }

// Appends `text` (UTF-16); false when it does not fit.
bool AppendWide(WidePath& path, std::wstring_view text);
// Appends the UTF-8 `text` as UTF-16; false when it is no generalised UTF-8 or
// does not fit.
bool AppendUtf8(WidePath& path, std::string_view text);

// The UTF-8 of `wide`; empty and marked cut where it does not fit (a cut
// name must never be used).
template <std::size_t Capacity>
void AssignWide(FixedText<Capacity>& text, std::wstring_view wide) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16");
  const std::size_t size = Utf16ToUtf8({reinterpret_cast<const char16_t*>(wide.data()), wide.size()},
                                       text.chars, Capacity);
  text.cut = size == kNotConvertible;
  text.length = text.cut ? 0 : size;
  text.chars[text.length] = '\0';
}

// The absolute "\\?\" path of `name`, as the user gives names: a plain name (no
// separator, no drive, not "." or "..") is taken as it is in the current
// directory, exactly the entry a search found; any other path is resolved
// once by the system's rules (GetFullPathNameW: the drive's current directory
// for "C:x", "." and "..", "/" as a separator, trailing dots and blanks). False
// for an empty name, one that is no generalised UTF-8, one that names a device
// ("NUL", "\\.\COM1"; opening a device may act on it) or one too long.
[[nodiscard]] bool ResolvePath(std::string_view name, WidePath& path);

// The current directory as an absolute "\\?\" path without a trailing separator
// (except a drive's root, "\\?\C:\").
[[nodiscard]] bool CurrentWideDirectory(WidePath& path);

// Makes the directory `path` (an absolute "\\?\" path) the current directory.
[[nodiscard]] bool SetCurrentWideDirectory(const WidePath& path);

// `path` as users read and type it, into `out`: without the "\\?\" ("C:\x"),
// or with "\\" for "\\?\UNC\" ("\\server\share\x").
bool ToUserForm(const WidePath& path, WidePath& out);

// The attributes and reparse tag of the open `handle`; false when they cannot
// be read.
[[nodiscard]] bool ReadHandleAttributes(HANDLE handle, DWORD& attributes, DWORD& reparseTag);

// The attributes and reparse tag of the entry at the absolute `path`, read on
// the entry itself (a link is not followed); false when it cannot be opened.
[[nodiscard]] bool ReadEntryAttributes(const wchar_t* path, DWORD& attributes, DWORD& reparseTag);

// True when the entry with `attributes` and `reparseTag` is a link: a symbolic
// link, a junction or a mount point (a name surrogate). Cloud placeholders and
// other reparse points are the files and directories they stand for.
inline bool IsLink(DWORD attributes, DWORD reparseTag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(reparseTag);
}

}  // namespace platform
