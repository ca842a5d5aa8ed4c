#include "platform/path_win32.h"

#include "platform/unicode_text.h"

namespace platform {

namespace {

constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";
constexpr std::wstring_view kSharePrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";

bool IsWideSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A directory the process cannot take as its current one, and the process's
// own current directory when it was kept: another change of the process's
// directory (a test's, the C run-time's) ends it.
struct KeptDirectory {
  bool kept = false;
  WidePath path;
  WidePath processDirectory;
};
KeptDirectory gKept;

void Assign(WidePath& path, std::wstring_view text) {
  path.length = 0;
  (void)AppendWide(path, text);
}

// `userForm` ("C:\x", "\\server\share\x") as an absolute "\\?\" path.
bool ToPrefixed(std::wstring_view userForm, WidePath& path) {
  path.length = 0;
  path.chars[0] = L'\0';
  if (userForm.starts_with(kLocalPrefix)) {
    return AppendWide(path, userForm);
  }
  if (userForm.starts_with(L"\\\\")) {
    return AppendWide(path, kSharePrefix) && AppendWide(path, userForm.substr(2));
  }
  return AppendWide(path, kLocalPrefix) && AppendWide(path, userForm);
}

bool ProcessDirectory(WidePath& path) {
  WidePath userForm;
  const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(kWidePathCapacity + 1), userForm.chars);
  if (length == 0 || length > kWidePathCapacity) {
    return false;
  }
  userForm.length = length;
  return ToPrefixed(View(userForm), path);
}

// The system's full path of `text` (NUL-terminated), prefixed.
bool FullPathOf(const WidePath& text, WidePath& path) {
  WidePath full;
  const DWORD length =
      GetFullPathNameW(text.chars, static_cast<DWORD>(kWidePathCapacity + 1), full.chars, nullptr);
  if (length == 0 || length > kWidePathCapacity) {
    return false;
  }
  full.length = length;
  // "NUL", "CON", "COM1", "\\.\x": a device, wherever it seems to lie.
  if (View(full).starts_with(kDevicePrefix)) {
    return false;
  }
  return ToPrefixed(View(full), path);
}

// A name as a search finds it: no separator, no drive, not "." or "..".
bool IsPlainName(std::wstring_view name) {
  for (const wchar_t c : name) {
    if (IsWideSeparator(c) || c == L':') {
      return false;
    }
  }
  return name != L"." && name != L"..";
}

// True when a name of `path` ends in a dot or a blank, which the process's
// current directory would lose.
bool HasNameTheSystemWouldChange(std::wstring_view path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    const bool nameEnds = i + 1 == path.size() || path[i + 1] == L'\\';
    if (nameEnds && (path[i] == L' ' || (path[i] == L'.' && path[i - 1] != L'\\' && path[i - 1] != L'.'))) {
      return true;
    }
  }
  return false;
}

// The root of the prefixed `directory`: "\\?\C:" or "\\?\UNC\server\share".
std::wstring_view RootOf(std::wstring_view directory) {
  if (directory.starts_with(kSharePrefix)) {
    std::size_t end = kSharePrefix.size();
    for (int names = 0; names < 2 && end < directory.size(); ++names) {
      end = directory.find(L'\\', end + 1);
      if (end == std::wstring_view::npos) {
        return directory;
      }
    }
    return directory.substr(0, end);
  }
  return directory.substr(0, kLocalPrefix.size() + 2);
}

}  // namespace

bool AppendWide(WidePath& path, std::wstring_view text) {
  if (text.size() > kWidePathCapacity - path.length) {
    return false;
  }
  for (const wchar_t c : text) {
    path.chars[path.length++] = c;
  }
  path.chars[path.length] = L'\0';
  return true;
}

bool AppendUtf8(WidePath& path, std::string_view text) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16");
  const std::size_t units = Utf8ToUtf16(text, reinterpret_cast<char16_t*>(path.chars + path.length),
                                        kWidePathCapacity - path.length);
  if (units == kNotConvertible) {
    path.chars[path.length] = L'\0';
    return false;
  }
  path.length += units;
  path.chars[path.length] = L'\0';
  return true;
}

bool ToUserForm(const WidePath& path, WidePath& out) {
  const std::wstring_view text = View(path);
  out.length = 0;
  out.chars[0] = L'\0';
  if (text.starts_with(kSharePrefix)) {
    return AppendWide(out, L"\\\\") && AppendWide(out, text.substr(kSharePrefix.size()));
  }
  return AppendWide(out, text.starts_with(kLocalPrefix) ? text.substr(kLocalPrefix.size()) : text);
}

bool ResolvePath(std::string_view name, WidePath& path) {
  path.length = 0;
  path.chars[0] = L'\0';
  WidePath given;
  if (name.empty() || !AppendUtf8(given, name)) {
    return false;
  }
  const std::wstring_view text = View(given);
  if (text.starts_with(kLocalPrefix)) {
    Assign(path, text);
    return path.length == text.size();
  }
  WidePath directory;
  if (!CurrentWideDirectory(directory)) {
    return false;
  }
  WidePath userForm;
  if (IsPlainName(text)) {
    // Still refused when the system takes it for a device ("NUL", "com1.txt").
    if (!FullPathOf(given, userForm)) {
      return false;
    }
    path = directory;
    return (path.chars[path.length - 1] == L'\\' || AppendWide(path, L"\\")) && AppendWide(path, text);
  }
  // A kept current directory is not the process's: relative paths are made
  // absolute here, against it.
  const bool relative = !IsWideSeparator(text[0]) && !(text.size() >= 2 && text[1] == L':');
  if (gKept.kept && relative) {
    if (!ToUserForm(directory, userForm) || !AppendWide(userForm, L"\\") || !AppendWide(userForm, text)) {
      return false;
    }
  } else if (gKept.kept && IsWideSeparator(text[0]) && !(text.size() >= 2 && IsWideSeparator(text[1]))) {
    WidePath root;
    Assign(root, RootOf(View(directory)));
    if (!ToUserForm(root, userForm) || !AppendWide(userForm, text)) {
      return false;
    }
  } else {
    userForm = given;
  }
  return FullPathOf(userForm, path);
}

bool CurrentWideDirectory(WidePath& path) {
  if (!ProcessDirectory(path)) {
    return false;
  }
  if (gKept.kept && View(path) == View(gKept.processDirectory)) {
    path = gKept.path;
  } else {
    gKept.kept = false;
  }
  // The process gives "C:\" for a root, and no separator at the end otherwise.
  while (path.length > kLocalPrefix.size() + 3 && path.chars[path.length - 1] == L'\\') {
    path.chars[--path.length] = L'\0';
  }
  return true;
}

bool SetCurrentWideDirectory(const WidePath& path) {
  WidePath userForm;
  if (!ToUserForm(path, userForm)) {
    return false;
  }
  if (userForm.length < MAX_PATH - 1 && !HasNameTheSystemWouldChange(View(userForm)) &&
      SetCurrentDirectoryW(userForm.chars)) {
    gKept.kept = false;
    return true;
  }
  // Kept here; the process's own stays where it is.
  const HANDLE directory = CreateFileW(path.chars, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (directory == INVALID_HANDLE_VALUE) {
    return false;
  }
  DWORD attributes = 0;
  DWORD tag = 0;
  const bool isDirectory = ReadHandleAttributes(directory, attributes, tag) &&
                           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  CloseHandle(directory);
  if (!isDirectory || !ProcessDirectory(gKept.processDirectory)) {
    return false;
  }
  gKept.path = path;
  gKept.kept = true;
  return true;
}

bool ReadHandleAttributes(HANDLE handle, DWORD& attributes, DWORD& reparseTag) {
  FILE_ATTRIBUTE_TAG_INFO information{};
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &information, sizeof information)) {
    return false;
  }
  attributes = information.FileAttributes;
  reparseTag = information.ReparseTag;
  return true;
}

bool ReadEntryAttributes(const wchar_t* path, DWORD& attributes, DWORD& reparseTag) {
  const HANDLE handle = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool read = ReadHandleAttributes(handle, attributes, reparseTag);
  CloseHandle(handle);
  return read;
}

}  // namespace platform
