// Files: the path forms, the current folder and the paths the system's own libraries open.
#include "platform/last_error.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/file_fallbacks.h"
#include "platform/win32/win32_files.h"

namespace platform {

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = win32::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The full form of a path, when the folder that holds it is there.
std::optional<std::string> ReachableFullPath(const std::string& path) {
  std::string full(MAX_PATH, '\0');
  char* filePart = nullptr;
  for (;;) {
    const DWORD length = win32::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()),
                                                 full.data(), &filePart);
    if (length == 0) return std::nullopt;
    if (length < full.size()) {
      full.resize(length);
      break;
    }
    full.resize(length);  // the size needed, with the terminating zero
  }
  if (!filePart) return full;  // a folder's path: a root, or one ending in a separator
  // The folder with its separator, as a root needs it; Windows 9x wants it without.
  const std::string folder = full.substr(0, filePart - full.data());
  if (!IsFolder(folder) && !IsFolder(folder.substr(0, folder.size() - 1))) return std::nullopt;
  return full;
}

}  // namespace

DWORD Win32Files::GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength) {
  return win32::GetShortPathNameA(longPath, shortPath, bufferLength);
}

DWORD Win32Files::GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength) {
  const DWORD length = win32::GetLongPathNameA(shortPath, longPath, bufferLength);
  if (length != 0 || GetLastError() != win32::kCallNotImplemented) return length;
  return LongPathByFinding(codePage_, shortPath, longPath, bufferLength);
}

DWORD Win32Files::GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer,
                                   LPSTR* filePart) {
  return win32::GetFullPathNameA(fileName, bufferLength, buffer, filePart);
}

DWORD Win32Files::GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  return win32::GetCurrentDirectoryA(bufferLength, buffer);
}

BOOL Win32Files::SetCurrentDirectoryA(LPCSTR pathName) {
  return win32::SetCurrentDirectoryA(pathName);
}

DWORD Win32Files::GetTempPathA(DWORD bufferLength, LPSTR buffer) {
  return win32::GetTempPathA(bufferLength, buffer);
}

std::optional<std::string> Win32Files::HostPathOf(const std::string& windowsPath) {
  return ReachableFullPath(windowsPath);
}

std::optional<std::string> Win32Files::WindowsPathOf(const std::string& hostPath) const {
  return ReachableFullPath(hostPath);
}

}  // namespace platform
