// The whole program in-process, its parameters and console input taken from
// the fuzzer's bytes, in a scratch directory that holds a few datasets to
// process and to name as list, key and overlay datasets.
//
// Input: the first byte b gives the number of parameters n = b modulo 13 and
// the character set of the program's own texts (UTF-8 when b / 13 is odd,
// else the code page); then n parameters, each ended by a zero byte (fewer
// when the bytes run out); the rest is the console input. No byte can name anything outside the scratch
// directory: "/" and ".." are changed (fuzzsupport::ConfinedToScratch).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "program/driver.h"

namespace {

constexpr int kMostParameters = 12;

struct ProgramInput {
  std::vector<std::string> parameters;
  std::string console;
  platform::TextCharset charset = platform::TextCharset::CodePage;
};

ProgramInput Split(const std::uint8_t* data, std::size_t size) {
  ProgramInput input;
  if (size == 0) {
    return input;
  }
  const std::string bytes = fuzzsupport::ConfinedToScratch(
      std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  const std::size_t count = data[0] % (kMostParameters + 1);
  if (data[0] / (kMostParameters + 1) % 2 == 1) {
    input.charset = platform::TextCharset::Utf8;
  }
  std::size_t next = 0;
  while (input.parameters.size() < count) {
    const std::size_t end = bytes.find('\0', next);
    if (end == std::string::npos) {
      break;
    }
    input.parameters.push_back(bytes.substr(next, end - next));
    next = end + 1;
  }
  input.console = bytes.substr(next);
  return input;
}

// Datasets of every length class (under one block, one block and a part,
// several blocks), a subdirectory, and valid list, key and overlay datasets.
void WriteDatasets() {
  fuzzsupport::WriteScratchFile("a.txt", "Short text dataset.\r\n");
  fuzzsupport::WriteScratchFile("b.bin", std::string(700, '\x5A'));
  fuzzsupport::WriteScratchFile("sub/c.txt", std::string(1500, 'c'));
  fuzzsupport::WriteScratchFile("sub/deep/d.txt", "d");
  fuzzsupport::WriteScratchFile("list.txt", "a.txt\r\nsub/c.txt trailing words\r\n*.bin\r\n");
  fuzzsupport::WriteScratchFile("key.txt", "0123456789abcdef\r\nFEDC\r\n");
  fuzzsupport::WriteScratchFile("ovl.txt", "1:a,2:b,\r\n3:\r\nc,");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ProgramInput input = Split(data, size);
  std::vector<const char*> arguments{"tarvex5"};
  for (const std::string& parameter : input.parameters) {
    arguments.push_back(parameter.c_str());
  }
  arguments.push_back(nullptr);
  fuzzsupport::EnterEmptyScratch();
  WriteDatasets();
  const dialog::Surroundings surroundings{.input = fuzzsupport::ConsoleInput(input.console),
                                          .output = fuzzsupport::ConsoleOutput(),
                                          .introPauseMs = 0,
                                          .charset = input.charset};
  (void)dialog::RunProgram(static_cast<int>(input.parameters.size()), arguments.data(), surroundings);
  fuzzsupport::LeaveScratch();
  return 0;
}
