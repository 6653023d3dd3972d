#include "platform/win32/win32_system.h"

#include <cstring>

#include "platform/last_error.h"
#include "platform/win32/code_page_calls.h"
#include "platform/win32/system_calls.h"
#include "platform/win32/system_handles.h"

namespace platform {

namespace {

static_assert(sizeof(OSVERSIONINFOA) == win32::kOsVersionInfoSize);

constexpr DWORD kAllocateBuffer = 0x00000100;  // FORMAT_MESSAGE_ALLOCATE_BUFFER
constexpr DWORD kFromString = 0x00000400;      // FORMAT_MESSAGE_FROM_STRING
// The status codes of the internet library (ERROR_INTERNET_* and ERROR_HTTP_*, up to
// ERROR_INTERNET_DECODING_FAILED).
constexpr DWORD kFirstInternetCode = 12000, kLastInternetCode = 12175;

}  // namespace

BOOL Win32System::GetVersionExA(OSVERSIONINFOA* version) {
  if (!version) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  // The layer has the plain structure only: a size that claims more would let the system
  // write past it.
  if (version->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  return win32::VersionInfo(version) ? TRUE : FALSE;
}

BOOL Win32System::GetUserNameA(LPSTR buffer, DWORD* size) {
  if (!size) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return win32::UserName(buffer, size) ? TRUE : FALSE;
}

UINT Win32System::GetACP() {
  return win32::AnsiCodePage();
}

UINT Win32System::GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return win32::WindowsFolder(buffer, size);
}

UINT Win32System::GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return win32::SystemFolder(buffer, size);
}

DWORD Win32System::GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  return win32::EnvironmentValue(name, buffer, size);
}

DWORD Win32System::ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) {
  const DWORD result = win32::ExpandEnvironment(source, destination, size);
  // The ANSI call of some versions counts a byte more than it wrote (it measures the wide
  // text); what it wrote counts, with its terminating zero.
  if (result != 0 && destination && result <= size)
    return static_cast<DWORD>(std::strlen(destination) + 1);
  return result;
}

HRESULT Win32System::SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags,
                                      LPSTR path) {
  if (!path) return E_INVALIDARG;
  void* systemToken = token;
  if (token && token != INVALID_HANDLE_VALUE) {
    systemToken = SystemHandleOf(token, SystemHandleKind::Token);
    if (!systemToken) return E_INVALIDARG;
  }
  long result = E_FAIL;
  if (!win32::ShellFolderPath(owner, folder, systemToken, flags, path, result)) {
    path[0] = '\0';
    return E_FAIL;
  }
  return static_cast<HRESULT>(result);
}

DWORD Win32System::FormatMessageA(DWORD flags, const void* source, DWORD messageId,
                                  DWORD languageId, LPSTR buffer, DWORD size, void* arguments) {
  if ((flags & kAllocateBuffer) || !buffer) return Fail(ERROR_INVALID_PARAMETER, 0u);
  // The system's table has no texts for the internet library's codes: that library has them,
  // and is asked first, as a program asks it with FORMAT_MESSAGE_FROM_HMODULE.
  if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) && !(flags & (win32::kFromModule | kFromString)) &&
      messageId >= kFirstInternetCode && messageId <= kLastInternetCode) {
    if (void* library = win32::InternetLibrary()) {
      flags |= win32::kFromModule;
      source = library;
    }
  }
  return win32::MessageText(flags, source, messageId, languageId, buffer, size, arguments);
}

}  // namespace platform
