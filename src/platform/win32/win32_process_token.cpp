// The process token of Win32Processes. Windows 9x has no security: its advapi32 fails every
// token call, while the program expects privileges to be no obstacle there, so on 9x a token
// of nothing is given out and every privilege call succeeds without changing anything.
#include <memory>

#include "platform/last_error.h"
#include "platform/win32/process_calls.h"
#include "platform/win32/system_handles.h"
#include "platform/win32/token_calls.h"
#include "platform/win32/win32_process_handle.h"
#include "platform/win32/win32_processes.h"

namespace platform {
namespace {

static_assert(sizeof(TOKEN_PRIVILEGES) == win32::kTokenPrivilegesSize);
static_assert(sizeof(LUID_AND_ATTRIBUTES) == win32::kLuidAndAttributesSize);

// The token of a process on a system without security.
struct UnsecuredToken : KernelObject {};

}  // namespace

BOOL Win32Processes::OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) {
  if (!token) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  void* system = SystemProcessOf(process);
  if (!system) return FALSE;
  if (win32::RunsWindows9x()) {
    *token = AddHandle(std::make_shared<UnsecuredToken>());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  void* opened = win32::OpenTokenOf(system, desiredAccess);
  if (!opened) return FALSE;
  *token = AddSystemHandle(opened, SystemHandleKind::Token);
  return TRUE;
}

BOOL Win32Processes::LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) {
  if (!name || !luid) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (win32::RunsWindows9x()) {
    *luid = LUID{};
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  return win32::LookupPrivilege(systemName, name, &luid->LowPart, &luid->HighPart) ? TRUE : FALSE;
}

BOOL Win32Processes::AdjustTokenPrivileges(HANDLE token, BOOL disableAll,
                                           const TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                                           TOKEN_PRIVILEGES* previousState, DWORD* returnLength) {
  if (!disableAll && !newState) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (LookUpHandleAs<UnsecuredToken>(token)) {
    // Nothing was enabled before, and nothing is now.
    if (previousState && bufferLength >= sizeof(DWORD)) previousState->PrivilegeCount = 0;
    if (returnLength) *returnLength = sizeof(DWORD);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  void* system = SystemHandleOf(token, SystemHandleKind::Token);
  if (!system) return FALSE;
  unsigned long length = 0;
  if (!win32::AdjustPrivileges(system, disableAll != FALSE, newState, bufferLength, previousState,
                               &length))
    return FALSE;
  if (returnLength) *returnLength = static_cast<DWORD>(length);
  return TRUE;
}

}  // namespace platform
