#include "support/terminal_screen.h"

#include <locale.h>
#include <wchar.h>

#include <algorithm>
#include <cstdlib>

namespace testsupport {

namespace {

locale_t Utf8Locale() {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return utf8;
}

// The columns of the UTF-8 character `character`, as wcwidth counts them.
int WidthOf(const std::string& character) {
  const locale_t previous = uselocale(Utf8Locale());
  wchar_t wide = 0;
  mbstate_t state{};
  const std::size_t n = mbrtowc(&wide, character.data(), character.size(), &state);
  const int width = n == character.size() ? wcwidth(wide) : 1;
  uselocale(previous);
  return width < 0 ? 1 : width;
}

std::size_t Utf8Length(unsigned char lead) {
  return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

}  // namespace

bool HaveUtf8Locale() { return Utf8Locale() != static_cast<locale_t>(nullptr); }

TerminalScreen::TerminalScreen(int width) : columns(width) {}

void TerminalScreen::Resize(int width) {
  columns = width;
  for (std::vector<std::string>& cells : rows) {
    cells.resize(static_cast<std::size_t>(width), " ");
  }
  column = std::min(column, width - 1);
  wrapPending = false;
}

void TerminalScreen::Feed(const std::string& output) {
  std::string input = unfinished + output;
  unfinished.clear();
  std::size_t at = 0;
  auto cell = [&](int r, int c) -> std::string& {
    while (static_cast<int>(rows.size()) <= r) {
      rows.emplace_back(static_cast<std::size_t>(columns), " ");
    }
    return rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
  };
  while (at < input.size()) {
    const auto byte = static_cast<unsigned char>(input[at]);
    if (byte == 0x1B) {
      // Only CSI sequences: ESC [ parameters final.
      std::size_t end = at + 2;
      while (end < input.size() && (input[end] < 0x40 || input[end] > 0x7E)) {
        ++end;
      }
      if (end >= input.size()) {
        unfinished = input.substr(at);
        return;
      }
      const std::string parameters = input.substr(at + 2, end - at - 2);
      switch (input[end]) {
        case 'J':
          rows.clear();
          break;
        case 'H': {
          const std::size_t semicolon = parameters.find(';');
          row = parameters.empty() ? 0 : std::atoi(parameters.c_str()) - 1;
          column = semicolon == std::string::npos ? 0 : std::atoi(parameters.c_str() + semicolon + 1) - 1;
          wrapPending = false;
          break;
        }
        case 'K':
          for (int c = column; c < columns; ++c) {
            cell(row, c) = " ";
          }
          break;
        default:
          break;
      }
      at = end + 1;
      continue;
    }
    if (byte == '\r' || byte == '\n' || byte == '\b') {
      if (byte == '\r') {
        column = 0;
      } else if (byte == '\n') {
        ++row;
      } else {
        column = std::max(0, column - 1);
      }
      wrapPending = false;
      ++at;
      continue;
    }
    const std::size_t length = Utf8Length(byte);
    if (at + length > input.size()) {
      unfinished = input.substr(at);
      return;
    }
    const std::string character = input.substr(at, length);
    at += length;
    const int width = WidthOf(character);
    if (width == 0) {
      cell(row, std::max(0, column - (wrapPending ? 0 : 1))) += character;
      continue;
    }
    if (wrapPending || column + width > columns) {
      ++row;
      column = 0;
    }
    wrapPending = false;
    cell(row, column) = character;
    if (width == 2) {
      cell(row, column + 1) = "";
    }
    column += width;
    if (column >= columns) {
      column = columns - 1;
      wrapPending = true;
    }
  }
}

std::string TerminalScreen::Text() const {
  std::string text;
  std::string pendingRows;
  for (const std::vector<std::string>& cells : rows) {
    std::string line;
    for (const std::string& c : cells) {
      line += c;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    pendingRows += line + "\n";
    if (!line.empty()) {
      text += pendingRows;
      pendingRows.clear();
    }
  }
  return text;
}

}  // namespace testsupport
