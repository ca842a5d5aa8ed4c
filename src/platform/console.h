#pragma once
// The console: the program's standard input and output.
//
// Input is a byte stream read through a fixed buffer; CR, LF and CR LF each end
// a line. Console lines end as the platform's do: "\n" on POSIX, CR LF on
// Windows. Output is written at once (no buffering of our own), so that a prompt
// stands on the screen before its answer is read. Control sequences (clear
// screen, colours, cursor) are written only when the output is a terminal, so
// redirected output is clean text. Whether input and output are terminals is
// detected once, by OpenConsole (on Windows: a console, not a file, pipe or
// device).

#include <cstddef>
#include <cstdint>

#include "platform/oem_text.h"
#include "platform/unicode_text.h"

namespace platform {

inline constexpr std::size_t kConsoleBufferSize = 4096;
// A line that runs longer without a line end ends the input: nobody types it,
// and an endless stream (/dev/zero) must not keep the program reading.
inline constexpr std::size_t kMaxLineLength = std::size_t{1} << 20;

struct Console {
  std::intptr_t input = -1;       // the console input: a descriptor (POSIX) or handle (Win32)
  std::intptr_t output = -1;      // the console output, likewise
  bool inputIsTerminal = false;   // input comes from a terminal (echo can be switched)
  bool outputIsTerminal = false;  // control sequences are written only then
  bool atEnd = false;             // the input has ended; it stays ended
  bool dropLineFeed = false;      // the last line ended with CR: a following LF belongs to it
  bool atLineStart = true;        // the last byte consumed ended a line (or none was consumed)
  bool echoIsOff = false;         // between SetEcho(false) and SetEcho(true)
  bool writeFailed = false;       // a write to the output failed (the output went away)
  std::size_t lineLength = 0;     // bytes consumed since the last line end
  std::size_t begin = 0;          // unread bytes are buffer[begin, end)
  std::size_t end = 0;
  unsigned char buffer[kConsoleBufferSize];
};

// The line end of console output: "\n" on POSIX, CR LF on Windows.
extern const char kConsoleLineEnd[];

// Takes the descriptors `input` and `output` (those of the C run-time on
// Windows) as the console and detects terminals.
void OpenConsole(Console& console, std::intptr_t input, std::intptr_t output);

// True when the program's console closes as the program ends: on Windows a
// console that no other process shares (the program was started by a double
// click). Never on POSIX.
bool ConsoleClosesWithProgram();

// Whether the descriptor `handle` is a terminal (on Windows: a console).
bool IsTerminal(std::intptr_t handle);

// The width of the terminal the console output shows on, in columns; 0 when
// the output is no terminal or its width is unknown.
int TerminalColumns(const Console& console);

// The character set of the user's console for the program's own texts: Utf8
// where the user's locale (the environment's LC_ALL, LC_CTYPE or LANG) names
// the codeset UTF-8, CodePage for every other (the C and POSIX locales among
// them). The program's own locale is left as it was. On Windows always
// CodePage: the program speaks the console's OEM code page, as the console's
// own programs do.
TextCharset UserCharset();

// Keys typed or given as characters. On Windows the program reads text as
// UTF-8, but a key character has always been the byte of the machine's OEM
// code page that a console program received (ä is 0x84 in 437 and 850):
// kKeyCharactersAsCodePage is true there, and KeyBytesOf gives that byte (or
// those bytes, where the OEM code page is UTF-8) for the character `c` into
// `out` (room for kMaxUtf8CharBytes) and returns their number; 0 when the code
// page lacks the character, never a look-alike or "?" (two different keys must
// never become one). On POSIX keys are the bytes typed, and KeyBytesOf is not
// used.
extern const bool kKeyCharactersAsCodePage;
std::size_t KeyBytesOf(char32_t c, unsigned char* out);

// The next input byte without consuming it, or -1 at the end of the input.
// Blocks until a byte is there. A line that would grow past kMaxLineLength
// bytes ends the input for good.
int PeekByte(Console& console);
// Consumes and returns the next input byte, or -1 at the end of the input.
int ReadByte(Console& console);

// Reads one line into `text` (at most `capacity` bytes are kept, the rest of
// the line is dropped; not NUL-terminated), the number kept into `length`,
// and into `cut` whether bytes were dropped. Returns false when the input
// ended before any byte of a line: a last line without line end is still a
// line.
bool ReadLine(Console& console, char* text, std::size_t capacity, std::size_t& length, bool& cut);

// Drops the rest of the current input line, its line end included. Does
// nothing when the input ended.
void SkipRestOfLine(Console& console);

// Drops the rest of the current line when some of it was consumed already;
// does nothing at the start of a line.
void FinishCurrentLine(Console& console);

// Drops characters typed ahead: on a terminal everything waiting is discarded;
// redirected input is left alone, so that a whole dialog can be scripted.
void DiscardTypeAhead(Console& console);

// Writes `size` bytes; a failed write sets writeFailed and is not retried.
void WriteBytes(Console& console, const char* data, std::size_t size);
// Ends the console line (kConsoleLineEnd).
void WriteLineEnd(Console& console);

// Terminal control; each does nothing when the output is not a terminal.
void ClearScreen(Console& console);  // whole screen, cursor to row 1, column 1
void MoveCursor(Console& console, int row, int column);  // both counted from 1
void ClearToLineEnd(Console& console);
void SetHiddenColours(Console& console);  // black on black
void SetNormalColours(Console& console);  // light grey on black (the terminal's default)
void SetCursorVisible(Console& console, bool visible);
void MoveToColumnOne(Console& console);

// Marks that the CR just consumed by ReadByte ended a line: an LF directly
// following it belongs to that line end and is dropped by the next read, as
// after a line that ReadLine read.
void DropFollowingLineFeed(Console& console);

// Secret input. SetEcho(false) switches the terminal's echo of typed
// characters off and discards whatever was typed but not yet consumed (it
// was shown, so it never becomes secret input); SetEcho(true) gives the
// terminal back the settings it had before. Between the two, the signals that
// end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT) first restore the
// terminal (its settings and, when the output is a terminal, normal colours
// and a visible cursor) and then end the program as they would have; a stop
// from the terminal (SIGTSTP) restores it before stopping and switches the
// echo off again when the program continues. Redirected input is neither
// switched nor discarded; the signals still restore a terminal output.
// On Windows the console control events (Ctrl-C, Ctrl-Break, closing the
// window) do the same: the console's mode, colours and cursor are restored
// before the program ends as it would have.
// Returns false when the terminal refused (the echo is then unchanged).
bool SetEcho(Console& console, bool on);

}  // namespace platform
