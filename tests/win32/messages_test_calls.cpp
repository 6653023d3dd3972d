#include "messages_test_calls.h"

#include "platform/win32/windows_door.h"

namespace win32 {

void* StartProgram(const char* path) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
    return nullptr;
  ::CloseHandle(started.hThread);
  return started.hProcess;
}

bool EndProgram(void* process) {
  return ::TerminateProcess(process, 1) != FALSE;
}

}  // namespace win32
