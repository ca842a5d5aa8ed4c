#pragma once
// Runs the whole program in-process on scripted console input and returns
// what it wrote to the console.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/oem_text.h"

namespace testsupport {

struct DialogResult {
  int status = -1;
  std::string output;  // the console output, line ends as "\n"
};

// Runs the program with `parameters` (1 to n; parameter 0 is "tarvex5") and
// `input` as the console input, in the current directory, without the intro
// pause, its own texts in `charset`, with progress figures for datasets
// taking longer than `progressAfterMs` (-1: none, as in redirected output),
// with `processingThreads` (0: as the processor allows).
DialogResult RunDialog(const std::vector<std::string>& parameters, const std::string& input,
                       platform::TextCharset charset = platform::TextCharset::CodePage,
                       int progressAfterMs = -1, int processingThreads = 0);

// An unnamed temporary file holding `content`, positioned at its start, to
// serve as console input or output; nullptr (and a test failure) when none
// can be made.
std::FILE* TemporaryFileWith(const std::string& content);

// The whole content of `file` from its start (the console writes to its
// descriptor, not through the FILE).
std::string ContentOf(std::FILE* file);

// The console output in `file` with the platform's console line ends (CR LF
// on Windows) as "\n", for the transcripts that are not about line ends.
std::string ConsoleText(std::FILE* file);

// `text` with the platform's console line ends as "\n".
std::string WithPlainLineEnds(const std::string& text);

// Changes into `directory` and back to the previous current directory when
// the guard ends.
struct DirectoryGuard {
  explicit DirectoryGuard(const std::string& directory);
  ~DirectoryGuard();
  DirectoryGuard(const DirectoryGuard&) = delete;
  DirectoryGuard& operator=(const DirectoryGuard&) = delete;
  std::string previous;
};

// `text` with every "\n" replaced by CR LF, as the log writes its lines.
std::string LogLines(const std::string& text);

// `text` with the date and time of every begin and end stamp replaced by
// "STAMP": the stamps carry the clock, so they are compared by their form.
std::string WithoutStamps(const std::string& text);

// `codePage`, a transcript in the code-page bytes of the program's texts,
// with those letters (ä ö ü Ä Ö Ü ß » « é) written in UTF-8.
std::string Utf8Of(const std::string& codePage);

}  // namespace testsupport
