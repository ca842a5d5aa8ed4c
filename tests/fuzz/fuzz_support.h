#pragma once
// What the fuzz targets share: a scratch directory that every input finds
// empty and the current directory while it runs, and the console as the
// program sees it (input from the fuzzer's bytes, output thrown away).

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzsupport {

// Empties the scratch directory (made on first use under /dev/shm, or the
// temporary directory where there is none, and removed when the fuzzer ends)
// and makes it the current directory.
void EnterEmptyScratch();

// Makes the directory the fuzzer was started in current again, so that it
// finds its corpus and artifact paths where it left them.
void LeaveScratch();

// Writes `content` to the file `name` in the current directory; `name` may
// name a subdirectory, which is created.
void WriteScratchFile(const std::string& name, const std::string& content);

// A descriptor reading `content` from its start (a file in memory, reused by
// every input).
int ConsoleInput(const std::string& content);

// The descriptor the program writes its console to: /dev/null, or the
// standard error when the environment variable TARVEX5_FUZZ_ECHO is set (to
// watch the dialog while reproducing a finding).
int ConsoleOutput();

// `bytes` with every "/" made "_" and the second "." of ".." made "_": the
// program then can name nothing outside the scratch directory.
std::string ConfinedToScratch(std::string bytes);

}  // namespace fuzzsupport
