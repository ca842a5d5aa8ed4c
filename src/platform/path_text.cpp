#include "platform/path_text.h"

#include "platform/file_system.h"

namespace platform {

namespace {

// Wild-card matching that remembers only the last "*": on a mismatch the star
// takes one more character. Linear in practice and never recursive, so a
// hostile pattern like "*a*a*a*b" costs at most pattern × name steps.
bool MatchesPlainly(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') {
    ++p;
  }
  return p == pattern.size();
}

}  // namespace

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool MatchesPattern(std::string_view pattern, std::string_view name) {
  if (name.empty()) {
    return false;
  }
  if (MatchesPlainly(pattern, name)) {
    return true;
  }
  // The searches the users know treat a final ".*" as "any extension or none".
  constexpr std::string_view kAnyExtension = ".*";
  if (pattern.size() > kAnyExtension.size() && pattern.ends_with(kAnyExtension)) {
    return MatchesPlainly(pattern.substr(0, pattern.size() - kAnyExtension.size()), name);
  }
  return false;
}

bool SplitPathText(std::string_view path, PathText& directoryPart, PathText& namePart) {
  Clear(directoryPart);
  Clear(namePart);
  if (path.size() > kPathTextCapacity) {
    return false;
  }
  const std::size_t separator = path.rfind(kSeparator);
  if (separator == std::string_view::npos) {
    Assign(namePart, path);
    return true;
  }
  Assign(namePart, path.substr(separator + 1));
  Assign(directoryPart, path.substr(0, separator == 0 ? 1 : separator));
  return true;
}

bool JoinPath(std::string_view directory, std::string_view name, PathText& path) {
  Assign(path, directory);
  return !path.cut && Append(path, std::string_view(&kSeparator, 1)) && Append(path, name);
}

}  // namespace platform
