#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>

#include <langinfo.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/console.h"
#include "platform/posix_io.h"
#include "platform/terminal_guard_posix.h"

namespace platform {

namespace {

int Descriptor(std::intptr_t handle) { return static_cast<int>(handle); }

bool IsLineEnd(int byte) { return byte == '\r' || byte == '\n'; }

void EndInput(Console& console) {
  console.atEnd = true;
  console.atLineStart = true;
  console.begin = console.end = 0;
}

// Refills the buffer; false at the end of the input or on a read error.
bool Fill(Console& console) {
  if (console.atEnd) {
    return false;
  }
  for (;;) {
    const ssize_t n = read(Descriptor(console.input), console.buffer, sizeof console.buffer);
    if (n > 0) {
      console.begin = 0;
      console.end = static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    EndInput(console);
    return false;
  }
}

void WriteText(Console& console, const char* text) { WriteBytes(console, text, std::strlen(text)); }

}  // namespace

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

int PeekByte(Console& console) {
  for (;;) {
    if (console.begin == console.end && !Fill(console)) {
      return -1;
    }
    const unsigned char byte = console.buffer[console.begin];
    if (console.dropLineFeed) {
      console.dropLineFeed = false;
      if (byte == '\n') {
        ++console.begin;
        continue;
      }
    }
    if (console.lineLength >= kMaxLineLength && !IsLineEnd(byte)) {
      EndInput(console);
      return -1;
    }
    return byte;
  }
}

int ReadByte(Console& console) {
  const int byte = PeekByte(console);
  if (byte >= 0) {
    ++console.begin;
    console.atLineStart = IsLineEnd(byte);
    console.lineLength = console.atLineStart ? 0 : console.lineLength + 1;
  }
  return byte;
}

bool ReadLine(Console& console, char* text, std::size_t capacity, std::size_t& length, bool& cut) {
  length = 0;
  cut = false;
  int byte = ReadByte(console);
  if (byte < 0) {
    return false;
  }
  while (byte >= 0 && byte != '\r' && byte != '\n') {
    if (length < capacity) {
      text[length++] = static_cast<char>(byte);
    } else {
      cut = true;
    }
    byte = ReadByte(console);
  }
  console.dropLineFeed = byte == '\r';
  return true;
}

void SkipRestOfLine(Console& console) {
  int byte = ReadByte(console);
  while (byte >= 0 && byte != '\r' && byte != '\n') {
    byte = ReadByte(console);
  }
  console.dropLineFeed = byte == '\r';
}

void FinishCurrentLine(Console& console) {
  if (!console.atLineStart) {
    SkipRestOfLine(console);
  }
}

void DiscardTypeAhead(Console& console) {
  if (!console.inputIsTerminal) {
    return;
  }
  console.begin = console.end = 0;
  console.dropLineFeed = false;
  tcflush(Descriptor(console.input), TCIFLUSH);
}

void WriteBytes(Console& console, const char* data, std::size_t size) {
  if (!console.writeFailed && !WriteAll(Descriptor(console.output), data, size)) {
    console.writeFailed = true;
  }
}

void WriteLineEnd(Console& console) { WriteBytes(console, "\n", 1); }

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

void DropFollowingLineFeed(Console& console) { console.dropLineFeed = true; }

bool SetEcho(Console& console, bool on) {
  if (on != console.echoIsOff) {
    return true;
  }
  // Without a terminal there is nothing to switch and nothing to restore.
  if (!console.inputIsTerminal && !console.outputIsTerminal) {
    console.echoIsOff = !on;
    return true;
  }
  if (on) {
    console.echoIsOff = false;
    return LeaveSecretInput();
  }
  if (!EnterSecretInput(Descriptor(console.input), console.inputIsTerminal,
                        Descriptor(console.output), console.outputIsTerminal)) {
    return false;
  }
  if (console.inputIsTerminal) {
    // Typed while the echo was still on: shown, so never part of secret input.
    console.begin = console.end = 0;
    console.dropLineFeed = false;
  }
  console.echoIsOff = true;
  return true;
}

}  // namespace platform
