#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "dialog/output.h"
#include "platform/intro_screen.h"
#include "program/program_steps.h"

namespace dialog {

namespace {

bool IsOnlyParameter(const RunState& state, std::initializer_list<std::string_view> options) {
  if (state.argumentCount != 1) {
    return false;
  }
  for (std::string_view option : options) {
    if (option == state.arguments[1]) {
      return true;
    }
  }
  return false;
}

// The description's lines, CR LF replaced by the console's line end, and
// without the blanks that pad it to its size.
void WriteDescription(RunState& state) {
  std::uint8_t plain[platform::kDescriptionSize];
  platform::Decipher(platform::StoredParameterDescription(kEnglish), sizeof plain, plain);
  const std::string_view description(reinterpret_cast<const char*>(plain), sizeof plain);
  const std::size_t textEnd = description.find_last_not_of(" \r\n") + 1;
  for (std::size_t start = 0; start < textEnd;) {
    const std::size_t end = std::min(description.find("\r\n", start), description.size());
    Line line;
    AddOwnText(line, state, description.substr(start, end - start));
    WriteConsoleLine(state, line);
    start = end + 2;
  }
}

// After the description, which the log holds as well, what only --help
// tells: the exit statuses, for scripts, in the words of the system's shell
// (CMake names the file).
constexpr std::string_view kExitStatusLines[] = {
#include TARVEX5_EXIT_STATUS_HELP
};

void WriteExitStatuses(RunState& state) {
  for (std::string_view text : kExitStatusLines) {
    Line line;
    AddOwnText(line, state, text);
    WriteConsoleLine(state, line);
  }
}

}  // namespace

bool AnswerHelpOrVersion(RunState& state) {
  // "/?" as Windows programs take it (on POSIX no language answer either).
  if (IsOnlyParameter(state, {"--help", "-h", "-?", "/?"})) {
    WriteDescription(state);
    WriteExitStatuses(state);
    return true;
  }
  if (IsOnlyParameter(state, {"--version"})) {
    state.Language = kEnglish;
    SayConsole(state, Msg::Banner);
    return true;
  }
  return false;
}

}  // namespace dialog
