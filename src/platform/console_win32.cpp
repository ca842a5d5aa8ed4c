// The console on Windows. The program's texts and names are UTF-8 inside: at a
// console they are written through WriteConsoleW and typed text is read
// through ReadConsoleW, so that every character shows and arrives as it is,
// whatever the console's code page (which is never changed); redirected input
// and output are UTF-8 bytes. The screen goes through the console functions,
// and secret input with the echo switched off in the console's input mode.
#include <io.h>

#include <algorithm>
#include <iterator>
#include <string_view>

#include "platform/console.h"
#include "platform/console_native.h"
#include "platform/unicode_text.h"
#include "platform/win32_io.h"

namespace platform {

const char kConsoleLineEnd[] = "\r\n";

namespace {

// How the output console looked when the program took it: the colours and the
// cursor that the program gives back. One console per process.
struct ConsoleLook {
  WORD attributes = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;  // light grey on black
  CONSOLE_CURSOR_INFO cursor{25, TRUE};
};
ConsoleLook gLook;

// Secret input: what the control-event handler gives back. Written only while
// the handler is not installed, so the handler (which runs on a thread of its
// own) always reads a complete record.
struct SecretInputGuard {
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  bool inputIsConsole = false;
  bool outputIsConsole = false;
  DWORD normalMode = 0;
};
SecretInputGuard gGuard;

HANDLE OutputOf(const Console& console) { return AsHandle(console.output); }

// The output console's buffer, window and cursor; false when the output is
// no console.
bool ReadScreen(const Console& console, CONSOLE_SCREEN_BUFFER_INFO& screen) {
  return console.outputIsTerminal && GetConsoleScreenBufferInfo(OutputOf(console), &screen);
}

void ShowLook(HANDLE output) {
  SetConsoleTextAttribute(output, gLook.attributes);
  SetConsoleCursorInfo(output, &gLook.cursor);
}

void RestoreConsole() {
  if (gGuard.inputIsConsole) {
    SetConsoleMode(gGuard.input, gGuard.normalMode);
  }
  if (gGuard.outputIsConsole) {
    ShowLook(gGuard.output);
  }
}

// Ctrl-C, Ctrl-Break, closing the window: the console is given back and the
// next handler (in the end the system's) ends the program as it would have.
BOOL WINAPI RestoreConsoleOnEvent(DWORD) {
  RestoreConsole();
  return FALSE;
}

// The whole visible window in blanks of `attributes`, or from `from` to the end
// of its line only.
void FillBlanks(HANDLE output, COORD from, DWORD count, WORD attributes) {
  DWORD written = 0;
  FillConsoleOutputCharacterW(output, L' ', count, from, &written);
  FillConsoleOutputAttribute(output, attributes, count, from, &written);
}

// Typed text as UTF-8: at most `size` bytes of whole characters. A lead
// surrogate read last waits for its trail in `gPendingLead`.
wchar_t gPendingLead = 0;

bool ReadTyped(HANDLE input, unsigned char* buffer, std::size_t size, DWORD& bytes) {
  // Each unit takes at most three bytes; a pair four.
  wchar_t units[kConsoleBufferSize / 3 + 1];
  std::size_t count = 0;
  if (gPendingLead != 0) {
    units[count++] = gPendingLead;
    gPendingLead = 0;
  }
  const std::size_t room = std::min(size / 3, std::size(units)) - count;
  DWORD read = 0;
  if (!ReadConsoleW(input, units + count, static_cast<DWORD>(room), &read, nullptr) || read == 0) {
    return false;
  }
  count += read;
  if (count > 1 && IS_HIGH_SURROGATE(units[count - 1])) {
    gPendingLead = units[--count];
  }
  const std::size_t written = Utf16ToUtf8({reinterpret_cast<const char16_t*>(units), count},
                                          reinterpret_cast<char*>(buffer), size);
  bytes = written == kNotConvertible ? 0 : static_cast<DWORD>(written);
  return bytes > 0;
}

}  // namespace

std::size_t ReadConsoleBytes(Console& console, unsigned char* buffer, std::size_t size) {
  for (;;) {
    DWORD read = 0;
    SetLastError(ERROR_SUCCESS);
    const bool done = console.inputIsTerminal
                          ? ReadTyped(AsHandle(console.input), buffer, size, read)
                          : ReadFile(AsHandle(console.input), buffer, TransferSize(size), &read, nullptr) != 0;
    if (done && read > 0) {
      return read;
    }
    // Ctrl-C at the console ends a read with nothing read; whether the program
    // ends is the control event's to decide, so the read goes on.
    if (!console.inputIsTerminal || GetLastError() != ERROR_OPERATION_ABORTED) {
      return 0;
    }
  }
}

void OpenConsole(Console& console, std::intptr_t input, std::intptr_t output) {
  console = Console{};
  console.input = _get_osfhandle(static_cast<int>(input));
  console.output = _get_osfhandle(static_cast<int>(output));
  console.inputIsTerminal = IsTerminal(input);
  console.outputIsTerminal = IsTerminal(output);
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (ReadScreen(console, screen)) {
    gLook.attributes = screen.wAttributes;
    GetConsoleCursorInfo(OutputOf(console), &gLook.cursor);
  }
}

bool IsTerminal(std::intptr_t handle) {
  DWORD mode = 0;
  return GetConsoleMode(AsHandle(_get_osfhandle(static_cast<int>(handle))), &mode) != 0;
}

int TerminalColumns(const Console& console) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!ReadScreen(console, screen)) {
    return 0;
  }
  return screen.dwSize.X;  // a line wraps at the width of the buffer
}

TextCharset UserCharset() { return TextCharset::Utf8; }

const bool kKeyCharactersAsCodePage = true;

bool ConsoleClosesWithProgram() {
  DWORD processes[2];
  return GetConsoleProcessList(processes, 2) == 1;
}

std::size_t KeyBytesOf(char32_t c, unsigned char* out) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return 0;
  }
  wchar_t units[2];
  int count = 1;
  if (c >= 0x10000) {
    units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    count = 2;
  } else {
    units[0] = static_cast<wchar_t>(c);
  }
  // UTF-8 as the OEM code page takes no flags (and has every character);
  // any other gives no best fit, and tells when it had to use its default.
  const bool utf8 = GetOEMCP() == CP_UTF8;
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_OEMCP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, units, count,
                                       reinterpret_cast<char*>(out), static_cast<int>(kMaxUtf8CharBytes),
                                       nullptr, utf8 ? nullptr : &usedDefault);
  return size <= 0 || usedDefault ? 0 : static_cast<std::size_t>(size);
}

void FlushTypedInput(const Console& console) { FlushConsoleInputBuffer(AsHandle(console.input)); }

namespace {

// The bytes of a character cut at the end of the last write to the console
// (a long name is written in parts), waiting for the rest.
char gPendingBytes[kMaxUtf8CharBytes];
std::size_t gPendingCount = 0;

// True when `text` is the start of a UTF-8 character that its next bytes
// would complete.
bool IsCutCharacter(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (lead < 0xC2 || lead > 0xF4 || text.size() >= length) {
    return false;
  }
  for (std::size_t i = 1; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      return false;
    }
  }
  return true;
}

bool WriteUnits(HANDLE output, const wchar_t* units, std::size_t count) {
  while (count > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(output, units, static_cast<DWORD>(count), &written, nullptr) || written == 0) {
      return false;
    }
    units += written;
    count -= written;
  }
  return true;
}

// Writes the UTF-8 `text` to the console as UTF-16. A byte that is no UTF-8
// shows as the code page's character; a character cut at the end waits.
bool WriteAsUnits(HANDLE output, std::string_view text) {
  wchar_t units[1024];
  std::size_t count = 0;
  while (!text.empty()) {
    char32_t c = 0;
    std::size_t length = DecodeUtf8Char(text, c);
    if (length == 0 && IsCutCharacter(text)) {
      break;
    }
    if (length == 0) {
      wchar_t unit = L'?';
      MultiByteToWideChar(CP_OEMCP, 0, text.data(), 1, &unit, 1);
      c = unit;
      length = 1;
    }
    if (count + 2 > std::size(units)) {
      if (!WriteUnits(output, units, count)) {
        return false;
      }
      count = 0;
    }
    if (c >= 0x10000) {
      units[count++] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      units[count++] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      units[count++] = static_cast<wchar_t>(c);
    }
    text.remove_prefix(length);
  }
  for (gPendingCount = 0; gPendingCount < text.size(); ++gPendingCount) {
    gPendingBytes[gPendingCount] = text[gPendingCount];
  }
  return WriteUnits(output, units, count);
}

}  // namespace

bool WriteConsoleBytes(const Console& console, const char* data, std::size_t size) {
  if (!console.outputIsTerminal) {
    return WriteAll(OutputOf(console), data, size);
  }
  std::string_view text(data, size);
  // A character cut at the end of the last write first, completed.
  if (gPendingCount > 0) {
    char joined[2 * kMaxUtf8CharBytes];
    std::size_t n = 0;
    for (; n < gPendingCount; ++n) {
      joined[n] = gPendingBytes[n];
    }
    while (n < kMaxUtf8CharBytes && !text.empty() && IsCutCharacter({joined, n})) {
      joined[n++] = text.front();
      text.remove_prefix(1);
    }
    gPendingCount = 0;
    if (!WriteAsUnits(OutputOf(console), {joined, n})) {
      return false;
    }
  }
  return WriteAsUnits(OutputOf(console), text);
}

void ClearScreen(Console& console) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!ReadScreen(console, screen)) {
    return;
  }
  const SMALL_RECT& window = screen.srWindow;
  const auto width = static_cast<DWORD>(screen.dwSize.X);
  const auto rows = static_cast<DWORD>(window.Bottom - window.Top + 1);
  FillBlanks(OutputOf(console), COORD{0, window.Top}, width * rows, screen.wAttributes);
  SetConsoleCursorPosition(OutputOf(console), COORD{window.Left, window.Top});
}

void MoveCursor(Console& console, int row, int column) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!ReadScreen(console, screen)) {
    return;
  }
  const COORD position{static_cast<SHORT>(screen.srWindow.Left + column - 1),
                       static_cast<SHORT>(screen.srWindow.Top + row - 1)};
  SetConsoleCursorPosition(OutputOf(console), position);
}

void ClearToLineEnd(Console& console) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (!ReadScreen(console, screen)) {
    return;
  }
  const auto count = static_cast<DWORD>(screen.dwSize.X - screen.dwCursorPosition.X);
  FillBlanks(OutputOf(console), screen.dwCursorPosition, count, screen.wAttributes);
}

void SetHiddenColours(Console& console) {
  if (console.outputIsTerminal) {
    SetConsoleTextAttribute(OutputOf(console), 0);  // black on black
  }
}

void SetNormalColours(Console& console) {
  if (console.outputIsTerminal) {
    SetConsoleTextAttribute(OutputOf(console), gLook.attributes);
  }
}

void SetCursorVisible(Console& console, bool visible) {
  if (console.outputIsTerminal) {
    CONSOLE_CURSOR_INFO cursor = gLook.cursor;
    cursor.bVisible = visible ? TRUE : FALSE;
    SetConsoleCursorInfo(OutputOf(console), &cursor);
  }
}

void MoveToColumnOne(Console& console) {
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (ReadScreen(console, screen)) {
    SetConsoleCursorPosition(OutputOf(console), COORD{0, screen.dwCursorPosition.Y});
  }
}

bool SwitchEchoOff(Console& console) {
  SecretInputGuard guard;
  guard.input = AsHandle(console.input);
  guard.output = OutputOf(console);
  guard.inputIsConsole = console.inputIsTerminal;
  guard.outputIsConsole = console.outputIsTerminal;
  if (guard.inputIsConsole && !GetConsoleMode(guard.input, &guard.normalMode)) {
    return false;
  }
  gGuard = guard;
  if (!SetConsoleCtrlHandler(RestoreConsoleOnEvent, TRUE)) {
    return false;
  }
  if (guard.inputIsConsole) {
    // Typed while the echo was still on: shown, so never part of secret input.
    FlushConsoleInputBuffer(guard.input);
    if (!SetConsoleMode(guard.input, guard.normalMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT))) {
      SetConsoleCtrlHandler(RestoreConsoleOnEvent, FALSE);
      return false;
    }
  }
  return true;
}

bool SwitchEchoOn(Console&) {
  const bool restored = !gGuard.inputIsConsole || SetConsoleMode(gGuard.input, gGuard.normalMode);
  SetConsoleCtrlHandler(RestoreConsoleOnEvent, FALSE);
  return restored;
}

}  // namespace platform
