// The progress figure at a real (pseudo-)terminal, the program run in-process:
// whatever the terminal's width does and whatever the name holds, the final
// screen is the screen of the same run without the figure.
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "program/driver.h"
#include "platform/dataset_file.h"
#include "support/dialog_run.h"
#include "support/scratch_dir.h"
#include "support/terminal_screen.h"

namespace {

using testsupport::TerminalScreen;

// What the dataset writes' hook needs: the terminal and when to resize it.
struct Resize {
  int master = -1;
  TerminalScreen* screen = nullptr;
  std::string* output = nullptr;  // everything written to the terminal
  int beforeWrite = 0;  // the dataset write before which the width changes
  int columns = 0;
  int pauseMs = 0;      // then waits, so that the next figure is due
};
Resize gResize;

void Drain(int master, TerminalScreen& screen, std::string& output) {
  pollfd ready{master, POLLIN, 0};
  while (poll(&ready, 1, 50) > 0 && (ready.revents & POLLIN) != 0) {
    char chunk[4096];
    const ssize_t n = read(master, chunk, sizeof chunk);
    if (n <= 0) {
      return;
    }
    output.append(chunk, static_cast<std::size_t>(n));
    screen.Feed(std::string(chunk, static_cast<std::size_t>(n)));
  }
}

void SetWidth(int master, int columns) {
  winsize size{};
  size.ws_row = 24;
  size.ws_col = static_cast<unsigned short>(columns);
  ioctl(master, TIOCSWINSZ, &size);
}

// The terminal changes its width the moment the program changes it: what
// was written before is laid out in the old width.
void ResizeBeforeWrite(int write) {
  if (write != gResize.beforeWrite) {
    return;
  }
  Drain(gResize.master, *gResize.screen, *gResize.output);
  gResize.screen->Resize(gResize.columns);
  SetWidth(gResize.master, gResize.columns);
  std::this_thread::sleep_for(std::chrono::milliseconds(gResize.pauseMs));
}

// The stamps' date and time, also where a narrow row cut them.
std::string WithoutClock(const std::string& screen) {
  static const std::regex clock("[0-9][0-9][.:][0-9][0-9][.:][0-9]+");
  return std::regex_replace(screen, clock, "CLOCK");
}

struct Screen {
  std::string text;    // the final screen
  std::string output;  // everything written to the terminal
};

// Runs the program on a terminal `columns` wide, answered by `parameters`,
// with the figure after `progressAfterMs`, and resizes as `resize` says.
Screen RunAtTerminal(const std::vector<std::string>& parameters, platform::TextCharset charset,
                     int progressAfterMs, int columns, Resize resize) {
  int master = -1;
  int slave = -1;
  EXPECT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  SetWidth(master, columns);
  TerminalScreen screen(columns);
  std::string output;
  resize.master = master;
  resize.screen = &screen;
  resize.output = &output;
  gResize = resize;
  platform::DatasetFaults faults{.beforeWrite = ResizeBeforeWrite};
  platform::gDatasetFaults = &faults;
  std::FILE* in = testsupport::TemporaryFileWith("");
  std::vector<const char*> arguments{"tarvex5"};
  for (const std::string& parameter : parameters) {
    arguments.push_back(parameter.c_str());
  }
  arguments.push_back(nullptr);
  const dialog::Surroundings surroundings{.input = fileno(in),
                                          .output = slave,
                                          .introPauseMs = 0,
                                          .charset = charset,
                                          .progressAfterMs = progressAfterMs,
                                          .processingThreads = 1};
  // The output waits in the terminal while the program runs: it is short.
  EXPECT_EQ(dialog::RunProgram(static_cast<int>(parameters.size()), arguments.data(), surroundings), 0);
  platform::gDatasetFaults = nullptr;
  std::fclose(in);
  Drain(master, screen, output);
  close(slave);
  close(master);
  return {screen.Text(), output};
}

class ProgressAtTerminalTest : public ::testing::Test {
 protected:
  testsupport::ScratchDir scratch;
  testsupport::DirectoryGuard inScratch{scratch.path};
};

// Two parts of 1 MiB: the figure is drawn after the first, the terminal
// changes its width before the second is written; with `pauseMs` the next
// figure is due, and finds the width changed. The log never sees a figure.
TEST_F(ProgressAtTerminalTest, FinalScreenIsTheScreenWithoutTheFigure) {
  if (!testsupport::HaveUtf8Locale()) {
    GTEST_SKIP() << "no locale C.UTF-8";
  }
  constexpr auto kUtf8 = platform::TextCharset::Utf8;
  const auto repeated = [](const std::string& character, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      text += character;
    }
    return text;
  };
  const std::string wide = "\xE6\x97\xA5";      // two columns
  const std::string accented = "e\xCC\x81";     // e and a combining acute: one column
  struct Case {
    const char* label;
    std::string language;
    std::string name;
    platform::TextCharset charset;
    Resize resize;  // beforeWrite 0: none
    bool drawn;     // a figure stood on the screen
  };
  // At 80 columns the figure "  50% (1/2 MB)" takes 14 and needs the row's
  // last column free: the announcement must end before column 66.
  const Case cases[] = {
      {"80 to 40, narrower than the announcement", "0", "big.bin", kUtf8, {.beforeWrite = 2, .columns = 40}, true},
      {"80 to 40, the next figure due", "0", "big.bin", kUtf8,
       {.beforeWrite = 2, .columns = 40, .pauseMs = 300}, true},
      {"80 to 50, through the figure", "0", "big.bin", kUtf8, {.beforeWrite = 2, .columns = 50}, true},
      {"80 to 120", "1", "big.bin", platform::TextCharset::CodePage,
       {.beforeWrite = 2, .columns = 120, .pauseMs = 300}, true},
      {"wide characters to column 76", "0", repeated(wide, 20), kUtf8, {}, false},
      {"wide characters wrapped, to column 6", "0", repeated(wide, 25), kUtf8, {}, true},
      {"a wide character wraps early, to column 66", "1", "ab" + repeated(wide, 52), kUtf8, {}, false},
      {"combining marks, to column 56", "0", repeated(accented, 20), kUtf8, {}, true},
      {"combining marks, to column 66", "0", repeated(accented, 30), kUtf8, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testsupport::WriteFile(scratch.Path(c.name), std::string(2 << 20, 'x'));
    const std::vector<std::string> parameters = {c.language, "log.txt", c.name, "1", "1", "key", "0"};
    const Screen without = RunAtTerminal(parameters, c.charset, 1000000, 80, c.resize);
    const Screen with = RunAtTerminal(parameters, c.charset, 0, 80, c.resize);
    EXPECT_EQ(WithoutClock(with.text), WithoutClock(without.text));
    EXPECT_EQ(with.output.find("% (") != std::string::npos, c.drawn) << with.output;
    EXPECT_EQ(testsupport::ReadFile(scratch.Path("log.txt")).find(" MB)"), std::string::npos);
  }
}

}  // namespace
