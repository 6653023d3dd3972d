#include "platform/win32/system_handle_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: WinINet's declarations need its types.
#include <wininet.h>

namespace win32 {

void CloseKernelHandle(void* handle) {
  ::CloseHandle(handle);
}

void CloseFindHandle(void* handle) {
  ::FindClose(handle);
}

void CloseInternetHandle(void* handle) {
  ::InternetCloseHandle(handle);
}

unsigned long LastError() {
  return ::GetLastError();
}

void SetLastErrorCode(unsigned long error) {
  ::SetLastError(error);
}

}  // namespace win32
