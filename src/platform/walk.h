#pragma once
// The walk of a directory tree: the datasets of a directory come before its
// subdirectories, and each subdirectory is walked completely, its own
// subdirectories included, before the next one, in the search's order
// (ascending byte order of the names).
//
// Only plain directories are walked: hidden ones and symbolic links to
// directories are not (so the walk cannot run in a cycle). A subdirectory
// that cannot be entered is skipped without being reported.

#include "platform/short_text.h"

namespace platform {

struct WalkVisitor {
  // Handles the datasets of the current directory; false stops the walk.
  bool (*visitDatasets)(void* context);
  // Called right after a subdirectory was entered, with its absolute path;
  // false stops the walk.
  bool (*enteredDirectory)(void* context, const ShortText& directory);
  void* context;
};

// Walks the current directory and all its subdirectories and returns to it.
// Returns false when the visitor stopped the walk.
bool WalkDirectory(const WalkVisitor& visitor);

}  // namespace platform
