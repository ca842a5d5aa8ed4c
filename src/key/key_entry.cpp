#include "key/key_entry.h"

namespace key {

dialog::Flow RunKeyEntry(dialog::RunState&) {
  // The key phase ends the run until key input is built.
  return dialog::Flow::Stop;
}

}  // namespace key
