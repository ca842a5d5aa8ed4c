// The text parsers alone, without the rest of the dialog: the overlay
// information in its seven notations (from parameter 12, an overlay dataset
// or the keyboard), the key in ASCII or hexadecimal (from parameter 6, a key
// dataset or the keyboard) and the lines of a list dataset.
//
// Input: the first byte (modulo 7) chooses the parser, the second its
// variant (the overlay's form, the key's character set, input with or
// without echo); the rest is the text. "/" and ".." are changed as in the
// dialog target, so that a name in the text stays in the scratch directory.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "dialog/output.h"
#include "dialog/run_state.h"
#include "fuzz_support.h"
#include "key/key_entry.h"
#include "overlay/overlay.h"
#include "platform/text_dataset.h"

namespace {

using dialog::RunState;

enum Parser : std::uint8_t {
  kOverlayParameter,
  kOverlayDataset,
  kOverlayKeyboard,
  kKeyParameter,
  kKeyDataset,
  kKeyKeyboard,
  kListLines,
  kParserCount
};

struct TextInput {
  Parser parser = kOverlayParameter;
  std::string form;      // the overlay's form, "1" to "7"
  std::string charset;   // the key's character set, "1" or "2"
  std::string echoMode;  // the keyboard's entry mode: "0" without echo, "1" with echo
  std::string text;
};

TextInput Split(const std::uint8_t* data, std::size_t size) {
  TextInput input;
  if (size < 2) {
    return input;
  }
  input.parser = static_cast<Parser>(data[0] % kParserCount);
  input.form = std::to_string(1 + data[1] % 7);
  input.charset = std::to_string(1 + data[1] % 2);
  input.echoMode = (data[1] / 7) % 2 == 0 ? "0\n" : "1\n";
  input.text = fuzzsupport::ConfinedToScratch(
      std::string(reinterpret_cast<const char*>(data) + 2, size - 2));
  return input;
}

// One record for all inputs: the 1 MiB processing chunk at its end is never
// used here, so only the fields before it are set back to their start values.
RunState& FreshState() {
  static_assert(std::is_standard_layout_v<RunState>, "RunState is reset as plain bytes");
  static const auto pristine = std::make_unique<RunState>();
  static const auto state = std::make_unique<RunState>();
  std::memcpy(state.get(), pristine.get(), offsetof(RunState, processingChunk));
  return *state;
}

void RunQuestions(const std::vector<std::string>& parameters, const std::string& console,
                  dialog::Flow (*questions)(RunState&)) {
  std::vector<const char*> arguments{"tarvex5"};
  for (const std::string& parameter : parameters) {
    arguments.push_back(parameter.c_str());
  }
  RunState& state = FreshState();
  platform::OpenConsole(state.console, fuzzsupport::ConsoleInput(console), fuzzsupport::ConsoleOutput());
  state.argumentCount = static_cast<int>(parameters.size());
  state.arguments = arguments.data();
  (void)questions(state);
}

void ReadListLines(const std::string& text) {
  fuzzsupport::WriteScratchFile("list.txt", text);
  platform::TextDataset list;
  if (!platform::OpenTextDataset(list, "list.txt")) {
    return;
  }
  const platform::ListCharset charset = platform::TakeByteOrderMark(list);
  platform::PathText line;
  while (platform::ReadListLine(list, charset, platform::UnmarkedLines::Utf8OrCodePage, line)) {
    const std::string_view entry = platform::View(line);
    dialog::Line shown;
    dialog::AddName(shown, entry.substr(0, entry.find(' ')), line.cut, {platform::TextCharset::Utf8});
  }
  platform::CloseTextDataset(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TextInput input = Split(data, size);
  // Questions 1 to 4 answered, with the key and the limits the parsers need.
  std::vector<std::string> overlay{"0", "log.txt", "a.txt", "1", "1", "key", input.form,
                                   "1", "256",     "0",     "255"};
  std::vector<std::string> key{"0", "log.txt", "a.txt", "1", input.charset};
  fuzzsupport::EnterEmptyScratch();
  switch (input.parser) {
    case kOverlayParameter:
      overlay.push_back(input.text);
      RunQuestions(overlay, "", overlay::RunOverlay);
      break;
    case kOverlayDataset:
      fuzzsupport::WriteScratchFile("ovl.txt", input.text);
      overlay.push_back("(ovl.txt)");
      RunQuestions(overlay, "", overlay::RunOverlay);
      break;
    case kOverlayKeyboard:
      RunQuestions(overlay, input.echoMode + input.text, overlay::RunOverlay);
      break;
    case kKeyParameter:
      key.push_back(input.text);
      RunQuestions(key, "", key::RunKeyEntry);
      break;
    case kKeyDataset:
      fuzzsupport::WriteScratchFile("key.txt", input.text);
      key.push_back("(key.txt)");
      RunQuestions(key, "", key::RunKeyEntry);
      break;
    case kKeyKeyboard:
      RunQuestions(key, input.echoMode + input.text, key::RunKeyEntry);
      break;
    default:
      ReadListLines(input.text);
      break;
  }
  fuzzsupport::LeaveScratch();
  return 0;
}
