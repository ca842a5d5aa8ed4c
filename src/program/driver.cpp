#include "program/driver.h"

#include <cstddef>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>

#include "dialog/console_input.h"
#include "dialog/output.h"
#include "key/key_entry.h"
#include "overlay/overlay.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/record_memory.h"
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

// The run's record, taken from the system and not by operator new: a failed
// operator new, the nothrow one too, throws inside the C++ library, and where
// memory is as short as that, the library may have had no room for its
// exceptions either, and ends the program by a signal.
RunState* NewRunState() {
  static_assert(alignof(RunState) <= alignof(std::max_align_t), "the record is aligned for it");
  void* memory = platform::AllocateRecordMemory(sizeof(RunState));
  return memory == nullptr ? nullptr : new (memory) RunState();
}

struct FreeRunState {
  void operator()(RunState* state) const {  // trivially destructible
    platform::FreeRecordMemory(state, sizeof(RunState));
  }
};

// Without room for its record the program cannot run: it says so in both
// languages (none is chosen yet) and ends with the closing line it writes
// when the input ends at the language question.
void ReportNoRoomForTheRun(const Surroundings& surroundings) {
  platform::Console console;
  platform::OpenConsole(console, surroundings.input, surroundings.output);
  const auto writeOwnLine = [&](std::string_view first, std::string_view second) {
    char converted[2 * 256 * platform::kMaxOwnCharBytes];
    std::size_t length = platform::ConvertOwnText(first, surroundings.charset, converted, sizeof converted);
    length += platform::ConvertOwnText(second, surroundings.charset, converted + length, sizeof converted - length);
    platform::WriteBytes(console, converted, length);
    platform::WriteLineEnd(console);
  };
  writeOwnLine(Text(Msg::NotEnoughMemory, kEnglish), {});
  writeOwnLine(Text(Msg::NotEnoughMemory, kGerman), {});
  platform::WriteLineEnd(console);
  writeOwnLine(Text(Msg::Banner, kEnglish), Text(Msg::BannerTerminated, kEnglish));
}

}  // namespace

namespace {

// So that the statistics can be read before the window closes.
void WaitForEnter(RunState& state) {
  SayConsole(state, Msg::PressEnterToClose);
  platform::DiscardTypeAhead(state.console);
  platform::SkipRestOfLine(state.console);
}

}  // namespace

Surroundings StandardSurroundings() {
  constexpr int kProgressAfterMs = 1000;
  Surroundings surroundings;
  surroundings.charset = platform::UserCharset();
  surroundings.progressAfterMs = platform::IsTerminal(surroundings.output) ? kProgressAfterMs : -1;
  surroundings.waitBeforeClosing = platform::ConsoleClosesWithProgram();
  return surroundings;
}

int RunProgram(int argumentCount, const char* const* arguments, const Surroundings& surroundings) {
  platform::PrepareProcess();
  // One record for the whole run, allocated once.
  const std::unique_ptr<RunState, FreeRunState> state(NewRunState());
  if (state == nullptr) {
    ReportNoRoomForTheRun(surroundings);
    return static_cast<int>(ExitStatus::DialogIncomplete);  // the run could not go as asked
  }
  ForEachKeyField(*state, platform::LockMemory);
  platform::OpenConsole(state->console, surroundings.input, surroundings.output);
  state->introPauseMs = surroundings.introPauseMs;
  state->textCharset = surroundings.charset;
  state->progress.afterMs = surroundings.progressAfterMs;
  state->processingThreads = surroundings.processingThreads;
  state->chunkClock = surroundings.chunkClock;
  state->argumentCount = argumentCount;
  state->arguments = arguments;
  if (!AnswerHelpOrVersion(*state)) {
    RunDialog(*state);
    EndProgram(*state);
  }
  if (surroundings.waitBeforeClosing) {
    WaitForEnter(*state);
  }
  const ExitStatus status = state->exitStatus;
  LeaveNoTrace(*state);
  return static_cast<int>(status);
}

}  // namespace dialog
