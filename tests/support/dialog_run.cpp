#include "support/dialog_run.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>

#include <gtest/gtest.h>

#include "platform/console.h"
#include "program/driver.h"
#include "support/platform.h"

namespace testsupport {

std::FILE* TemporaryFileWith(const std::string& content) {
  std::FILE* file = TemporaryFile();
  if (file == nullptr) {
    ADD_FAILURE() << "no temporary file";
    return nullptr;
  }
  std::fwrite(content.data(), 1, content.size(), file);
  std::fflush(file);
  std::rewind(file);  // also the descriptor's position
  return file;
}

std::string ContentOf(std::FILE* file) {
  // Seeking drops what the FILE buffered, so the reads see what the console
  // wrote to the descriptor.
  std::rewind(file);
  std::string content;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    content.append(chunk, n);
  }
  return content;
}

std::string WithPlainLineEnds(const std::string& text) {
  const std::string lineEnd = platform::kConsoleLineEnd;
  std::string plain;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, lineEnd.size(), lineEnd) == 0) {
      plain += '\n';
      i += lineEnd.size();
    } else {
      plain += text[i++];
    }
  }
  return plain;
}

std::string ConsoleText(std::FILE* file) { return WithPlainLineEnds(ContentOf(file)); }

DialogResult RunDialog(const std::vector<std::string>& parameters, const std::string& input,
                       platform::TextCharset charset, int progressAfterMs, int processingThreads) {
  std::vector<const char*> arguments{"tarvex5"};
  for (const std::string& parameter : parameters) {
    arguments.push_back(parameter.c_str());
  }
  arguments.push_back(nullptr);
  std::FILE* in = TemporaryFileWith(input);
  std::FILE* out = TemporaryFileWith("");
  DialogResult result;
  if (in != nullptr && out != nullptr) {
    const dialog::Surroundings surroundings{.input = fileno(in),
                                            .output = fileno(out),
                                            .introPauseMs = 0,
                                            .charset = charset,
                                            .progressAfterMs = progressAfterMs,
                                            .processingThreads = processingThreads};
    result.status = dialog::RunProgram(static_cast<int>(parameters.size()), arguments.data(), surroundings);
    result.output = ConsoleText(out);
  }
  if (in != nullptr) {
    std::fclose(in);
  }
  if (out != nullptr) {
    std::fclose(out);
  }
  return result;
}

DirectoryGuard::DirectoryGuard(const std::string& directory)
    : previous(std::filesystem::current_path().string()) {
  std::filesystem::current_path(directory);
}

DirectoryGuard::~DirectoryGuard() {
  std::error_code ignored;
  std::filesystem::current_path(previous, ignored);
}

std::string LogLines(const std::string& text) {
  std::string lines;
  for (char c : text) {
    if (c == '\n') {
      lines += '\r';
    }
    lines += c;
  }
  return lines;
}

std::string Utf8Of(const std::string& codePage) {
  static const std::map<char, std::string> kLetters = {
      {'\x84', "ä"}, {'\x94', "ö"}, {'\x81', "ü"}, {'\x8E', "Ä"}, {'\x99', "Ö"},
      {'\x9A', "Ü"}, {'\xE1', "ß"}, {'\xAF', "»"}, {'\xAE', "«"}, {'\x82', "é"},
  };
  std::string utf8;
  for (char c : codePage) {
    const auto letter = kLetters.find(c);
    utf8 += letter == kLetters.end() ? std::string(1, c) : letter->second;
  }
  return utf8;
}

std::string WithoutStamps(const std::string& text) {
  static const std::regex stamp(
      "(Begin of process|End of process|Beginn der Bearbeitung|Ende der Bearbeitung): "
      "[A-Z][a-z]\\. \\d\\d\\.\\d\\d\\.\\d{4}, \\d\\d:\\d\\d:\\d\\d\\.");
  return std::regex_replace(text, stamp, "$1: STAMP");
}

}  // namespace testsupport
