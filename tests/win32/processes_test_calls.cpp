#include "processes_test_calls.h"

#include "platform/win32/windows_door.h"

namespace win32 {

long SuspendCountOfThread(unsigned long threadId) {
  HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
  if (!thread) return -1;
  const DWORD count = ::SuspendThread(thread);
  if (count != static_cast<DWORD>(-1)) ::ResumeThread(thread);
  ::CloseHandle(thread);
  return count == static_cast<DWORD>(-1) ? -1 : static_cast<long>(count);
}

}  // namespace win32
