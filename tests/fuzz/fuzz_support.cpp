#include "fuzz_support.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fuzzsupport {

namespace {

namespace fs = std::filesystem;

struct Places {
  std::string scratch;
  int startDirectory = -1;
};

void RemoveScratch();

// Never destroyed: the handler that removes the directory runs at exit, after
// the destructors of statics made before it was registered.
Places& ThePlaces() {
  static Places& places = *[] {
    auto* made = new Places;
    // In memory where the system offers it: a disk makes every input wait for
    // the creation and removal of the datasets.
    std::error_code noMemory;
    const fs::path parent = fs::is_directory("/dev/shm", noMemory) ? fs::path("/dev/shm")
                                                                    : fs::temp_directory_path();
    std::string base = (parent / "tarvex5-fuzz-XXXXXX").string();
    if (mkdtemp(base.data()) == nullptr) {
      std::perror("tarvex5 fuzz: no scratch directory");
      std::abort();
    }
    made->scratch = base + "/scratch";
    made->startDirectory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::atexit(RemoveScratch);
    return made;
  }();
  return places;
}

void RemoveScratch() {
  std::error_code ignored;
  fs::remove_all(fs::path(ThePlaces().scratch).parent_path(), ignored);
}

}  // namespace

void EnterEmptyScratch() {
  const Places& places = ThePlaces();
  std::error_code ignored;
  fs::remove_all(places.scratch, ignored);
  fs::create_directory(places.scratch);
  if (chdir(places.scratch.c_str()) != 0) {
    std::perror("tarvex5 fuzz: cannot enter the scratch directory");
    std::abort();
  }
}

void LeaveScratch() {
  if (fchdir(ThePlaces().startDirectory) != 0) {
    std::perror("tarvex5 fuzz: cannot return to the start directory");
    std::abort();
  }
}

void WriteScratchFile(const std::string& name, const std::string& content) {
  const fs::path path(name);
  if (path.has_parent_path()) {
    fs::create_directories(path.parent_path());
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

int ConsoleInput(const std::string& content) {
  static const int input = memfd_create("tarvex5-fuzz-console", MFD_CLOEXEC);
  if (input < 0 || ftruncate(input, 0) != 0 ||
      pwrite(input, content.data(), content.size(), 0) != static_cast<ssize_t>(content.size()) ||
      lseek(input, 0, SEEK_SET) != 0) {
    std::perror("tarvex5 fuzz: no console input");
    std::abort();
  }
  return input;
}

int ConsoleOutput() {
  static const int output =
      std::getenv("TARVEX5_FUZZ_ECHO") != nullptr ? 2 : open("/dev/null", O_WRONLY | O_CLOEXEC);
  return output;
}

std::string ConfinedToScratch(std::string bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '/' || (bytes[i] == '.' && i > 0 && bytes[i - 1] == '.')) {
      bytes[i] = '_';
    }
  }
  return bytes;
}

}  // namespace fuzzsupport
