#include "platform/win32/system_calls.h"

#include <cstdarg>

#include "platform/win32/windows_door.h"

namespace win32 {

namespace {

static_assert(sizeof(OSVERSIONINFOA) == kOsVersionInfoSize);
static_assert(FORMAT_MESSAGE_FROM_HMODULE == kFromModule);

using FolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

FolderPathFunction Bind(const char* library) {
  // Kept loaded for the life of the process.
  HMODULE module = ::LoadLibraryA(library);
  FARPROC found = module ? ::GetProcAddress(module, "SHGetFolderPathA") : nullptr;
  return reinterpret_cast<FolderPathFunction>(reinterpret_cast<void*>(found));
}

FolderPathFunction FolderPath() {
  static const FolderPathFunction function = [] {
    FolderPathFunction found = Bind("shell32.dll");
    return found ? found : Bind("shfolder.dll");
  }();
  return function;
}

}  // namespace

bool VersionInfo(void* version) {
  return ::GetVersionExA(static_cast<OSVERSIONINFOA*>(version)) != FALSE;
}

bool UserName(char* buffer, std::uint32_t* size) {
  DWORD length = *size;
  const BOOL done = ::GetUserNameA(buffer, &length);
  *size = length;
  return done != FALSE;
}

unsigned WindowsFolder(char* buffer, unsigned size) {
  return ::GetWindowsDirectoryA(buffer, size);
}

unsigned SystemFolder(char* buffer, unsigned size) {
  return ::GetSystemDirectoryA(buffer, size);
}

std::uint32_t EnvironmentValue(const char* name, char* buffer, std::uint32_t size) {
  return ::GetEnvironmentVariableA(name, buffer, size);
}

std::uint32_t ExpandEnvironment(const char* source, char* destination, std::uint32_t size) {
  return ::ExpandEnvironmentStringsA(source, destination, size);
}

std::uint32_t MessageText(std::uint32_t flags, const void* source, std::uint32_t messageId,
                          std::uint32_t languageId, char* buffer, std::uint32_t size,
                          void* arguments) {
  return ::FormatMessageA(flags, source, messageId, languageId, buffer, size,
                          static_cast<va_list*>(arguments));
}

void* InternetLibrary() {
  return ::GetModuleHandleA("wininet.dll");
}

bool ShellFolderPath(void* owner, int folder, void* token, std::uint32_t flags, char* path,
                     long& result) {
  FolderPathFunction function = FolderPath();
  if (!function) return false;
  result = function(static_cast<HWND>(owner), folder, token, flags, path);
  return true;
}

}  // namespace win32
