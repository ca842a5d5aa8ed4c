#pragma once
// Pure text operations on names and paths, shared by every platform's file
// system: wild-card matching, splitting a path into its directory part and
// name part, joining them again. Nothing here touches the file system.
//
// Each operation takes the path syntax it works in, the platform's own by
// default, so that both syntaxes are tested on every platform.

#include <string_view>

#include "platform/short_text.h"

namespace platform {

struct PathSyntax {
  char separator;       // written between a directory and a name
  char alsoSeparator;   // accepted as a separator where a path is split ('\0': none)
  bool drives;          // a path may begin with a drive, "C:" (a root then is "C:\")
  bool ignoreCase;      // names match whatever the case of their letters
};

inline constexpr PathSyntax kPosixPaths{'/', '\0', false, false};
inline constexpr PathSyntax kWindowsPaths{'\\', '/', true, true};

// The syntax of the platform the program runs on.
#if defined(_WIN32)
inline constexpr PathSyntax kNativePaths = kWindowsPaths;
#else
inline constexpr PathSyntax kNativePaths = kPosixPaths;
#endif

// True when `c` separates names in `syntax`.
[[nodiscard]] bool IsSeparator(char c, const PathSyntax& syntax = kNativePaths);

// True when `text` holds a wild card ("*" or "?").
[[nodiscard]] bool HasWildcard(std::string_view text);

// True when `name` matches `pattern`. "*" stands for any sequence of
// characters (also none), "?" for exactly one character: a UTF-8 sequence
// (generalised UTF-8, platform/unicode_text.h), or a single byte that belongs
// to no well-formed one. Every other character stands for itself, upper and
// lower case being different unless `syntax` ignores case (then letters match
// in either case, by the simple uppercase mapping of platform/name_order.h,
// as the Windows file system compares names). A pattern that ends in ".*"
// also matches the names that match it without that ending, so "*.*" matches
// every name, also one without a dot, and "a.*" matches "a".
// An empty name matches nothing.
[[nodiscard]] bool MatchesPattern(std::string_view pattern, std::string_view name,
                                  const PathSyntax& syntax = kNativePaths);

// Splits `path` into its directory part and its name part. The name part is
// everything after the last separator and, with drives, after the first
// colon ("C:*.txt" gives "*.txt"); all of `path` when it holds neither. The
// directory part is everything before it, without the separator, except that a
// root keeps its separator: "/" for "/b.txt", "\" for "\b.txt" and "C:\" for
// "C:\b.txt"; "C:b.txt" gives the drive "C:" (its current directory). It is
// empty when `path` holds no separator and no drive. Returns false (both texts
// empty) when `path` is longer than a PathText holds.
[[nodiscard]] bool SplitPathText(std::string_view path, PathText& directoryPart,
                                 PathText& namePart, const PathSyntax& syntax = kNativePaths);

// `path` without separators at its end, except one that is a root ("/", "\",
// "C:\").
[[nodiscard]] std::string_view WithoutTrailingSeparators(std::string_view path,
                                                         const PathSyntax& syntax = kNativePaths);

// `directory`, the separator and `name`, as every full path of the program is
// formed (a root gives two separators: "//name", "C:\\name"). False when the
// result is longer than a PathText holds: `path` is then cut (and says so) and
// names nothing.
bool JoinPath(std::string_view directory, std::string_view name, PathText& path,
              const PathSyntax& syntax = kNativePaths);

}  // namespace platform
