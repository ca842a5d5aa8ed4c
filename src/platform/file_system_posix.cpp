#include "platform/file_system.h"

namespace platform {

bool FindFirstEntry(SearchRecord&, const char*, std::uint8_t) { return false; }
bool FindNextEntry(SearchRecord&) { return false; }
void CloseSearch(SearchRecord&) {}
bool DatasetExists(const char*) { return false; }
bool MatchExists(const char*) { return false; }
bool DirectoryExists(const char*) { return false; }
bool ChangeDirectory(const char*) { return false; }
bool CurrentDirectory(ShortText& directory) { Clear(directory); return false; }
void SplitPath(const char* path, ShortText& directory, ShortText& namePart) {
  Clear(directory);
  Assign(namePart, path);
}
void FullPath(const char* path, ShortText& fullPath) { Assign(fullPath, path); }
void ProgramPath(const char* argument0, ShortText& path) { Assign(path, argument0); }

}  // namespace platform
