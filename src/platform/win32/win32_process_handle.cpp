#include "platform/win32/win32_process_handle.h"

#include <memory>

#include "platform/processes.h"
#include "platform/win32/process_calls.h"

namespace platform {

HANDLE AddProcessHandle(void* process, DWORD processId, DWORD access) {
  return AddHandle(std::make_shared<ProcessHandle>(process, processId, access));
}

void* SystemProcessOf(HANDLE process) {
  // The platform's pseudo handle has the system's value, (HANDLE)-1, but is asked for by name.
  if (process == Processes::GetCurrentProcess()) return win32::ThisProcessHandle();
  return SystemHandleOf(process, SystemHandleKind::Process);
}

}  // namespace platform
