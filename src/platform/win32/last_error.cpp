// The last error of the Windows build is the system's own: a failing system call sets it,
// and the backend's own failures set it the same way.
#include "platform/last_error.h"

#include "platform/win32/system_handle_calls.h"

namespace platform {

DWORD GetLastError() {
  return static_cast<DWORD>(win32::LastError());
}

void SetLastError(DWORD error) {
  win32::SetLastErrorCode(error);
}

}  // namespace platform
