#include "program/driver.h"

#include <memory>
#include <type_traits>

#include "dialog/console_input.h"
#include "dialog/output.h"
#include "key/key_entry.h"
#include "overlay/overlay.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/wipe.h"
#include "processing/processing.h"
#include "program/program_steps.h"
#include "selection/selection.h"

namespace dialog {

namespace {

// The start of the run: the counters and names that the phases fill in.
void PrepareRun(RunState& state) {
  state.byteCount = 0;
  state.datasetCount = 0;
  state.directoryCount = 0;
  platform::Clear(state.ControlLogPath);
  platform::Clear(state.ListDatasetPath);
  platform::Clear(state.KeyDatasetName);
  platform::Clear(state.OverlayDatasetName);
  (void)platform::CurrentDirectory(state.StartDirectory);  // empty when unknown
  EmptyConsoleLine(state);
}

void ShowIntro(RunState& state) {
  platform::Decipher(platform::StoredIntroImage(state.Language), platform::kScreenSize,
                     state.StartupScreenCopy);
  platform::ShowIntroScreen(state.console, state.StartupScreenCopy, state.textCharset, state.introPauseMs);
}

// A phase ends the run also when the log could no longer be written.
Flow Checked(RunState& state, Flow flow) {
  if (flow == Flow::Go && state.logWriteFailed) {
    return Terminate(state);
  }
  return flow;
}

// The next question, after an empty console line.
Flow NextQuestion(RunState& state, Flow (*phase)(RunState&)) {
  EmptyConsoleLine(state);
  return Checked(state, phase(state));
}

void RunDialog(RunState& state) {
  platform::ProgramPath(state.arguments[0], state.ProgramPath);
  if (AskLanguage(state) == Flow::Stop) {
    return;
  }
  ShowIntro(state);
  PrepareRun(state);
  if (Checked(state, AskControlLog(state)) == Flow::Stop ||
      NextQuestion(state, AskSelection) == Flow::Stop ||
      NextQuestion(state, AskProcessingForm) == Flow::Stop) {
    return;
  }
  // The key entry ends with the empty line that comes before question 7.
  if (NextQuestion(state, key::RunKeyEntry) == Flow::Stop ||
      Checked(state, overlay::RunOverlay(state)) == Flow::Stop) {
    return;
  }
  (void)Checked(state, RunProcessing(state));
}

// The fields through which key material passes: the console buffer (typed
// keys and overlays), the parameter and answer texts (parameters 6 and 12,
// secret lines read after an error), InitialKey, KeyBackup and the cipher.
// Kept out of swap while the run lasts.
void ForEachKeyField(RunState& state, void (*action)(void*, std::size_t)) {
  action(&state.console, sizeof state.console);
  action(&state.ParameterText, sizeof state.ParameterText);
  action(&state.AnswerText, sizeof state.AnswerText);
  action(state.InitialKey, sizeof state.InitialKey);
  action(state.KeyBackup, sizeof state.KeyBackup);
  action(&state.cipher, sizeof state.cipher);
}

// The terminal is given back even if a way out missed RestoreInput, and key
// material (the key as typed in the console buffer, parameter 6, the control
// copy, InitialKey, KeyBackup, the cipher's saved state) does not outlive the
// run: the whole record is wiped, which is simpler to keep right than a list.
void LeaveNoTrace(RunState& state) {
  if (state.console.echoIsOff) {
    RestoreInput(state);
  }
  static_assert(std::is_trivially_destructible_v<RunState>, "RunState is wiped as plain bytes");
  platform::WipeBytes(&state, sizeof state);
  ForEachKeyField(state, platform::UnlockMemory);
}

}  // namespace

Surroundings StandardSurroundings() {
  constexpr int kProgressAfterMs = 1000;
  Surroundings surroundings;
  surroundings.charset = platform::UserCharset();
  surroundings.progressAfterMs = platform::IsTerminal(surroundings.output) ? kProgressAfterMs : -1;
  return surroundings;
}

int RunProgram(int argumentCount, const char* const* arguments, const Surroundings& surroundings) {
  platform::PrepareProcess();
  // One record for the whole run, allocated once.
  auto state = std::make_unique<RunState>();
  ForEachKeyField(*state, platform::LockMemory);
  platform::OpenConsole(state->console, surroundings.input, surroundings.output);
  state->introPauseMs = surroundings.introPauseMs;
  state->textCharset = surroundings.charset;
  state->progress.afterMs = surroundings.progressAfterMs;
  state->processingThreads = surroundings.processingThreads;
  state->argumentCount = argumentCount;
  state->arguments = arguments;
  if (!AnswerHelpOrVersion(*state)) {
    RunDialog(*state);
    EndProgram(*state);
  }
  LeaveNoTrace(*state);
  return 0;
}

}  // namespace dialog
