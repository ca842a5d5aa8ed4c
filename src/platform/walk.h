#pragma once
// The walk of a directory tree: the datasets of a directory come before its
// subdirectories, and each subdirectory is walked completely, its own
// subdirectories included, before the next one, in the search's order
// (ascending byte order of the names).
//
// Only plain directories are walked, whatever their read-only and archive
// attributes: hidden and system ones and links to directories are not (so the
// walk cannot run in a cycle). Subdirectories are
// entered by handle, relative to their parent, so the length of their path
// does not matter; a subdirectory that cannot be entered is reported to the
// visitor and passed over. So is one more than kMaxWalkDepth levels below the
// start: the walk recurses, and a hostile nest of directories must not use up
// its stack.

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace platform {

inline constexpr int kMaxWalkDepth = 1000;

struct WalkVisitor {
  // Handles the current directory, whose path is `directory`: the one the
  // walk starts in (`subdirectory` false), then each subdirectory right after
  // it was entered. False stops the walk.
  bool (*visitDirectory)(void* context, std::string_view directory, bool subdirectory);
  // Called for a subdirectory that cannot be entered, and for a directory
  // the walk could not return to, which ends the walk.
  void (*cannotEnter)(void* context, std::string_view directory);
  void* context;
  // Called for each subdirectory of the current directory that is left out
  // because it is hidden, system or a link (nullptr: none is told).
  void (*leftOut)(void* context, std::string_view name, LeftOutReason reason) = nullptr;
};

// Walks the current directory and all its subdirectories and returns to it.
// `path` is the path of the current directory; while a subdirectory is
// walked, its name is appended after a separator (the path may grow longer
// than the platform's own paths), and taken off again afterwards. Returns
// false when the visitor stopped the walk or the walk could not return.
bool WalkDirectory(const WalkVisitor& visitor, std::string& path);

}  // namespace platform
