#pragma once
// What the tests do in each platform's own way.

#include <cstdio>
#include <string>

namespace testsupport {

// Whether a file that the program holds open with write access (the log, the
// list dataset, a console output redirected to a file) can be opened a second
// time, as a dataset met under another name: on POSIX it can (and is then
// ignored as the program's own file); Windows refuses a second writer, so the
// program reports it as not existing. Either way it is never processed.
extern const bool kOpenFilesOpenAgain;

// Sends the program one interrupt (SIGINT; on Windows a Ctrl-C console
// event, which is handled on a thread of its own) and returns once the
// program noted it.
void SendInterrupt();

// Whether this process can raise console control events: on Windows it is
// given a console of its own once (events reach only the processes of a
// console, and the tests run without one); on POSIX signals need none.
bool HaveConsole();

// Limits the files this process writes to `bytes` bytes, so that a write
// beyond fails; 0 lifts the limit again. False where the system sets no such
// limit (Windows).
bool LimitFileSize(unsigned long long bytes);

// An unnamed temporary file, open for reading and writing, removed when it is
// closed; nullptr when none can be made. (On Windows, std::tmpfile of the C
// run-time may want to write into the drive's root directory.)
std::FILE* TemporaryFile();

// Makes an entry at `path` that the platform's searches count as system: a
// FIFO on POSIX, a file with the system attribute on Windows.
void MakeSystemEntry(const std::string& path);

// Makes `link` a symbolic link to `target` (on Windows, for a directory, a
// junction where no symbolic link may be made). False where the system makes
// none (wine makes none from a Windows program).
bool MakeFileLink(const std::string& target, const std::string& link);
bool MakeDirectoryLink(const std::string& target, const std::string& link);

// Makes `path` a file of `length` bytes that takes no room on the disk; false
// where the file system cannot.
bool MakeSparseFile(const std::string& path, unsigned long long length);

}  // namespace testsupport
