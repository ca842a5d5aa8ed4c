#pragma once
// The columns a text takes on a terminal, as terminals lay it out: a
// character is one or two columns wide (the ideographs and syllables of East
// Asia two), a combining mark none, and a row that cannot hold the next
// character whole continues on the next row. Only what terminals agree on
// is counted; a text holding anything else has no certain place.

#include <string_view>

#include "platform/oem_text.h"

namespace dialog {

// The columns the character `codePoint` takes: 0, 1 or 2; -1 where terminals
// differ (emoji, characters of ambiguous or changing width, the combining
// marks of most scripts) or it is not known.
[[nodiscard]] int CharacterColumns(char32_t codePoint);

// Where `text` ends when written from the first column of a row `columns`
// wide: the column after its last character on the row where it ends (counted
// from 0; `columns` when it fills that row to its end). In a code-page run
// each byte is a character of one column. -1 where that is not certain: the
// width is not known (`columns` < 1), or the text holds a control byte, a
// character of uncertain width, a character wider than the row, or (in a
// UTF-8 run) bytes that are no UTF-8.
[[nodiscard]] int EndColumn(std::string_view text, platform::TextCharset charset, int columns);

}  // namespace dialog
