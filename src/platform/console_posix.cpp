#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>

#include <langinfo.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/console.h"
#include "platform/console_native.h"
#include "platform/posix_io.h"
#include "platform/terminal_guard_posix.h"

namespace platform {

const char kConsoleLineEnd[] = "\n";

namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

void WriteText(Console& console, const char* text) { WriteBytes(console, text, std::strlen(text)); }

}  // namespace

std::size_t ReadConsoleBytes(Console& console, unsigned char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(Descriptor(console.input), buffer, size);
    if (n >= 0 || errno != EINTR) {
      return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
  }
}

void OpenConsole(Console& console, std::intptr_t input, std::intptr_t output) {
  console = Console{};
  console.input = input;
  console.output = output;
  console.inputIsTerminal = IsTerminal(input);
  console.outputIsTerminal = IsTerminal(output);
}

bool IsTerminal(std::intptr_t handle) { return isatty(Descriptor(handle)) == 1; }

int TerminalColumns(const Console& console) {
  winsize size{};
  if (ioctl(Descriptor(console.output), TIOCGWINSZ, &size) != 0) {
    return 0;
  }
  return size.ws_col;
}

const bool kKeyCharactersAsCodePage = false;

bool ConsoleClosesWithProgram() { return false; }

std::size_t KeyBytesOf(char32_t, unsigned char*) { return 0; }

TextCharset UserCharset() {
  // Everything else the program does stays byte by byte, as in the C locale:
  // the user's locale is looked at and the previous one put back at once.
  const char* previous = std::setlocale(LC_CTYPE, nullptr);
  char kept[64] = "C";
  if (previous != nullptr && std::strlen(previous) < sizeof kept) {
    std::memcpy(kept, previous, std::strlen(previous) + 1);
  }
  TextCharset charset = TextCharset::CodePage;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset != nullptr && std::strcmp(codeset, "UTF-8") == 0) {
      charset = TextCharset::Utf8;
    }
  }
  std::setlocale(LC_CTYPE, kept);
  return charset;
}

void FlushTypedInput(const Console& console) {
  // What is typed while the program runs in the background is meant for the
  // program in the foreground.
  if (MayChangeTerminal(Descriptor(console.input))) {
    tcflush(Descriptor(console.input), TCIFLUSH);
  }
}

bool WriteConsoleBytes(const Console& console, const char* data, std::size_t size) {
  return WriteAll(Descriptor(console.output), data, size);
}

void ClearScreen(Console& console) {
  if (console.outputIsTerminal) {
    WriteText(console, "\x1b[2J\x1b[H");
  }
}

void MoveCursor(Console& console, int row, int column) {
  if (console.outputIsTerminal) {
    char sequence[32];
    std::snprintf(sequence, sizeof sequence, "\x1b[%d;%dH", row, column);
    WriteText(console, sequence);
  }
}

void ClearToLineEnd(Console& console) {
  if (console.outputIsTerminal) {
    WriteText(console, "\x1b[K");
  }
}

void SetHiddenColours(Console& console) {
  if (console.outputIsTerminal) {
    WriteText(console, "\x1b[30;40m");
  }
}

void SetNormalColours(Console& console) {
  if (console.outputIsTerminal) {
    WriteText(console, "\x1b[0m");
  }
}

void SetCursorVisible(Console& console, bool visible) {
  if (console.outputIsTerminal) {
    WriteText(console, visible ? "\x1b[?25h" : "\x1b[?25l");
  }
}

void MoveToColumnOne(Console& console) {
  if (console.outputIsTerminal) {
    WriteText(console, "\r");
  }
}

bool SwitchEchoOff(Console& console) {
  return EnterSecretInput(Descriptor(console.input), console.inputIsTerminal,
                          Descriptor(console.output), console.outputIsTerminal);
}

bool SwitchEchoOn(Console&) { return LeaveSecretInput(); }

}  // namespace platform
