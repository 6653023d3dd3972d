// A process handle of the Windows backend: the system's handle in the handle table, with the
// process id and the rights it was opened with kept beside it, because GetProcessId is missing
// before XP SP1 and suspending goes through the threads, where the system checks no process
// right. Any service that opens or starts a process gives its handle out through here.
#pragma once

#include "platform/win32/system_handles.h"

namespace platform {

class ProcessHandle : public SystemHandle {
 public:
  ProcessHandle(void* process, DWORD processId, DWORD access)
      : SystemHandle(process, SystemHandleKind::Process), processId_(processId), access_(access) {}

  DWORD ProcessId() const { return processId_; }
  DWORD Access() const { return access_; }

 private:
  DWORD processId_;
  DWORD access_;
};

// A table handle that owns the system's process handle.
HANDLE AddProcessHandle(void* process, DWORD processId, DWORD access);

// The system's handle behind a process handle of the table, or the system's own pseudo handle
// for Processes::GetCurrentProcess(); null with ERROR_INVALID_HANDLE otherwise.
void* SystemProcessOf(HANDLE process);

}  // namespace platform
