#pragma once
// The message catalogue: every text the program shows, in English and German,
// as bytes of the console code page. The texts are listed, one line each, in
// the .def files beside it: messages.def for the dialog, the selection and the
// processing run, key_messages.def and overlay_messages.def for those phases.

#include <cstdint>
#include <string_view>

namespace dialog {

enum class Msg : std::uint16_t {
#define TARVEX5_MESSAGE(id, english, german) id,
#include "dialog/messages.def"
#include "dialog/key_messages.def"
#include "dialog/overlay_messages.def"
#undef TARVEX5_MESSAGE
  Count
};

inline constexpr int kEnglish = 0;
inline constexpr int kGerman = 1;

// The text of `message` in `language` (0 English, anything else German).
std::string_view Text(Msg message, int language);

}  // namespace dialog
