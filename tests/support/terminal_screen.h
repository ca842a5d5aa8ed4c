#pragma once
// What a terminal shows after a stream of output, as xterm lays it out: UTF-8
// characters one or two columns wide (as the C library's wcwidth counts them
// under C.UTF-8), combining marks on the character before them, automatic
// wrap at the row's end, CR, LF and backspace, and the few control sequences
// the program writes (clear the screen, move the cursor, clear to the end of
// the row; colours and the cursor's visibility are ignored). A resize cuts or
// widens every row and keeps the cursor inside the new width, without
// wrapping anything anew. The rows grow without scrolling, so the whole
// output stays to be compared.

#include <string>
#include <vector>

namespace testsupport {

struct TerminalScreen {
  explicit TerminalScreen(int columns);

  // Takes more output; a character or control sequence may continue in the next part.
  void Feed(const std::string& output);
  void Resize(int columns);
  // The rows, each without its trailing blanks, with "\n" after each; the
  // empty rows at the end left out.
  std::string Text() const;

  int columns;
  std::vector<std::vector<std::string>> rows;  // each cell: its character's UTF-8, "" behind a wide one
  int row = 0;
  int column = 0;
  bool wrapPending = false;  // the last column was written: the next character begins a new row
  std::string unfinished;    // a character or control sequence not yet complete
};

// Whether the C library knows the locale C.UTF-8, which Feed needs for UTF-8.
bool HaveUtf8Locale();

}  // namespace testsupport
