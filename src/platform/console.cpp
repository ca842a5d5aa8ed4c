// The console's input buffer and line handling, the same on every platform;
// the platform files read and write the bytes.
#include <cstring>

#include "platform/console.h"
#include "platform/console_native.h"

namespace platform {

namespace {

bool IsLineEnd(int byte) { return byte == '\r' || byte == '\n'; }

void EndInput(Console& console) {
  console.atEnd = true;
  console.atLineStart = true;
  console.begin = console.end = 0;
}

// Forgets the input that the buffer holds.
void DropBufferedInput(Console& console) {
  console.begin = console.end = 0;
  console.dropLineFeed = false;
}

// Refills the buffer; false at the end of the input or on a read error.
bool Fill(Console& console) {
  if (console.atEnd) {
    return false;
  }
  const std::size_t n = ReadConsoleBytes(console, console.buffer, sizeof console.buffer);
  if (n == 0) {
    EndInput(console);
    return false;
  }
  console.begin = 0;
  console.end = n;
  return true;
}

}  // namespace

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

void DropFollowingLineFeed(Console& console) { console.dropLineFeed = true; }

void DiscardTypeAhead(Console& console) {
  if (console.inputIsTerminal) {
    DropBufferedInput(console);
    FlushTypedInput(console);
  }
}

void WriteBytes(Console& console, const char* data, std::size_t size) {
  if (!console.writeFailed && !WriteConsoleBytes(console, data, size)) {
    console.writeFailed = true;
  }
}

void WriteLineEnd(Console& console) {
  WriteBytes(console, kConsoleLineEnd, std::strlen(kConsoleLineEnd));
}

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
    return SwitchEchoOn(console);
  }
  if (!SwitchEchoOff(console)) {
    return false;
  }
  if (console.inputIsTerminal) {
    // Typed while the echo was still on: shown, so never part of secret input.
    DropBufferedInput(console);
  }
  console.echoIsOff = true;
  return true;
}

}  // namespace platform
