#include "overlay/overlay_text.h"

namespace overlay {

void AddText(MessageLines& message, const dialog::RunState& state, dialog::Msg id) {
  std::string_view text = dialog::Text(id, state.Language);
  for (std::size_t lineEnd = text.find('\n'); lineEnd != std::string_view::npos;
       lineEnd = text.find('\n')) {
    dialog::AddOwnText(message.lines[message.count - 1], state, text.substr(0, lineEnd));
    // More lines than the record holds cannot come from the catalogue; the
    // rest then stays on the last line rather than being lost.
    if (message.count < kMaxMessageLines) {
      ++message.count;
    }
    text.remove_prefix(lineEnd + 1);
  }
  dialog::AddOwnText(message.lines[message.count - 1], state, text);
}

void AddName(MessageLines& message, const dialog::RunState& state, std::string_view text) {
  dialog::AddName(message.lines[message.count - 1], state, text);
}

void AddDecimal(MessageLines& message, long long value) {
  dialog::AddNumber(message.lines[message.count - 1], value);
}

void DropFinalFullStop(MessageLines& message) {
  dialog::Line& last = message.lines[message.count - 1];
  if (last.length > 0 && last.chars[last.length - 1] == '.') {
    --last.length;
  }
}

void WriteConsole(dialog::RunState& state, const MessageLines& message) {
  for (int i = 0; i < message.count; ++i) {
    dialog::WriteConsoleLine(state, message.lines[i]);
  }
}

void WriteBoth(dialog::RunState& state, const MessageLines& message) {
  WriteConsole(state, message);
  WriteLog(state, message);
}

void WriteLog(dialog::RunState& state, const MessageLines& message) {
  for (int i = 0; i < message.count; ++i) {
    dialog::WriteLogLine(state, message.lines[i]);
  }
}

void SayLines(dialog::RunState& state, dialog::Msg id) {
  MessageLines message;
  AddText(message, state, id);
  WriteConsole(state, message);
}

}  // namespace overlay
