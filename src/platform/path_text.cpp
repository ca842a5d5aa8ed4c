#include "platform/path_text.h"

#include "platform/name_order.h"
#include "platform/unicode_text.h"

namespace platform {

namespace {

// One character of a name or pattern: a code point of generalised UTF-8, or
// a stray byte that belongs to no well-formed character (kStrayByte plus the
// byte), which counts as a character of its own.
constexpr char32_t kStrayByte = 0x110000;

struct NameChar {
  char32_t value;
  std::size_t length;  // in bytes
};

NameChar CharAt(std::string_view text, std::size_t at) {
  char32_t codePoint = 0;
  const std::size_t length = DecodeUtf8Char(text.substr(at), codePoint);
  if (length == 0) {
    return {kStrayByte + static_cast<unsigned char>(text[at]), 1};
  }
  return {codePoint, length};
}

bool SameChar(char32_t a, char32_t b, const PathSyntax& syntax) {
  return a == b || (syntax.ignoreCase && UppercaseCodePoint(a) == UppercaseCodePoint(b));
}

// Wild-card matching, character by character, that remembers only the last
// "*": on a mismatch the star takes one more character. Linear in practice
// and never recursive, so a hostile pattern like "*a*a*a*b" costs at most
// pattern × name steps.
bool MatchesPlainly(std::string_view pattern, std::string_view name, const PathSyntax& syntax) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    const bool patternLeft = p < pattern.size();
    const NameChar patternChar = patternLeft ? CharAt(pattern, p) : NameChar{0, 0};
    const NameChar nameChar = CharAt(name, n);
    if (patternLeft && patternChar.value == '*') {
      starP = p++;
      starN = n;
    } else if (patternLeft &&
               (patternChar.value == '?' || SameChar(patternChar.value, nameChar.value, syntax))) {
      p += patternChar.length;
      n += nameChar.length;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      starN += CharAt(name, starN).length;
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') {
    ++p;
  }
  return p == pattern.size();
}

// Where the name part of `path` begins: after the last separator and, with
// drives, after the first colon.
std::size_t NameStart(std::string_view path, const PathSyntax& syntax) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsSeparator(path[i], syntax)) {
      start = i + 1;
    }
  }
  const std::size_t colon = syntax.drives ? path.find(':') : std::string_view::npos;
  if (colon != std::string_view::npos && colon + 1 > start) {
    start = colon + 1;
  }
  return start;
}

}  // namespace

bool IsSeparator(char c, const PathSyntax& syntax) {
  return c == syntax.separator || (syntax.alsoSeparator != '\0' && c == syntax.alsoSeparator);
}

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

bool MatchesPattern(std::string_view pattern, std::string_view name, const PathSyntax& syntax) {
  if (name.empty()) {
    return false;
  }
  if (MatchesPlainly(pattern, name, syntax)) {
    return true;
  }
  // The searches the users know treat a final ".*" as "any extension or none".
  constexpr std::string_view kAnyExtension = ".*";
  if (pattern.size() > kAnyExtension.size() && pattern.ends_with(kAnyExtension)) {
    return MatchesPlainly(pattern.substr(0, pattern.size() - kAnyExtension.size()), name, syntax);
  }
  return false;
}

bool SplitPathText(std::string_view path, PathText& directoryPart, PathText& namePart,
                   const PathSyntax& syntax) {
  Clear(directoryPart);
  Clear(namePart);
  if (path.size() > kPathTextCapacity) {
    return false;
  }
  const std::size_t start = NameStart(path, syntax);
  Assign(namePart, path.substr(start));
  if (start == 0) {
    return true;
  }
  std::string_view directory = path.substr(0, start);
  // A separator before the name ends the directory part, unless it is a root's.
  if (IsSeparator(directory.back(), syntax)) {
    const std::string_view before = directory.substr(0, directory.size() - 1);
    const bool root = before.empty() || (syntax.drives && before.back() == ':');
    if (!root) {
      directory = before;
    }
  }
  Assign(directoryPart, directory);
  return true;
}

std::string_view WithoutTrailingSeparators(std::string_view path, const PathSyntax& syntax) {
  while (path.size() > 1 && IsSeparator(path.back(), syntax) &&
         !(syntax.drives && path[path.size() - 2] == ':')) {
    path.remove_suffix(1);
  }
  return path;
}

bool JoinPath(std::string_view directory, std::string_view name, PathText& path,
              const PathSyntax& syntax) {
  Assign(path, directory);
  return !path.cut && Append(path, std::string_view(&syntax.separator, 1)) && Append(path, name);
}

}  // namespace platform
