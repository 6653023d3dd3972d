#include "platform/win32/file_fallbacks.h"

#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/last_error.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/system_handle_calls.h"

namespace platform {

static_assert(sizeof(WIN32_FIND_DATAA) == win32::kFindDataSize);

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// The length of the path's start that names no folder entry: "X:\", "X:", "\\server\share\",
// "\" or nothing. Stepped a character at a time: a trail byte can be a backslash.
std::size_t RootLength(const CodePage& codePage, std::string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t at = 2;
    for (int name = 0; name < 2; ++name) {  // the server's, then the share's
      while (at < path.size() && !IsSeparator(path[at])) at += codePage.CharLength(path, at);
      if (at < path.size()) ++at;
    }
    return at;
  }
  if (path.size() >= 2 && path[1] == ':' && codePage.CharLength(path, 0) == 1)
    return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

bool HasWildcards(std::string_view path) {
  // Neither character can be a trail byte: those start at 0x40.
  return path.find_first_of("*?") != std::string_view::npos;
}

// The folder's record of a name, or false with the search's error.
bool FindRecord(const std::string& name, WIN32_FIND_DATAA& record) {
  void* search = win32::FindFirstFileA(name.c_str(), &record);
  if (!search) return false;
  win32::CloseFindHandle(search);
  return true;
}

}  // namespace

DWORD LongPathByFinding(const CodePage& codePage, LPCSTR shortPath, LPSTR longPath,
                        DWORD bufferLength) {
  if (!shortPath) return Fail(ERROR_INVALID_PARAMETER, 0u);
  const std::string_view path(shortPath);
  if (path.empty()) return Fail(ERROR_PATH_NOT_FOUND, 0u);
  if (HasWildcards(path)) return Fail(ERROR_INVALID_NAME, 0u);
  std::size_t at = RootLength(codePage, path);
  std::string result(path.substr(0, at));
  while (at < path.size()) {
    std::size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) end += codePage.CharLength(path, end);
    const std::string_view part = path.substr(at, end - at);
    if (part.empty() || part == "." || part == "..") {
      result += part;
    } else {
      WIN32_FIND_DATAA record;
      if (!FindRecord(result + std::string(part), record)) return 0;
      result += record.cFileName;
    }
    if (end < path.size()) result += path[end];
    at = end + 1;
  }
  return CopyOutText(result, longPath, bufferLength);
}

BOOL AttributesByFinding(const CodePage& codePage, LPCSTR fileName,
                         WIN32_FILE_ATTRIBUTE_DATA& data) {
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (HasWildcards(fileName)) return Fail(ERROR_INVALID_NAME, FALSE);
  const DWORD attributes = win32::GetFileAttributesA(fileName);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
  data = WIN32_FILE_ATTRIBUTE_DATA{};
  data.dwFileAttributes = attributes;
  // A folder's name may end in separators, which a search would take for an empty pattern.
  std::string name(fileName);
  const std::size_t root = RootLength(codePage, name);
  std::size_t kept = root;
  for (std::size_t at = root; at < name.size();) {
    const std::size_t length = codePage.CharLength(name, at);
    if (length > 1 || !IsSeparator(name[at])) kept = at + length;
    at += length;
  }
  name.resize(kept);
  WIN32_FIND_DATAA record;
  if (name.size() > root && FindRecord(name, record)) {
    data.ftCreationTime = record.ftCreationTime;
    data.ftLastAccessTime = record.ftLastAccessTime;
    data.ftLastWriteTime = record.ftLastWriteTime;
    data.nFileSizeHigh = record.nFileSizeHigh;
    data.nFileSizeLow = record.nFileSizeLow;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace platform
