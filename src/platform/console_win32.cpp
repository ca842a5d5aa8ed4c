// The console on Windows: bytes through ReadFile and WriteFile (the console
// shows them in its own code page, which is never changed), the screen through
// the console functions, and secret input with the echo switched off in the
// console's input mode.
#include <io.h>

#include "platform/console.h"
#include "platform/console_native.h"
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
  FillConsoleOutputCharacterA(output, ' ', count, from, &written);
  FillConsoleOutputAttribute(output, attributes, count, from, &written);
}

}  // namespace

std::size_t ReadConsoleBytes(Console& console, unsigned char* buffer, std::size_t size) {
  for (;;) {
    DWORD read = 0;
    SetLastError(ERROR_SUCCESS);
    if (ReadFile(AsHandle(console.input), buffer, TransferSize(size), &read, nullptr) && read > 0) {
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

TextCharset UserCharset() { return TextCharset::CodePage; }

void FlushTypedInput(const Console& console) { FlushConsoleInputBuffer(AsHandle(console.input)); }

bool WriteConsoleBytes(const Console& console, const char* data, std::size_t size) {
  return WriteAll(OutputOf(console), data, size);
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
