#pragma once
// Pure text operations on names and paths, shared by every platform's file
// system: wild-card matching, splitting a path into its directory part and
// name part, joining them again. Nothing here touches the file system.

#include <string_view>

#include "platform/short_text.h"

namespace platform {

// True when `text` holds a wild card ("*" or "?").
[[nodiscard]] bool HasWildcard(std::string_view text);

// True when `name` matches `pattern`. "*" stands for any sequence of
// characters (also none), "?" for exactly one; every other byte stands for
// itself, upper and lower case being different. A pattern that ends in ".*"
// also matches the names that match it without that ending, so "*.*" matches
// every name, also one without a dot, and "a.*" matches "a".
// An empty name matches nothing.
[[nodiscard]] bool MatchesPattern(std::string_view pattern, std::string_view name);

// Splits `path` at its last separator. `namePart` is everything after it (all
// of `path` when it holds no separator). `directoryPart` is everything before
// it, without the separator; it is the root "/" when the separator is the first
// byte, and empty when `path` holds no separator. Returns false (both texts
// empty) when `path` is longer than a PathText holds.
[[nodiscard]] bool SplitPathText(std::string_view path, PathText& directoryPart,
                                 PathText& namePart);

// `directory`, the separator and `name`, as every full path of the program is
// formed (the root gives "//name"). False when the result is longer than a
// PathText holds: `path` is then cut (and says so) and names nothing.
bool JoinPath(std::string_view directory, std::string_view name, PathText& path);

}  // namespace platform
