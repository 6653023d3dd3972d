#include "platform/system.h"

#include <algorithm>
#include <string>

#include "platform/last_error.h"

namespace platform {

namespace {

// Calls a Win32 function that fills a buffer and returns the length written, or the size
// needed (with the terminating zero) when the buffer is short; 0 on failure.
template <typename Fill>
std::optional<std::string> FilledText(Fill fill) {
  std::string text(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length = fill(text.data(), static_cast<DWORD>(text.size()));
    if (length == 0) return std::nullopt;
    if (length < text.size()) {
      text.resize(length);
      return text;
    }
    text.assign(length, '\0');
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> System::UserName() {
  std::string name(257, '\0');
  DWORD size = static_cast<DWORD>(name.size());
  if (!GetUserNameA(name.data(), &size)) {
    if (size <= name.size()) return std::nullopt;
    name.assign(size, '\0');
    if (!GetUserNameA(name.data(), &size)) return std::nullopt;
  }
  name.resize(std::min<std::size_t>(name.find('\0'), name.size()));
  return name;
}

std::string System::WindowsDirectory() {
  return FilledText([&](char* buffer, DWORD size) { return GetWindowsDirectoryA(buffer, size); })
      .value_or("C:\\WINDOWS");
}

std::string System::SystemDirectory() {
  return FilledText([&](char* buffer, DWORD size) { return GetSystemDirectoryA(buffer, size); })
      .value_or(WindowsDirectory() + "\\system32");
}

std::optional<std::string> System::EnvironmentVariable(const std::string& name) {
  std::string value(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      // An empty value and a missing one both give 0; only the second sets an error.
      if (GetLastError() == 203 /* ERROR_ENVVAR_NOT_FOUND */) return std::nullopt;
      return std::string();
    }
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.assign(length, '\0');
  }
  return std::nullopt;
}

std::vector<std::string> System::PathFolders() {
  std::vector<std::string> folders;
  const std::string path = EnvironmentVariable("PATH").value_or("");
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = path.find(';', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) folders.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

std::string System::Expand(const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  std::string expanded(text.size() + MAX_PATH, '\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), expanded.data(),
                                                   static_cast<DWORD>(expanded.size()));
    if (needed == 0) return text;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return expanded;
    }
    expanded.assign(needed, '\0');
  }
  return text;
}

std::optional<std::string> System::FolderPath(int folder) {
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, folder, nullptr, 0, path) != S_OK) return std::nullopt;
  return std::string(path);
}

std::string System::ErrorText(DWORD code) {
  char text[512];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  return length ? std::string(text, length) : std::string();
}

std::optional<std::string> System::ReadText(HKEY root, const std::string& key,
                                            const std::string& value) {
  HKEY opened;
  if (registry_.RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0, size = 0;
  std::optional<std::string> text;
  if (registry_.RegQueryValueExA(opened, value.c_str(), nullptr, &type, nullptr, &size) ==
          ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::string data(size, '\0');
    if (registry_.RegQueryValueExA(opened, value.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS)
      text = data.substr(0, std::min<std::size_t>(size, data.find('\0')));
  }
  registry_.RegCloseKey(opened);
  return text;
}

std::optional<std::string> System::ReadExpanded(HKEY root, const std::string& key,
                                                const std::string& value) {
  auto text = ReadText(root, key, value);
  if (text) *text = Expand(*text);
  return text;
}

}  // namespace platform
